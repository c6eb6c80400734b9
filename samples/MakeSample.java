// SPDX-License-Identifier: MIT
// Packs the files listed in sample.list into an LHA archive with jLHA, an
// encoder independent of Hokora's own code. Every member gets the same fixed
// time stamp so that the archive comes out the same on every run.

import java.io.ByteArrayOutputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Calendar;
import java.util.Date;
import java.util.List;
import java.util.Properties;
import java.util.TimeZone;

import jp.gr.java_conf.dangan.util.lha.LhaHeader;
import jp.gr.java_conf.dangan.util.lha.LhaOutputStream;
import jp.gr.java_conf.dangan.util.lha.LhaProperty;

public class MakeSample {
    private static final String NAME_ENCODING = "Windows-31J";

    public static void main(String[] args) throws IOException {
        if (args.length != 3) {
            System.err.println("usage: MakeSample LIST SOURCE-DIR ARCHIVE");
            System.exit(2);
        }
        Path list = Path.of(args[0]);
        Path sources = Path.of(args[1]);

        Properties properties = LhaProperty.getProperties();
        properties.setProperty("lha.encoding", NAME_ENCODING);

        try (OutputStream file = new FileOutputStream(args[2]);
             LhaOutputStream archive = new LhaOutputStream(file, properties)) {
            for (String line : Files.readAllLines(list, StandardCharsets.UTF_8)) {
                line = line.strip();
                if (line.isEmpty() || line.startsWith("#"))
                    continue;
                String[] fields = line.split(" ", 3);
                addMember(archive, fields[0], Integer.parseInt(fields[1]), fields[2], sources);
            }
        }
    }

    private static void addMember(LhaOutputStream archive, String method, int level, String path,
                                  Path sources) throws IOException {
        boolean folder = path.endsWith("/");
        LhaHeader header = new LhaHeader(path, fixedTimeStamp());
        header.setCompressMethod("-" + method + "-");
        header.setHeaderLevel(level);
        if (folder) {
            archive.putNextEntry(header);
        } else {
            byte[] data = Files.readAllBytes(sources.resolve(path));
            archive.putNextEntry(header);
            archive.write(data);
        }
        archive.closeEntry();
    }

    private static Date fixedTimeStamp() {
        Calendar calendar = Calendar.getInstance(TimeZone.getTimeZone("Asia/Tokyo"));
        calendar.clear();
        calendar.set(1998, Calendar.APRIL, 1, 9, 30, 0);
        return calendar.getTime();
    }
}
