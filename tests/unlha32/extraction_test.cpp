// Real archives from an independent encoder come out byte for byte, with
// their folders and Japanese names; without an owner nothing is replaced.
#include "fixtures.h"
#include "unlha32.h"

#include <gtest/gtest.h>

namespace {

using namespace fixtures;

Tree sourceTree() {
    auto tree = treeOf(dataDir() / "files");
    // Git keeps no empty folders; the archives have one.
    tree["emptydir"] = "<dir>";
    return tree;
}

TEST(Extraction, EveryHeaderLevelAndNameCharsetRestoresTheTree) {
    const auto expected = sourceTree();
    for (const char *archive :
         {"level0.lzh", "level1.lzh", "level2.lzh", "unix-utf8.lzh", "unix-eucjp.lzh"}) {
        ScratchDir out;
        const auto call = unlha(extractCommand(dataDir() / "archives" / archive, out.path()));
        EXPECT_EQ(call.code, UNLHA_OK) << archive << "\n" << call.report;
        EXPECT_EQ(differences(expected, treeOf(out.path())), "") << archive;
    }
}

TEST(Extraction, EveryMethodRestoresTheFiles) {
    Tree expected;
    for (const char *name : {"text.txt", "large.bin", "tiny.txt", "empty.txt"})
        expected[name] = readFile(dataDir() / "files" / name);
    for (const char *method :
         {"lh0", "lh1", "lh2", "lh3", "lh4", "lh5", "lh6", "lh7", "lzs", "lz4", "lz5"}) {
        ScratchDir out;
        const auto archive = dataDir() / "archives" / ("method-" + std::string(method) + ".lzh");
        const auto call = unlha(extractCommand(archive, out.path()));
        EXPECT_EQ(call.code, UNLHA_OK) << method << "\n" << call.report;
        EXPECT_EQ(differences(expected, treeOf(out.path())), "") << method;
    }
}

TEST(Extraction, BundledSampleMatchesItsSources) {
    ScratchDir out;
    const auto call = unlha(extractCommand(samplesDir() / "SAMPLE.LZH", out.path()));
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_EQ(differences(treeOf(samplesDir() / "src"), treeOf(out.path())), "");
}

TEST(Extraction, WithoutAnOwnerWindowNothingIsReplaced) {
    const auto archive = dataDir() / "archives/method-lh5.lzh";
    // No owner at all, and a handle that names no window of this program.
    for (uint32_t hwnd : {0u, 0x7ffffff1u}) {
        ScratchDir out;
        writeFile(out / "tiny.txt", "mine");
        const auto call = unlha(extractCommand(archive, out.path()), hwnd);
        EXPECT_EQ(call.code, UNLHA_ERROR_EXISTS) << call.report;
        EXPECT_EQ(readFile(out / "tiny.txt"), "mine");
        EXPECT_EQ(readFile(out / "large.bin"), readFile(dataDir() / "files/large.bin"));
        EXPECT_NE(call.report.find("skipped tiny.txt"), std::string::npos) << call.report;
    }
}

} // namespace
