// Each cause of failure gets its own result code, and nothing is written
// outside the destination on the way.
#include "fixtures.h"
#include "unlha32.h"

#include <gtest/gtest.h>

namespace {

using namespace fixtures;

// Changes bytes in the first member's header and makes its checks agree
// again, so that only the change itself is wrong. The jLHA fixtures start
// with a level-1 header: size byte, checksum byte, method at 2, name length
// at 21, name at 22; then extended headers, one of them the header CRC.
std::string withFirstHeaderPatched(std::string archive, std::size_t offset,
                                   const std::string &bytes) {
    archive.replace(offset, bytes.size(), bytes);
    const std::size_t base = static_cast<unsigned char>(archive[0]) + 2u;
    std::size_t end = base;
    std::size_t crcField = 0;
    for (std::size_t next = static_cast<unsigned char>(archive[base - 2]) |
                            static_cast<unsigned char>(archive[base - 1]) << 8;
         next != 0;) {
        if (archive[end] == 0)
            crcField = end + 1;
        end += next;
        next = static_cast<unsigned char>(archive[end - 2]) |
               static_cast<unsigned char>(archive[end - 1]) << 8;
    }
    unsigned sum = 0;
    for (std::size_t i = 2; i < base; ++i)
        sum += static_cast<unsigned char>(archive[i]);
    archive[1] = static_cast<char>(sum & 0xff);
    if (crcField != 0) {
        archive[crcField] = archive[crcField + 1] = 0;
        const auto crc = crc16(archive.substr(0, end));
        archive[crcField] = static_cast<char>(crc & 0xff);
        archive[crcField + 1] = static_cast<char>(crc >> 8);
    }
    return archive;
}

const fs::path kLh5 = dataDir() / "archives/method-lh5.lzh";

TEST(ResultCodes, SuccessIsZeroAndTheVersionIsOneHundred) {
    ScratchDir out;
    EXPECT_EQ(UnlhaGetVersion(), 100);
    const auto call = unlha(extractCommand(kLh5, out.path()));
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
}

TEST(ResultCodes, ArchiveThatCannotBeReadOrIsNoArchive) {
    ScratchDir dir;
    EXPECT_EQ(unlha(extractCommand(dir / "absent.lzh", dir.path())).code,
              UNLHA_ERROR_ARCHIVE_UNREADABLE);
    fs::create_directory(dir / "folder.lzh");
    EXPECT_EQ(unlha(extractCommand(dir / "folder.lzh", dir.path())).code,
              UNLHA_ERROR_ARCHIVE_UNREADABLE);

    writeFile(dir / "notes.lzh", "These are plain notes, not an archive.\n");
    EXPECT_EQ(unlha(extractCommand(dir / "notes.lzh", dir.path())).code, UNLHA_ERROR_NOT_ARCHIVE);
}

TEST(ResultCodes, DamagedArchivesAreReportedAndLeaveNoBrokenFile) {
    ScratchDir dir;
    const auto good = readFile(kLh5);

    auto flipped = good;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x5a);
    writeFile(dir / "flipped.lzh", flipped);
    fs::create_directory(dir / "a");
    const auto call = unlha(extractCommand(dir / "flipped.lzh", dir / "a"));
    EXPECT_EQ(call.code, UNLHA_ERROR_DAMAGED) << call.report;

    writeFile(dir / "truncated.lzh", good.substr(0, good.size() / 2));
    fs::create_directory(dir / "b");
    EXPECT_EQ(unlha(extractCommand(dir / "truncated.lzh", dir / "b")).code, UNLHA_ERROR_DAMAGED);

    // What was written must be whole: a file either matches its source or
    // is absent.
    for (const auto &folder : {dir / "a", dir / "b"})
        for (const auto &[name, content] : treeOf(folder))
            EXPECT_EQ(content, readFile(dataDir() / "files" / name)) << folder << " " << name;
}

TEST(ResultCodes, UnknownMethod) {
    ScratchDir dir;
    writeFile(dir / "odd.lzh", withFirstHeaderPatched(readFile(kLh5), 2, "-lhz-"));
    fs::create_directory(dir / "out");
    const auto call = unlha(extractCommand(dir / "odd.lzh", dir / "out"));
    EXPECT_EQ(call.code, UNLHA_ERROR_METHOD) << call.report;
    EXPECT_FALSE(fs::exists(dir / "out/text.txt"));
}

TEST(ResultCodes, DestinationThatCannotBeWritten) {
    ScratchDir dir;
    writeFile(dir / "plain", "a file where a folder should be");
    EXPECT_EQ(unlha(extractCommand(kLh5, dir / "plain")).code, UNLHA_ERROR_WRITE);
    EXPECT_EQ(unlha(extractCommand(kLh5, dir / "plain/inside")).code, UNLHA_ERROR_WRITE);
    EXPECT_EQ(readFile(dir / "plain"), "a file where a folder should be");
}

TEST(ResultCodes, NameLeavingTheDestinationIsRefused) {
    ScratchDir dir;
    // "text.txt" becomes "../t.txt": same length, so only the name changes.
    writeFile(dir / "escape.lzh", withFirstHeaderPatched(readFile(kLh5), 22, "../t.txt"));
    fs::create_directory(dir / "out");
    const auto call = unlha(extractCommand(dir / "escape.lzh", dir / "out"));
    EXPECT_EQ(call.code, UNLHA_ERROR_UNSAFE_NAME) << call.report;
    EXPECT_FALSE(fs::exists(dir / "t.txt"));
    // The harmless members still come out.
    EXPECT_EQ(readFile(dir / "out/large.bin"), readFile(dataDir() / "files/large.bin"));
}

} // namespace
