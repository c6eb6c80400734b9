// SPDX-License-Identifier: MIT
#include "command.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace {

unlha::FileProbe filesAre(std::set<std::string> files) {
    return [files](const std::filesystem::path &p) { return files.count(p.string()) > 0; };
}

TEST(Command, ExtractSplitsWhereTheArchiveExistsWhateverTheBlanks) {
    const auto probe = filesAre({"/home/u/my data.lzh", "/home/u/my"});
    auto r = unlha::parseCommand("e /home/u/my data.lzh /home/u/work dir/", probe);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.verb, unlha::Verb::Extract);
    EXPECT_EQ(r.command.archive, "/home/u/my data.lzh");
    EXPECT_EQ(r.command.destination, "/home/u/work dir");

    // The library's own form: the root destination gets a second separator.
    r = unlha::parseCommand("e /home/u/my data.lzh //", probe);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.destination, "/");
    r = unlha::parseCommand("X /home/u/my data.lzh /\r\n", probe);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.destination, "/");
}

TEST(Command, QuotesProtectOrBelongToTheName) {
    auto r = unlha::parseCommand("e \"/a b.lzh\" \"/out dir/\"", filesAre({"/a b.lzh"}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.archive, "/a b.lzh");
    EXPECT_EQ(r.command.destination, "/out dir");

    // A name whose quotes are real characters is kept as it is.
    r = unlha::parseCommand("e \"q\".lzh /out/", filesAre({"\"q\".lzh"}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.archive, "\"q\".lzh");
}

TEST(Command, MissingArchiveIsGuessedByItsExtension) {
    auto r = unlha::parseCommand("e /x/old files.LZH /dest dir/", filesAre({}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.archive, "/x/old files.LZH");
    EXPECT_EQ(r.command.destination, "/dest dir");
}

TEST(Command, ListAndTestTakeTheWholeRestAsArchive) {
    auto r = unlha::parseCommand("l  /a b/c d.lzh ", filesAre({}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.verb, unlha::Verb::List);
    EXPECT_EQ(r.command.archive, "/a b/c d.lzh");
    EXPECT_TRUE(r.command.destination.empty());
    r = unlha::parseCommand("t \"/a.lzh\"", filesAre({}));
    EXPECT_EQ(r.command.verb, unlha::Verb::Test);
    EXPECT_EQ(r.command.archive, "/a.lzh");
}

TEST(Command, MalformedLinesAreRefusedWithAReason) {
    const auto probe = filesAre({"/a.lzh"});
    const struct {
        std::string line;
        const char *reason;
    } cases[] = {
        {"", "empty command"},
        {"   ", "empty command"},
        {"q /a.lzh /d/", "unknown command: q"},
        {"extract /a.lzh /d/", "unknown command: extract"},
        {"e", "no archive given"},
        {"e /a.lzh", "no destination"},
        {"e /a.lzh /d", "no destination"},
        {"e /a.lzh \"/d\"", "no destination"},
        // Longer than two of the longest paths: no reading could name files.
        {"e /a.lzh " + std::string(2 * PATH_MAX + 20, 'd') + "/", "longer than"},
        {"e " + std::string(1 << 20, ' ') + "/a.lzh /d/", "longer than"},
    };
    for (const auto &c : cases) {
        const auto r = unlha::parseCommand(c.line, probe);
        EXPECT_FALSE(r.ok()) << "accepted: [" << c.line.substr(0, 40) << "]";
        EXPECT_NE(r.error.find(c.reason), std::string::npos)
            << "[" << c.line.substr(0, 40) << "]: " << r.error;
    }
}

// A line that names two archives, or an archive whose leading part names
// another file, can be split more than one way: the split whose
// destination exists wins, and the reader says what it chose.
TEST(Command, TheSplitWhoseDestinationExistsWinsAndIsReported) {
    const auto folders = [](std::set<std::string> names) {
        return [names](const std::filesystem::path &p) { return names.count(p.string()) > 0; };
    };
    const struct {
        const char *line;
        std::set<std::string> files, dirs;
        const char *archive, *destination;
        bool reported;
    } cases[] = {
        {"e /x/my data.lzh /x/out/",
         {"/x/my", "/x/my data.lzh"},
         {"/x/out"},
         "/x/my data.lzh",
         "/x/out",
         true},
        // The shorter archive part is the one whose destination exists.
        {"e /x/a b.lzh /o/", {"/x/a", "/x/a b.lzh"}, {"b.lzh /o"}, "/x/a", "b.lzh /o", true},
        // Two archives and no existing destination: the first is read as
        // the archive, and the rest is a folder to create, said so.
        {"e /a/A.LZH /a/B.LZH /d/", {"/a/A.LZH", "/a/B.LZH"}, {}, "/a/A.LZH", "/a/B.LZH /d", true},
        {"e /a/A.LZH /d/", {"/a/A.LZH"}, {"/d"}, "/a/A.LZH", "/d", false},
    };
    for (const auto &c : cases) {
        const auto r = unlha::parseCommand(c.line, filesAre(c.files), folders(c.dirs));
        ASSERT_TRUE(r.ok()) << c.line << ": " << r.error;
        EXPECT_EQ(r.command.archive, c.archive) << c.line;
        EXPECT_EQ(r.command.destination, c.destination) << c.line;
        EXPECT_EQ(!r.choice.empty(), c.reported) << c.line << ": " << r.choice;
        if (c.reported) {
            EXPECT_NE(r.choice.find(c.archive), std::string::npos) << r.choice;
        }
    }
}

} // namespace
