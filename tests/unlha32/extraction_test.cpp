// Archives from an independent encoder come out byte for byte, with their
// folders and Japanese names; without an owner nothing is replaced.
#include "fixtures.h"
#include "unlha32.h"

#include <gtest/gtest.h>

namespace {

using namespace fixtures;

TEST(Extraction, EveryFixtureAndTheSampleMatchTheirSources) {
    auto tree = treeOf(dataDir() / "files");
    tree["emptydir"] = "<dir>"; // git keeps no empty folders; the archives have one
    std::map<std::string, std::string> payload;
    for (const char *name : {"text.txt", "large.bin", "tiny.txt", "empty.txt"})
        payload[name] = tree[name];

    std::map<fs::path, std::map<std::string, std::string>> expected;
    for (const char *archive :
         {"level0.lzh", "level1.lzh", "level2.lzh", "unix-utf8.lzh", "unix-eucjp.lzh"})
        expected[dataDir() / "archives" / archive] = tree;
    for (const char *m :
         {"lh0", "lh1", "lh2", "lh3", "lh4", "lh5", "lh6", "lh7", "lzs", "lz4", "lz5"})
        expected[dataDir() / "archives" / ("method-" + std::string(m) + ".lzh")] = payload;
    expected[samplesDir() / "SAMPLE.LZH"] = treeOf(samplesDir() / "src");

    for (const auto &[archive, files] : expected) {
        ScratchDir out;
        const auto call = unlha(extractCommand(archive, out.path()));
        EXPECT_EQ(call.code, UNLHA_OK) << archive << "\n" << call.report;
        EXPECT_TRUE(treeOf(out.path()) == files) << archive;
    }
}

TEST(Extraction, WithoutAnOwnerWindowNothingIsReplaced) {
    // No owner, and a handle that names no window of this program.
    for (uint32_t hwnd : {0u, 0x7ffffff1u}) {
        ScratchDir out;
        writeFile(out / "tiny.txt", "mine");
        const auto call =
            unlha(extractCommand(dataDir() / "archives/method-lh5.lzh", out.path()), hwnd);
        EXPECT_EQ(call.code, UNLHA_ERROR_EXISTS) << call.report;
        EXPECT_EQ(readFile(out / "tiny.txt"), "mine");
        EXPECT_EQ(readFile(out / "large.bin"), readFile(dataDir() / "files/large.bin"));
    }
}

} // namespace
