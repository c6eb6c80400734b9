// SPDX-License-Identifier: MIT
// The report a caller gets back: names shown as the unlha tool shows them,
// and the reading of an ambiguous command said in it.
#include "fixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace fixtures;

TEST(Report, RefusedNamesAreEscapedAndNeverCutTheReportShort) {
    const struct {
        std::string name;
        const char *shown; // how the report must show it
    } cases[] = {
        {"../\x1b]0;title\x07x.txt", "%1B]0;title%07x.txt"},
        {"../\xc2\x9b"
         "31mred.txt",
         "../%C2%9B31mred.txt"},
        {"../gpj\xe2\x80\xae.exe", "../gpj%E2%80%AE.exe"},
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
