// The report fits the caller's buffer exactly: never a byte past size, always
// NUL-terminated, nothing at all with size 0.
#include "fixtures.h"
#include "unlha32.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace fixtures;

const fs::path kLh5 = dataDir() / "archives/method-lh5.lzh";

// Heap buffers of the exact size, so that the sanitizer sees any overrun.
std::string reportInBufferOf(uint32_t size, const std::string &command) {
    auto out = std::make_unique<char[]>(size);
    for (uint32_t i = 0; i < size; ++i)
        out[i] = 'x';
    Unlha(0, command.c_str(), out.get(), size);
    EXPECT_NE(std::string(out.get(), size).find('\0'), std::string::npos);
    return out.get();
}

TEST(Report, NamesEveryMemberAndTheOutcome) {
    ScratchDir out;
    writeFile(out / "tiny.txt", "kept");
    const auto call = unlha(extractCommand(kLh5, out.path()));
    ASSERT_EQ(call.code, UNLHA_ERROR_EXISTS);
    for (const char *name : {"text.txt", "large.bin", "tiny.txt", "empty.txt"})
        EXPECT_NE(call.report.find(name), std::string::npos) << name << "\n" << call.report;
    EXPECT_NE(call.report.find("skipped tiny.txt"), std::string::npos) << call.report;
    EXPECT_NE(call.report.find("result 8"), std::string::npos) << call.report;
}

TEST(Report, BufferIsNeverOverrun) {
    ScratchDir dir;
    const auto command = extractCommand(dir / "absent.lzh", dir.path());
    const auto full = unlha(command).report;
    ASSERT_GT(full.size(), 2u);

    EXPECT_EQ(reportInBufferOf(1, command), "");
    EXPECT_EQ(reportInBufferOf(static_cast<uint32_t>(full.size() + 1), command), full);
    EXPECT_EQ(reportInBufferOf(static_cast<uint32_t>(full.size()), command),
              full.substr(0, full.size() - 1));

    // Size 0: the buffer is not touched, and may even be absent.
    char untouched[4] = {'a', 'b', 'c', '\0'};
    EXPECT_EQ(Unlha(0, command.c_str(), untouched, 0), UNLHA_ERROR_ARCHIVE_UNREADABLE);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(Unlha(0, command.c_str(), nullptr, 0), UNLHA_ERROR_ARCHIVE_UNREADABLE);
}

} // namespace
