// The library reads the program's command as it is written: blanks need no
// quoting, quotes are accepted, the final separator marks the destination.
#include "fixtures.h"
#include "unlha32.h"

#include <gtest/gtest.h>

namespace {

using namespace fixtures;

const fs::path kLh5 = dataDir() / "archives/method-lh5.lzh";

TEST(Command, BlanksAndJapaneseInBothPathsNeedNoQuoting) {
    ScratchDir dir;
    fs::create_directories(dir / "my archives");
    fs::copy_file(kLh5, dir / "my archives/old data.lzh");
    // A second file that a split at the first blank would name.
    writeFile(dir / "my", "not the archive");
    fs::create_directories(dir / "解凍 先/new dir");

    const auto call = unlha("e " + (dir / "my archives/old data.lzh").string() + " " +
                            (dir / "解凍 先/new dir").string() + "/");
    ASSERT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_EQ(readFile(dir / "解凍 先/new dir/large.bin"), readFile(dataDir() / "files/large.bin"));
}

TEST(Command, QuotedPathsAndQuotesThatBelongToTheName) {
    ScratchDir dir;
    fs::copy_file(kLh5, dir / "a b.lzh");
    fs::create_directory(dir / "out dir");
    auto call =
        unlha("e \"" + (dir / "a b.lzh").string() + "\" \"" + (dir / "out dir").string() + "/\"");
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_TRUE(fs::exists(dir / "out dir/tiny.txt"));

    // The program passes quotes from its command line on unchanged.
    fs::copy_file(kLh5, dir / "\"q\".lzh");
    fs::create_directory(dir / "q");
    call = unlha("e " + (dir / "\"q\".lzh").string() + " " + (dir / "q").string() + "/");
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_TRUE(fs::exists(dir / "q/tiny.txt"));
}

TEST(Command, RootDestinationIsTwoSeparators) {
    // Not an archive: the call stops before writing, after reading the
    // command, so "//" must have been taken as the root.
    ScratchDir dir;
    writeFile(dir / "notes.lzh", "plain text");
    EXPECT_EQ(unlha("e " + (dir / "notes.lzh").string() + " //").code, UNLHA_ERROR_NOT_ARCHIVE);
}

TEST(Command, AnythingElseIsABadCommand) {
    ScratchDir dir;
    const auto archive = kLh5.string();
    const auto destination = dir.path().string();
    for (const auto &command :
         {std::string(), std::string("   "), "e " + archive, "e " + archive + " " + destination,
          "q " + archive + " " + destination + "/", "l " + archive, "t " + archive,
          "extract " + archive + " " + destination + "/"}) {
        const auto call = unlha(command);
        EXPECT_EQ(call.code, UNLHA_ERROR_COMMAND) << "[" << command << "] " << call.report;
    }
    EXPECT_EQ(Unlha(0, nullptr, nullptr, 0), UNLHA_ERROR_COMMAND);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

} // namespace
