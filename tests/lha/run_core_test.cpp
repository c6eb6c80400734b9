// SPDX-License-Identifier: MIT
// What every run shares, over archives larger than one batch of members:
// one set of decoding threads for the whole run, progress reports few
// enough for a window to follow, and a walk that goes on past batches
// narrowed down to nothing.
#include "archive_builder.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "pipeline.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sys/resource.h>
#include <system_error>

namespace {

namespace fs = std::filesystem;
using lha::testing::buildArchive;
using lha::testing::Member;
using lha::testing::TempDir;

// Several batches of members, each with a little data to decode.
constexpr std::size_t kMembers = 3000;

std::string smallMembers() {
    std::vector<Member> members;
    for (std::size_t i = 0; i < kMembers; ++i)
        members.emplace_back(lha::testing::numbered("m", i), "0123456789");
    return buildArchive(members);
}

std::atomic<int> g_threadsStarted{0};

struct CountedThreads {
    CountedThreads() {
        g_threadsStarted = 0;
        lha::startDecodingThread = [](std::function<void()> work) {
            ++g_threadsStarted;
            return lha::startThread(std::move(work));
        };
    }
    ~CountedThreads() { lha::startDecodingThread = lha::startThread; }
};

TEST(RunCore, ARunStartsItsDecodingThreadsOnceWhateverTheBatches) {
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", smallMembers());
    const CountedThreads counted;
    lha::ExtractOptions options;
    options.threads = 2;
    EXPECT_TRUE(lha::extract(dir / "a.lzh", dir / "out", options).ok());
    EXPECT_EQ(g_threadsStarted, 2);
    g_threadsStarted = 0;
    EXPECT_TRUE(lha::test(dir / "a.lzh", lha::TestOptions{options, {}}).ok());
    EXPECT_EQ(g_threadsStarted, 2);
}

// A test hands the caller verdicts only, and it has little to do with each:
// woken for every small member it would sleep again at once, thousands of
// times a run. It is woken for a group of them instead.
TEST(RunCore, ATestWakesItsCallerForGroupsOfSmallMembers) {
    // Large enough that decoding them keeps the caller waiting.
    constexpr std::size_t kCount = 1000;
    std::vector<Member> members;
    for (std::size_t i = 0; i < kCount; ++i)
        members.emplace_back(lha::testing::numbered("m", i), std::string(24 * 1024, 'w'));
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));
    lha::TestOptions options;
    options.threads = 2;
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    EXPECT_TRUE(lha::test(dir / "a.lzh", options).ok());
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
    EXPECT_LT(after.ru_nvcsw - before.ru_nvcsw, static_cast<long>(kCount / 3));
}

TEST(RunCore, ProgressIsThrottledAndEndsAtTheTotal) {
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", smallMembers());
    for (const bool extracting : {true, false}) {
        int reports = 0;
        lha::Progress last;
        lha::ExtractOptions options;
        options.progress = [&](const lha::Progress &p) {
            ++reports;
            EXPECT_GE(p.done, last.done);
            last = p;
        };
        const auto start = std::chrono::steady_clock::now();
        const auto result = extracting ? lha::extract(dir / "a.lzh", dir / "out", options)
                                       : lha::test(dir / "a.lzh", lha::TestOptions{options, {}});
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(result.ok()) << result.message;
        // The first, one a tenth of a second at most, and the last.
        EXPECT_LE(reports, 2 + took / std::chrono::milliseconds(100)) << extracting;
        EXPECT_EQ(last.total, 10 * kMembers);
        EXPECT_EQ(last.done, last.total);
    }
}

TEST(RunCore, ABatchNarrowedToNothingIsNotTheEndOfTheWalk) {
    std::vector<Member> members;
    for (std::size_t i = 0; i < kMembers; ++i) {
        Member folder(lha::testing::numbered("d", i), "");
        folder.method = "-lhd-";
        members.push_back(folder);
    }
    members.emplace_back("last.txt", "end");
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));

    lha::ExtractOptions flat;
    flat.ignoreFolders = true;
    EXPECT_TRUE(lha::extract(dir / "a.lzh", dir / "out", flat).ok());
    EXPECT_EQ(lha::testing::treeOf(dir / "out"), std::vector<std::string>{"last.txt"});

    lha::TestOptions chosen;
    chosen.select = [](const lha::MemberInfo &m) { return m.name == "last.txt"; };
    const auto tested = lha::test(dir / "a.lzh", chosen);
    ASSERT_EQ(tested.members.size(), 1u);
    EXPECT_EQ(tested.members[0].name, "last.txt");
    EXPECT_EQ(tested.members[0].error, lha::Error::None);
}

// Small members' packed bytes are read a block ahead on each thread: a run
// over another archive, or over the same file rewritten, on that same thread
// must never be served the blocks of the one before.
TEST(RunCore, ABlockReadAheadServesOnlyTheFileItWasReadFrom) {
    lha::startDecodingThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    TempDir dir;
    for (const char fill : {'a', 'b', 'c'}) {
        const std::string first(3000, fill);
        const std::string second(5000, static_cast<char>(fill + 16));
        lha::testing::writeFile(dir / (fill == 'c' ? "a.lzh" : std::string(1, fill) + ".lzh"),
                                buildArchive({Member{"one", first}, Member{"two", second}}));
        std::string printed;
        const auto result =
            lha::print(dir / (fill == 'c' ? "a.lzh" : std::string(1, fill) + ".lzh"), {},
                       [&](const uint8_t *data, std::size_t size) {
                           printed.append(reinterpret_cast<const char *>(data), size);
                           return true;
                       });
        EXPECT_TRUE(result.ok()) << fill << ": " << result.message;
        EXPECT_TRUE(printed == first + second) << fill;
    }
    lha::startDecodingThread = lha::startThread;
}

// A test that passes the bytes nowhere hands the caller only their count,
// and starts large members early: the verdicts must still come in archive
// order and belong to their own members, with any number of threads, and a
// cancel inside a large member must end the run.
// Small members with three large ones among them, `damaged` with a CRC
// that is not its data's.
std::vector<Member> smallAndLargeMembers(std::size_t largeSize, const std::string &damaged) {
    std::vector<Member> members;
    for (std::size_t i = 0; i < 300; ++i) {
        members.emplace_back(lha::testing::numbered("s", i), std::string(100 + i, 'x'));
        if (i % 100 == 50) {
            Member large(lha::testing::numbered("large", i), std::string(largeSize, 'L'));
            if (large.name == damaged)
                large.crc = 0x1234; // not the data's
            members.push_back(large);
        }
    }
    return members;
}

TEST(RunCore, ATestStartingLargeMembersEarlyKeepsEachVerdictWithItsMember) {
    constexpr std::size_t kLarge = 3 * 1024 * 1024 / 2;
    const std::vector<Member> members =
        smallAndLargeMembers(kLarge, lha::testing::numbered("large", 150));
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));

    for (const unsigned threads : {1u, 2u, 3u}) {
        lha::TestOptions options;
        options.threads = threads;
        std::vector<std::string> seen;
        options.tested = [&](const lha::MemberInfo &m, const lha::MemberOutcome &) {
            seen.push_back(m.name);
        };
        const auto result = lha::test(dir / "a.lzh", options);
        ASSERT_EQ(result.members.size(), members.size()) << threads;
        for (std::size_t i = 0; i < members.size(); ++i) {
            EXPECT_EQ(seen[i], members[i].name) << threads;
            const bool bad = members[i].name == lha::testing::numbered("large", 150);
            EXPECT_EQ(result.members[i].error, bad ? lha::Error::Damaged : lha::Error::None)
                << threads << " " << members[i].name << ": " << result.members[i].message;
        }
    }

    lha::TestOptions cancelling;
    cancelling.threads = 2;
    std::atomic<bool> cancel{false};
    cancelling.cancel = &cancel;
    cancelling.progress = [&](const lha::Progress &p) {
        if (p.done > kLarge / 2)
            cancel = true;
    };
    EXPECT_EQ(lha::test(dir / "a.lzh", cancelling).error, lha::Error::Cancelled);
}

// A test decodes while it surveys the headers, before it knows which
// members take part: what it decoded of folders, links, refused names and
// members outside the run must not end up as any member's verdict. A test
// of the same bytes in memory, which decodes only once it walks, is the
// reference.
TEST(RunCore, ATestDecodingDuringTheSurveyKeepsEachVerdictWithItsMember) {
    std::vector<Member> members;
    for (std::size_t i = 0; i < 200; ++i) {
        Member m(lha::testing::numbered("f", i), std::string(50 + i, 'f'));
        switch (i % 5) {
        case 1:
            m.method = "-lhd-";
            m.data.clear();
            break;
        case 2:
            m.name = "../out" + m.name;
            break;
        case 3:
            m.crc = 0x4321; // not the data's
            break;
        }
        members.push_back(m);
    }
    const std::string bytes = buildArchive(members);
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", bytes);
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    for (const bool narrowed : {false, true}) {
        for (const unsigned threads : {1u, 2u, 3u}) {
            lha::TestOptions options;
            options.threads = threads;
            if (narrowed)
                options.select = [](const lha::MemberInfo &m) { return m.name.back() % 2 == 0; };
            const auto expected = lha::testMemory(data, bytes.size(), options);
            const auto result = lha::test(dir / "a.lzh", options);
            ASSERT_EQ(result.members.size(), expected.members.size()) << threads;
            for (std::size_t i = 0; i < expected.members.size(); ++i) {
                EXPECT_EQ(result.members[i].name, expected.members[i].name) << threads;
                EXPECT_EQ(result.members[i].error, expected.members[i].error)
                    << threads << " " << expected.members[i].name;
            }
            EXPECT_EQ(result.error, expected.error);
        }
    }
}

// An extraction starts large members early into unnamed files of their own:
// each must still end under its own name with its own bytes, a damaged one
// must leave nothing, and one whose name is taken must follow the
// overwrite answer, with any number of threads.
TEST(RunCore, AnExtractionStartingLargeMembersEarlyWritesEachWhereItBelongs) {
    constexpr std::size_t kLarge = 3 * 1024 * 1024 / 2;
    std::vector<Member> members =
        smallAndLargeMembers(kLarge, lha::testing::numbered("large", 150));
    for (Member &m : members)
        m.name = "sub/" + m.name;
    const std::string bad = "sub/" + lha::testing::numbered("large", 150);
    const std::string taken = "sub/" + lha::testing::numbered("large", 250);
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));
    for (const unsigned threads : {1u, 2u, 3u}) {
        const fs::path out = dir / ("out" + std::to_string(threads));
        fs::create_directories(out / "sub");
        lha::testing::writeFile(out / taken, "theirs");
        lha::ExtractOptions options;
        options.threads = threads;
        options.overwrite = [](const lha::MemberInfo &) { return lha::OverwriteDecision::Skip; };
        const auto result = lha::extract(dir / "a.lzh", out, options);
        ASSERT_EQ(result.members.size(), members.size()) << threads;
        for (std::size_t i = 0; i < members.size(); ++i) {
            const Member &m = members[i];
            const lha::Error expected = m.name == bad     ? lha::Error::Damaged
                                        : m.name == taken ? lha::Error::Exists
                                                          : lha::Error::None;
            EXPECT_EQ(result.members[i].error, expected) << threads << " " << m.name;
            if (m.name == bad)
                EXPECT_FALSE(fs::exists(out / m.name)) << threads;
            else if (m.name == taken)
                EXPECT_EQ(lha::testing::readFile(out / m.name), "theirs") << threads;
            else
                EXPECT_TRUE(lha::testing::readFile(out / m.name) == m.data) << threads << m.name;
        }
    }
}

} // namespace
