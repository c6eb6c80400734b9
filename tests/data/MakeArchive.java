// SPDX-License-Identifier: MIT
// Writes one LHA archive with jLHA (Debian's libjlha-java), an encoder that
// shares no code with ours.
//
//   java MakeArchive OUT LEVEL METHOD ENCODING OSID ROOT PATH...
//
// Each PATH is relative to ROOT with '/' separators; a PATH that names a
// directory becomes a -lhd- entry. Every entry gets a fixed time stamp so that
// the archives come out the same on every run.
import java.io.*;
import java.util.*;
import jp.gr.java_conf.dangan.util.lha.*;

public class MakeArchive {
    public static void main(String[] args) throws Exception {
        if (args.length < 6) {
            System.err.println("usage: MakeArchive OUT LEVEL METHOD ENCODING OSID ROOT PATH...");
            System.exit(2);
        }
        String out = args[0];
        int level = Integer.parseInt(args[1]);
        String method = args[2];
        String encoding = args[3];
        byte osid = (byte) args[4].charAt(0);
        File root = new File(args[5]);

        Properties props = LhaProperty.getProperties();
        props.setProperty("lha.encoding", encoding);
        // 2001-02-03 04:05:06 local time, plus one minute per entry.
        Calendar when = Calendar.getInstance();
        when.clear();
        when.set(2001, Calendar.FEBRUARY, 3, 4, 5, 6);

        try (LhaOutputStream lha = new LhaOutputStream(new FileOutputStream(out), props)) {
            for (int i = 6; i < args.length; ++i) {
                String path = args[i];
                File file = new File(root, path);
                LhaHeader header = new LhaHeader(path.replace('/', File.separatorChar));
                header.setHeaderLevel(level);
                header.setOSID(osid);
                header.setLastModified(when.getTime());
                when.add(Calendar.MINUTE, 1);
                if (file.isDirectory()) {
                    header.setPath(path.replace('/', File.separatorChar) + File.separator);
                    header.setCompressMethod(CompressMethod.LHD);
                    lha.putNextEntry(header);
                    lha.closeEntry();
                    continue;
                }
                header.setCompressMethod(method);
                lha.putNextEntry(header);
                try (InputStream in = new FileInputStream(file)) {
                    in.transferTo(lha);
                }
                lha.closeEntry();
            }
        }
    }
}
