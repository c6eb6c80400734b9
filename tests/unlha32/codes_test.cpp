// SPDX-License-Identifier: MIT
// What Unlha does without an owner window: the archive's tree restored, one
// code per cause, commands read as the program writes them, nothing replaced,
// and a report that never overruns the caller's buffer.
#include "fixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace fixtures;

TEST(Codes, ArchiveTreeComesOutWhole) {
    auto tree = contentsOf(kData / "files");
    tree["emptydir"] = "<dir>"; // git keeps no empty folders; the archive has one
    TempDir out;
    const auto call = callUnlha(extractCommand(kData / "archives/level2.lzh", out.path()));
    EXPECT_EQ(call.code, UNLHA_OK) << call.report;
    EXPECT_TRUE(contentsOf(out.path()) == tree);
}

TEST(Codes, EachCauseHasItsCode) {
    TempDir dir;
    const auto good = readFile(kLh5);
    auto flipped = good;
    flipped[good.size() / 2] ^= 0x5a;
    writeFile(dir / "flipped.lzh", flipped);
    writeFile(dir / "truncated.lzh", good.substr(0, good.size() / 2));
    writeFile(dir / "notes.lzh", "plain notes, not an archive\n");
    writeFile(dir / "odd.lzh", storedArchive("odd.txt", "data", "-lhz-"));
    writeFile(dir / "escape.lzh", storedArchive("../escape.txt", "data"));
    writeFile(dir / "plain", "a file where a folder should be");
    fs::create_directory(dir / "folder.lzh");
    fs::create_directory(dir / "out");

    const struct {
        fs::path archive, destination;
        int code;
    } cases[] = {
        {kLh5, dir / "out", UNLHA_OK},
        {dir / "absent.lzh", dir / "out", UNLHA_ERROR_ARCHIVE_UNREADABLE},
        {dir / "folder.lzh", dir / "out", UNLHA_ERROR_ARCHIVE_UNREADABLE},
        {dir / "notes.lzh", dir / "out", UNLHA_ERROR_NOT_ARCHIVE},
        {dir / "flipped.lzh", dir / "out", UNLHA_ERROR_DAMAGED},
        {dir / "truncated.lzh", dir / "out", UNLHA_ERROR_DAMAGED},
        {dir / "odd.lzh", dir / "out", UNLHA_ERROR_METHOD},
        {kLh5, dir / "plain", UNLHA_ERROR_WRITE},
        {kLh5, dir / "plain/inside", UNLHA_ERROR_WRITE},
        {dir / "escape.lzh", dir / "out", UNLHA_ERROR_UNSAFE_NAME},
    };
    for (const auto &c : cases) {
        fs::remove_all(dir / "out");
        fs::create_directory(dir / "out");
        const auto call = callUnlha(extractCommand(c.archive, c.destination));
        EXPECT_EQ(call.code, c.code) << c.archive << "\n" << call.report;
        // Whatever was written is whole, and nothing lands beside the destination.
        for (const auto &[name, content] : contentsOf(dir / "out"))
            EXPECT_EQ(content, readFile(kData / "files" / name)) << c.archive << " " << name;
    }
    EXPECT_FALSE(fs::exists(dir / "escape.txt"));
    EXPECT_EQ(readFile(dir / "plain"), "a file where a folder should be");
    EXPECT_EQ(UnlhaGetVersion(), 100);
}

TEST(Codes, CommandsAsTheProgramWritesThem) {
    TempDir dir;
    // Blanks and Japanese in both paths, unquoted, and a file that a split at
    // the first blank would name; quotes that belong to the name.
    fs::create_directories(dir / "my archives");
    fs::copy_file(kLh5, dir / "my archives/old data.lzh");
    fs::copy_file(kLh5, dir / "\"q\".lzh");
    writeFile(dir / "my", "not the archive");
    writeFile(dir / "notes.lzh", "plain text");
    const auto d = dir.path().string();
    const struct {
        std::string command;
        int code;
        const char *written; // a file the command must have written, if any
    } cases[] = {
        {"e " + d + "/my archives/old data.lzh " + d + "/解凍 先/", UNLHA_OK, "解凍 先/tiny.txt"},
        {"e " + d + "/\"q\".lzh " + d + "/q/", UNLHA_OK, "q/tiny.txt"},
        // Stops at the archive, after taking "//" as the root.
        {"e " + d + "/notes.lzh //", UNLHA_ERROR_NOT_ARCHIVE, nullptr},
        {"e " + kLh5.string() + " " + d + "/no-mark", UNLHA_ERROR_COMMAND, nullptr},
        {"q " + kLh5.string() + " " + d + "/x/", UNLHA_ERROR_COMMAND, nullptr},
        {"l " + kLh5.string(), UNLHA_ERROR_COMMAND, nullptr},
    };
    for (const auto &c : cases) {
        const auto call = callUnlha(c.command);
        EXPECT_EQ(call.code, c.code) << c.command << "\n" << call.report;
        if (c.written) {
            EXPECT_EQ(readFile(dir / c.written), "hello\n") << c.command;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "no-mark"));
    EXPECT_EQ(Unlha(0, nullptr, nullptr, 0), UNLHA_ERROR_COMMAND);
}

TEST(Codes, NothingReplacedAndTheReportFitsTheBufferExactly) {
    TempDir out;
    writeFile(out / "tiny.txt", "kept");
    const auto command = extractCommand(kLh5, out.path());
    // A handle that names no window of this program, then no owner window;
    // after the first run every member is skipped, so the report stays the same.
    std::string full;
    for (const uint32_t hwnd : {0x7ffffff1u, 0u}) {
        const auto call = callUnlha(command, hwnd);
        EXPECT_EQ(call.code, UNLHA_ERROR_EXISTS);
        EXPECT_NE(call.report.find("skipped tiny.txt"), std::string::npos) << call.report;
        EXPECT_EQ(readFile(out / "tiny.txt"), "kept");
        full = call.report;
    }
    // Buffers of exactly the size given, so that the sanitizer sees an overrun.
    for (const std::size_t size : {std::size_t(1), full.size(), full.size() + 1}) {
        auto buffer = std::make_unique<char[]>(size);
        std::fill_n(buffer.get(), size, 'x');
        Unlha(0, command.c_str(), buffer.get(), static_cast<uint32_t>(size));
        EXPECT_EQ(std::string(buffer.get()), full.substr(0, size - 1)) << size;
    }
    char untouched[] = "abc";
    EXPECT_EQ(Unlha(0, command.c_str(), untouched, 0), UNLHA_ERROR_EXISTS);
    EXPECT_STREQ(untouched, "abc");
}

} // namespace
