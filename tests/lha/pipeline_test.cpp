// SPDX-License-Identifier: MIT
// The CRC-16 of a member is checked by the thread that takes its chunks, not
// by the one that decodes it, and a small member is handed over whole with
// its outcome: a mismatch must still fail that member, and only that one,
// whatever the thread count, and every byte must reach the caller in order.
// While an extraction writes, the decoding threads give way to the writer.
// A run meets a system that gives no thread or no memory with a report, not
// an abort.
#include "allocations.h"
#include "archive_builder.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "pipeline.h"
#include "scan.h"

#include <atomic>
#include <chrono>
#include <future>
#include <system_error>
#include <thread>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using lha::testing::buildArchive;
using lha::testing::Member;

constexpr std::size_t kChunk = 256 * 1024;

std::string variedData(std::size_t size, uint32_t seed) {
    std::string data(size, '\0');
    uint32_t x = seed + 1u;
    for (char &c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return data;
}

// Over four chunks of varied bytes, so that a wrong CRC is not a matter of
// the first chunk alone.
std::string largeData(char seed) {
    return variedData(1100 * 1024, static_cast<unsigned char>(seed));
}

std::vector<lha::Error> testedErrors(const std::string &archive, unsigned threads) {
    const auto result =
        lha::testMemory(reinterpret_cast<const uint8_t *>(archive.data()), archive.size(), threads);
    std::vector<lha::Error> errors;
    for (const auto &m : result.members)
        errors.push_back(m.error);
    return errors;
}

TEST(PipelineCrc, OnlyTheMemberWhoseLastChunkDiffersFails) {
    Member first{"first.bin", largeData('a')};
    Member damaged{"damaged.bin", largeData('b')};
    // The CRC of the same bytes with one changed near the end.
    std::string altered = damaged.data;
    altered[altered.size() - 3] ^= 0x40;
    damaged.crc = lha::testing::crcOf(altered);
    Member small{"small.txt", "fine"};
    Member last{"last.bin", largeData('c')};
    const std::string archive = buildArchive({first, damaged, small, last});

    const std::vector<lha::Error> expected{lha::Error::None, lha::Error::Damaged, lha::Error::None,
                                           lha::Error::None};
    for (unsigned threads : {1u, 2u, 4u})
        EXPECT_EQ(testedErrors(archive, threads), expected) << threads << " threads";

    const auto result =
        lha::testMemory(reinterpret_cast<const uint8_t *>(archive.data()), archive.size(), 2);
    EXPECT_NE(result.members.at(1).message.find("CRC"), std::string::npos);
}

TEST(PipelineCrc, EmptyAndChunkSizedMembersCheckOut) {
    Member empty{"empty", ""};
    Member exact{"exact.bin", largeData('d').substr(0, kChunk)};
    Member wrongEmpty{"wrong-empty", ""};
    wrongEmpty.crc = 1;
    const std::string archive = buildArchive({empty, exact, wrongEmpty});
    EXPECT_EQ(testedErrors(archive, 2),
              (std::vector<lha::Error>{lha::Error::None, lha::Error::None, lha::Error::Damaged}));
}

// More small members than the decoded bytes allowed to wait for the caller,
// with members one byte too large to go whole among them: the workers are
// held back and resumed many times, and any slip in that shows as bytes out
// of order, lost or doubled. An extraction takes the small members in
// batches: its writer is held up at the start, so that it meets a full
// queue, and every file must still come out whole.
TEST(PipelineOrder, ManySmallMembersAroundLargeOnesComeOutInOrder) {
    // The first 80 take turns (60 of them a whole chunk: over 16 MiB); the
    // last ones, all small, are more than the writer takes in one batch.
    constexpr std::size_t kTakingTurns = 80;
    constexpr std::size_t kMembers = kTakingTurns + 40;
    constexpr std::size_t kDamaged = 41;
    std::vector<Member> members;
    std::string expected;
    for (std::size_t i = 0; i < kMembers; ++i) {
        const std::size_t size = i >= kTakingTurns ? 100 + i
                                 : i % 9 == 4      ? kChunk + 1
                                 : i % 8 == 7      ? 100 + i
                                                   : kChunk;
        Member m(lha::testing::numbered("m", i), variedData(size, static_cast<uint32_t>(i)));
        if (i == kDamaged)
            m.crc = static_cast<uint16_t>(lha::testing::crcOf(m.data) ^ 1);
        expected += m.data;
        members.push_back(std::move(m));
    }
    lha::testing::TempDir dir;
    lha::testing::writeFile(dir / "many.lzh", buildArchive(members));
    for (unsigned threads : {1u, 2u, 4u}) {
        std::string printed;
        lha::TestOptions options;
        options.threads = threads;
        const auto result =
            lha::print(dir / "many.lzh", options, [&](const uint8_t *data, std::size_t size) {
                printed.append(reinterpret_cast<const char *>(data), size);
                return true;
            });
        // A damaged member has been handed over up to the fault: all of it.
        EXPECT_TRUE(printed == expected) << threads << " threads";
        ASSERT_EQ(result.members.size(), kMembers);
        for (std::size_t i = 0; i < kMembers; ++i)
            EXPECT_EQ(result.members[i].error,
                      i == kDamaged ? lha::Error::Damaged : lha::Error::None)
                << members[i].name << ", " << threads << " threads";
    }
    for (unsigned threads : {1u, 2u, 4u}) {
        lha::ExtractOptions options;
        options.threads = threads;
        int heldUp = 0;
        options.progress = [&](const lha::Progress &) {
            if (heldUp++ < 3)
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
        };
        const auto out = dir / ("out" + std::to_string(threads));
        const auto result = lha::extract(dir / "many.lzh", out, options);
        ASSERT_EQ(result.members.size(), kMembers);
        for (std::size_t i = 0; i < kMembers; ++i) {
            EXPECT_EQ(result.members[i].error,
                      i == kDamaged ? lha::Error::Damaged : lha::Error::None)
                << members[i].name << ", " << threads << " threads";
            if (i != kDamaged) {
                EXPECT_TRUE(lha::testing::readFile(out / members[i].name) == members[i].data)
                    << members[i].name << ", " << threads << " threads";
            }
        }
    }
}

// The nice value of each thread of this process but the calling one.
std::vector<int> otherThreadsNiceness() {
    constexpr std::size_t kNiceAfterName = 16; // field 19 of stat; the name ends field 2
    std::vector<int> values;
    const std::string self = std::to_string(::gettid());
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self)
            continue;
        std::ifstream in(task.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream fields(stat.substr(stat.rfind(')') + 1));
        std::string field;
        for (std::size_t i = 0; i <= kNiceAfterName && fields >> field; ++i)
            if (i == kNiceAfterName)
                values.push_back(std::stoi(field));
    }
    return values;
}

// While files are written, decoding must not take the writing thread's
// core; while they are only checked, it keeps the caller's priority, but
// for the thread that started decoding beside the survey of the headers,
// which the run waits for.
TEST(PipelinePriority, DecodingThreadsYieldToTheCallerOnlyWhileItWrites) {
    std::vector<Member> members;
    for (std::size_t i = 0; i < 6; ++i)
        members.emplace_back(lha::testing::numbered("m", i), largeData(static_cast<char>(i)));
    lha::testing::TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));
    const int own = ::getpriority(PRIO_PROCESS, 0);
    for (const bool extracting : {true, false}) {
        std::set<int> seen;
        lha::ExtractOptions options;
        options.threads = 2;
        options.progress = [&](const lha::Progress &) {
            for (const int nice : otherThreadsNiceness())
                seen.insert(nice);
        };
        const auto result = extracting ? lha::extract(dir / "a.lzh", dir / "out", options)
                                       : lha::test(dir / "a.lzh", lha::TestOptions{options, {}});
        EXPECT_TRUE(result.ok()) << result.message;
        // A thread may be seen before it lowered its priority.
        if (extracting)
            EXPECT_EQ(seen.count(std::min(own + 5, 19)), 1u);
        else
            EXPECT_EQ(seen.count(own), 1u);
        EXPECT_EQ(seen.size(), seen.count(own) + seen.count(std::min(own + 5, 19))) << extracting;
    }
}

// Jobs decoded ahead of the walk are claimed in the walk's order; those it
// passes over are dropped, and data it meets that was not prefetched ends
// the prefetching, so that every job still comes in the caller's order.
TEST(PipelineOrder, PrefetchedJobsAreClaimedInOrderOrDropped) {
    const std::string bytes =
        buildArchive({Member{"a", std::string(3000, 'a')}, Member{"b", std::string(3000, 'b')},
                      Member{"c", std::string(3000, 'c')}, Member{"d", std::string(3000, 'd')}});
    const lha::MemorySource source(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    std::vector<lha::MemberData> surveyed;
    const lha::Scan scan(source, std::nullopt,
                         [&](const lha::MemberData &data) { surveyed.push_back(data); });
    ASSERT_EQ(surveyed.size(), 4u);
    // The data of c as the survey did not see it: another CRC.
    lha::MemberData unseen = surveyed[2];
    unseen.crc = static_cast<uint16_t>(*unseen.crc ^ 1);
    for (const unsigned threads : {1u, 2u}) {
        lha::DecodePipeline pipeline(source, threads, lha::DecodePipeline::CallerWork::Verdicts);
        for (const auto &data : surveyed)
            pipeline.prefetch(data);
        const std::size_t a = pipeline.add(surveyed[0]);
        const std::size_t c = pipeline.add(unseen); // b passed over
        const std::size_t d = pipeline.add(surveyed[3]);
        pipeline.startWorkers();
        EXPECT_EQ(a, 0u);
        EXPECT_LT(a, c);
        EXPECT_LT(c, d);
        const auto verdict = [&](std::size_t job) {
            std::size_t decoded = 0;
            EXPECT_TRUE(pipeline.follow(job, [&](std::size_t n) {
                decoded += n;
                return true;
            }));
            EXPECT_EQ(decoded, 3000u) << job;
            return pipeline.outcome(job).error;
        };
        EXPECT_EQ(verdict(a), lha::Error::None) << threads;
        EXPECT_EQ(verdict(c), lha::Error::Damaged) << threads;
        EXPECT_EQ(verdict(d), lha::Error::None) << threads;
    }
}

// An archive read at a millisecond per read, as from a slow disk, so that
// the writer waits for members still being decoded.
class SlowSource : public lha::ArchiveSource {
public:
    explicit SlowSource(const lha::ArchiveSource &inner) : m_inner(inner) {}
    uint64_t size() const override { return m_inner.size(); }
    std::size_t readAt(uint64_t offset, uint8_t *buf, std::size_t n) const override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_inner.readAt(offset, buf, n);
    }

private:
    const lha::ArchiveSource &m_inner;
};

// A writer takes small members in batches, woken once the batch's last one
// is decoded as well. Behind one slow decoding thread it waits at every
// batch, and must be woken each time, the last, shorter one included.
TEST(PipelineOrder, AWriterWaitingForABatchOfSmallMembersIsWoken) {
    constexpr std::size_t kMembers = 45;
    std::vector<Member> members;
    for (std::size_t i = 0; i < kMembers; ++i)
        members.emplace_back(lha::testing::numbered("m", i), std::string(100 + i, 'x'));
    const std::string bytes = buildArchive(members);
    const lha::MemorySource memory(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    std::vector<lha::MemberData> surveyed;
    const lha::Scan scan(memory, std::nullopt,
                         [&](const lha::MemberData &data) { surveyed.push_back(data); });
    ASSERT_EQ(surveyed.size(), kMembers);
    const SlowSource source(memory);
    lha::DecodePipeline pipeline(source, 1, lha::DecodePipeline::CallerWork::Writes);
    for (const auto &data : surveyed)
        pipeline.add(data);
    pipeline.startWorkers();
    auto written = std::async(std::launch::async, [&] {
        std::size_t whole = 0;
        for (std::size_t job = 0; job < kMembers; ++job) {
            const auto member = pipeline.takeWhole(job);
            whole += member && member->outcome.error == lha::Error::None;
        }
        return whole;
    });
    if (written.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        pipeline.stop();
        FAIL() << "the writer was left waiting";
    }
    EXPECT_EQ(written.get(), kMembers);
}

// How many more threads the system gives; below 0, as many as asked.
int g_threadsLeft = -1;

std::thread startCountedThread(std::function<void()> work) {
    if (g_threadsLeft == 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    if (g_threadsLeft > 0)
        --g_threadsLeft;
    return lha::startThread(std::move(work));
}

// The system gives each run only `threads` threads: a run of a few members
// starts one pipeline.
struct ThreadLimit {
    explicit ThreadLimit(int threads) : m_threads(threads) {
        lha::startDecodingThread = [](std::function<void()> work) {
            return startCountedThread(std::move(work));
        };
    }
    ~ThreadLimit() {
        lha::startDecodingThread = lha::startThread;
        g_threadsLeft = -1;
    }
    // Options for a run that asks for four threads.
    lha::ExtractOptions options() const {
        g_threadsLeft = m_threads;
        lha::ExtractOptions options;
        options.threads = 4;
        return options;
    }
    int m_threads;
};

std::vector<lha::Error> errorsOf(const lha::Result &result) {
    std::vector<lha::Error> errors;
    for (const auto &m : result.members)
        errors.push_back(m.error);
    return errors;
}

// With one decoding thread, or none (the caller then decodes), every member
// still checks out or fails as it would, and its bytes come out whole.
TEST(PipelineThreads, RunsWithWhateverThreadsTheSystemGives) {
    Member damaged{"damaged.bin", largeData('b')};
    damaged.crc = static_cast<uint16_t>(lha::testing::crcOf(damaged.data) ^ 1);
    Member wrongSmall{"wrong.txt", "wrong"};
    wrongSmall.crc = 1;
    const std::vector<Member> members{{"first.bin", largeData('a')},
                                      damaged,
                                      {"small.txt", "fine"},
                                      wrongSmall,
                                      {"last.bin", largeData('c')}};
    const std::vector<lha::Error> expected{lha::Error::None, lha::Error::Damaged, lha::Error::None,
                                           lha::Error::Damaged, lha::Error::None};
    lha::testing::TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));
    for (const int threads : {0, 1}) {
        const ThreadLimit limit(threads);
        std::string printed;
        const auto printedResult =
            lha::print(dir / "a.lzh", lha::TestOptions{limit.options(), {}},
                       [&](const uint8_t *data, std::size_t size) {
                           printed.append(reinterpret_cast<const char *>(data), size);
                           return true;
                       });
        EXPECT_EQ(errorsOf(printedResult), expected) << threads << " threads";
        EXPECT_TRUE(printed ==
                    members[0].data + members[1].data + "fine" + "wrong" + members[4].data)
            << threads << " threads";
        const auto extracted = lha::extract(dir / "a.lzh", dir / "out", limit.options());
        EXPECT_EQ(errorsOf(extracted), expected) << threads << " threads";
        EXPECT_TRUE(lha::testing::readFile(dir / "out/last.bin") == members[4].data) << threads;
        EXPECT_FALSE(std::filesystem::exists(dir / "out/damaged.bin")) << threads;
        std::filesystem::remove_all(dir / "out");
    }
}

// Memory that runs out fails the members it denies, as lack of memory (the
// library's code for it, not damage), or the run; it never aborts.
TEST(PipelineMemory, RunningOutOfMemoryIsReportedNotAborted) {
    const std::vector<Member> members{{"large.bin", largeData('a')}, {"small.txt", "fine"}};
    lha::testing::TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", buildArchive(members));
    const struct {
        std::size_t failingFrom;
        std::size_t failingTo;
        std::vector<lha::Error> errors; // none: the run itself fails
    } cases[] = {
        // The large member's chunks are denied, the small one's are not.
        {kChunk, kChunk + 1, {lha::Error::OutOfMemory, lha::Error::None}},
        // Everything is denied.
        {1, SIZE_MAX, {}},
    };
    for (const auto &c : cases) {
        for (const int threads : {0, 2}) {
            const ThreadLimit limit(threads);
            const std::filesystem::path archive = dir / "a.lzh";
            const std::filesystem::path out = dir / "out";
            const lha::ExtractOptions options = limit.options();
            lha::Result tested;
            lha::Result extracted;
            // Only the runs meet the failures.
            lha::testing::failAllocations(c.failingFrom, c.failingTo);
            tested = lha::test(archive, lha::TestOptions{options, {}});
            g_threadsLeft = threads;
            extracted = lha::extract(archive, out, options);
            lha::testing::failAllocations(SIZE_MAX, SIZE_MAX);
            for (const auto *result : {&tested, &extracted}) {
                EXPECT_EQ(result->firstError(), lha::Error::OutOfMemory)
                    << c.failingFrom << ", " << threads << " threads: " << result->message;
                if (!c.errors.empty()) {
                    EXPECT_EQ(errorsOf(*result), c.errors) << c.failingFrom << ", " << threads;
                }
            }
            std::filesystem::remove_all(dir / "out");
        }
    }
}

} // namespace
