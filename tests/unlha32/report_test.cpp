// SPDX-License-Identifier: MIT
// The report a caller gets back: names shown as the unlha tool shows them,
// and the reading of an ambiguous command said in it.
#include "fixtures.h"
#include "run.h"

#include <gtest/gtest.h>

namespace {

using namespace fixtures;

TEST(Report, RefusedNamesAreEscapedAndNeverCutTheReportShort) {
    const struct {
        std::string name;
        const char *shown; // how the report must show it
    } cases[] = {
        {"../\x1b]0;title\x07x.txt", "\\x1b]0;title\\x07x.txt"},
        {"../\xc2\x9b"
         "31mred.txt",
         "../\\x9b31mred.txt"},
        {std::string("../nul\0after.txt", 16), "../nul%00after.txt"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        writeFile(dir / "a.lzh",
                  buildArchive({Member{c.name, "refused"}, Member{"fine.txt", "fine"}}));
        const auto call = unlha(extractCommand(dir / "a.lzh", dir / "out"));
        EXPECT_EQ(call.code, UNLHA_ERROR_UNSAFE_NAME) << call.report;
        EXPECT_NE(call.report.find(c.shown), std::string::npos) << call.report;
        for (const char ch : call.report)
            EXPECT_TRUE(ch == '\n' || static_cast<unsigned char>(ch) >= 0x20) << int(ch);
        // The lines after the refused name are all there.
        EXPECT_NE(call.report.find("ok      fine.txt"), std::string::npos) << call.report;
        EXPECT_NE(call.report.find("result 9:"), std::string::npos) << call.report;
    }
}

// The command is quoted back as names are shown: no control byte of it
// reaches the caller.
TEST(Report, TheCommandIsQuotedBackEscaped) {
    const struct {
        std::string command;
        const char *shown;
    } cases[] = {
        {"\x1b]0;PWN\x07 a.lzh out/", "unknown command: \\x1b]0;PWN\\x07"},
        {"\xc2\x9b"
         "31m a.lzh out/",
         "unknown command: \\x9b31m"},
    };
    for (const auto &c : cases) {
        const auto call = unlha(c.command);
        EXPECT_EQ(call.code, UNLHA_ERROR_COMMAND) << call.report;
        EXPECT_NE(call.report.find(c.shown), std::string::npos) << call.report;
        for (std::size_t i = 0; i < call.report.size(); ++i) {
            const auto ch = static_cast<unsigned char>(call.report[i]);
            EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch != 0x7F)) << int(ch);
            EXPECT_FALSE(ch == 0xC2 && static_cast<unsigned char>(call.report[i + 1]) < 0xA0);
        }
    }
}

// A member the engine could not decode for lack of memory gives the code
// the header promises for it.
TEST(Report, LackOfMemoryIsCodeTen) {
    TempDir dir;
    unlha32::SilentSession session([](const fs::path &, const fs::path &, const lha::Options &) {
        lha::Result result;
        result.add({"big.bin", lha::Error::OutOfMemory, lha::describe(lha::Error::OutOfMemory)});
        return result;
    });
    const auto outcome = unlha32::run(extractCommand(kLh5, dir / "out"), session);
    EXPECT_EQ(outcome.code, UNLHA_ERROR_UNEXPECTED) << outcome.report;
    EXPECT_NE(outcome.report.find("big.bin: out of memory"), std::string::npos) << outcome.report;
}

// A report cut to the caller's buffer ends on a character boundary.
TEST(Report, ACutReportEndsOnACharacterBoundary) {
    const std::string command = "解凍 a.lzh out/";
    const auto full = unlha(command).report;
    ASSERT_NE(full.find("解凍"), std::string::npos) << full;
    for (uint32_t size = 1; size <= full.size() + 1; ++size) {
        std::string buffer(size, 'x');
        Unlha(0, command.c_str(), buffer.data(), size);
        const std::string cut(buffer.c_str());
        EXPECT_EQ(cut, full.substr(0, cut.size())) << size;
        EXPECT_GE(cut.size() + 3, std::min<std::size_t>(size - 1, full.size())) << size;
        if (cut.size() < full.size()) {
            EXPECT_NE(static_cast<unsigned char>(full[cut.size()]) & 0xC0, 0x80) << size;
        }
    }
}

// "e /a/A.LZH /a/B.LZH /d/" once made the folder tree "/a/B.LZH /d" and
// extracted into it. A missing destination is created only when its parent
// exists, and the report says how the line was read.
TEST(Report, ALineNamingTwoArchivesGrowsNoFolderTree) {
    TempDir dir;
    fs::copy_file(kLh5, dir / "A.LZH");
    fs::copy_file(kLh5, dir / "B.LZH");
    const auto a = (dir / "A.LZH").string();
    const auto b = (dir / "B.LZH").string();
    auto call = unlha("e " + a + " " + b + " " + (dir / "d").string() + "/");
    EXPECT_EQ(call.code, UNLHA_ERROR_WRITE) << call.report;
    EXPECT_NE(call.report.find("read as archive \"" + a + "\""), std::string::npos) << call.report;
    EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"A.LZH", "B.LZH"}));

    // A line with one reading says nothing about it.
    fs::create_directory(dir / "out");
    call = unlha("e " + a + " " + (dir / "out").string() + "/");
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_EQ(call.report.find("read as"), std::string::npos) << call.report;
    EXPECT_TRUE(fs::exists(dir / "out" / "tiny.txt"));
}

} // namespace
