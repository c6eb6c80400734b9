#include "lha/command.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

lha::FileProbe filesAre(std::set<std::string> files) {
    return [files](const std::filesystem::path &p) { return files.count(p.string()) > 0; };
}

TEST(Command, ExtractSplitsWhereTheArchiveExistsWhateverTheBlanks) {
    const auto probe = filesAre({"/home/u/my data.lzh", "/home/u/my"});
    auto r = lha::parseCommand("e /home/u/my data.lzh /home/u/work dir/", probe);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.verb, lha::Verb::Extract);
    EXPECT_EQ(r.command.archive, "/home/u/my data.lzh");
    EXPECT_EQ(r.command.destination, "/home/u/work dir");

    // The library's own form: the root destination gets a second separator.
    r = lha::parseCommand("e /home/u/my data.lzh //", probe);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.destination, "/");
    r = lha::parseCommand("X /home/u/my data.lzh /\r\n", probe);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.destination, "/");
}

TEST(Command, QuotesProtectOrBelongToTheName) {
    auto r = lha::parseCommand("e \"/a b.lzh\" \"/out dir/\"", filesAre({"/a b.lzh"}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.archive, "/a b.lzh");
    EXPECT_EQ(r.command.destination, "/out dir");

    // A name whose quotes are real characters is kept as it is.
    r = lha::parseCommand("e \"q\".lzh /out/", filesAre({"\"q\".lzh"}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.archive, "\"q\".lzh");
}

TEST(Command, MissingArchiveIsGuessedByItsExtension) {
    auto r = lha::parseCommand("e /x/old files.LZH /dest dir/", filesAre({}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.archive, "/x/old files.LZH");
    EXPECT_EQ(r.command.destination, "/dest dir");
}

TEST(Command, ListAndTestTakeTheWholeRestAsArchive) {
    auto r = lha::parseCommand("l  /a b/c d.lzh ", filesAre({}));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.command.verb, lha::Verb::List);
    EXPECT_EQ(r.command.archive, "/a b/c d.lzh");
    EXPECT_TRUE(r.command.destination.empty());
    r = lha::parseCommand("t \"/a.lzh\"", filesAre({}));
    EXPECT_EQ(r.command.verb, lha::Verb::Test);
    EXPECT_EQ(r.command.archive, "/a.lzh");
}

TEST(Command, MalformedLinesAreRefusedWithAReason) {
    const auto probe = filesAre({"/a.lzh"});
    for (const char *line : {"", "   ", "q /a.lzh /d/", "extract /a.lzh /d/", "e", "e /a.lzh",
                             "e /a.lzh /d", "e /a.lzh \"/d\""}) {
        auto r = lha::parseCommand(line, probe);
        EXPECT_FALSE(r.ok()) << "accepted: [" << line << "]";
    }
}

} // namespace
