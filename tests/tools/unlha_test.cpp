// unlha as scripts use it: its command line, exit status and messages.
#include "archive_builder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using testing_lha::Member;
using testing_lha::TempDir;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs unlha with the words given (no shell quoting: blanks stay inside
// the words, as the tool must cope with).
Outcome unlha(const std::vector<std::string> &words, const TempDir &scratch) {
    std::string command = "'" UNLHA_PATH "'";
    for (const auto &w : words)
        command += " '" + w + "'";
    command += " 2>'" + (scratch / "stderr").string() + "'";
    Outcome outcome;
    FILE *pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        outcome.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = testing_lha::readFile(scratch / "stderr");
    return outcome;
}

TEST(UnlhaTool, ExtractsWithBlanksInBothPathsAndExitsZero) {
    TempDir scratch;
    fs::create_directory(scratch / "my files");
    const auto archive = scratch / "my files" / "old data.lzh";
    testing_lha::writeFile(archive, testing_lha::buildArchive({Member{"dir/a.txt", "alpha"}}));
    const auto dest = (scratch / "out dir").string() + "/";
    // The archive and destination split across words, as a shell gives them.
    const auto result =
        unlha({"e", (scratch / "my").string(), "files/old", "data.lzh", dest}, scratch);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(testing_lha::readFile(scratch / "out dir" / "dir" / "a.txt"), "alpha");

    // A second run finds the file there: it is kept and the run reports it.
    const auto again = unlha({"e", archive.string(), dest}, scratch);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("dir/a.txt"), std::string::npos) << again.err;
}

TEST(UnlhaTool, TestNamesArchiveMemberAndCause) {
    TempDir scratch;
    Member bad{"broken.txt", "data"};
    bad.crc = 7;
    const auto archive = scratch / "b.lzh";
    testing_lha::writeFile(archive, testing_lha::buildArchive({Member{"ok.txt", "fine"}, bad}));
    const auto result = unlha({"t", archive.string()}, scratch);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(archive.string() + ": broken.txt: CRC mismatch"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("ok.txt"), std::string::npos);

    testing_lha::writeFile(archive, testing_lha::buildArchive({Member{"ok.txt", "fine"}}));
    EXPECT_EQ(unlha({"t", archive.string()}, scratch).status, 0);
    EXPECT_EQ(unlha({"t", (scratch / "missing.lzh").string()}, scratch).status, 1);
}

TEST(UnlhaTool, ListShowsEveryColumnAndNoTerminalEscapes) {
    TempDir scratch;
    const auto archive = scratch / "l.lzh";
    testing_lha::writeFile(
        archive, testing_lha::buildArchive({Member{"evil\x1B]2;x\x07.txt", "0123456789"}}));
    const auto result = unlha({"l", archive.string()}, scratch);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(result.out.find('\x07'), std::string::npos);
    // Sizes, ratio, method, CRC and the stamp of 2001-02-03 (UTC).
    EXPECT_NE(result.out.find("10           10 100.0% -lh0- "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("2001-02-0"), std::string::npos) << result.out;
}

TEST(UnlhaTool, BadCommandLinesExitTwo) {
    TempDir scratch;
    EXPECT_EQ(unlha({}, scratch).status, 2);
    EXPECT_EQ(unlha({"q", "x.lzh"}, scratch).status, 2);
    EXPECT_EQ(unlha({"e", "x.lzh", "nodestmark"}, scratch).status, 2);
}

} // namespace
