// SPDX-License-Identifier: MIT
// A run over very many members holds a bounded report: failures listed,
// successes past the first ones counted. Members are read a batch at a time,
// and what depends on the whole archive still sees all of it.
#include "archive_builder.h"
#include "entry.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "path_hashes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

namespace {

using lha::testing::TimeZone;

using lha::testing::buildArchive;
using lha::testing::Member;
using lha::testing::TempDir;

constexpr std::size_t kMembers = lha::Result::kListedOutcomes + 3000;

// Empty members, except those at `damaged`, whose CRC is wrong.
std::vector<Member> manyMembers(const std::vector<std::size_t> &damaged) {
    std::vector<Member> members;
    members.reserve(kMembers);
    for (std::size_t i = 0; i < kMembers; ++i) {
        Member m(lha::testing::numbered("f", i), "");
        m.level = 0;
        m.time = 0;
        if (std::find(damaged.begin(), damaged.end(), i) != damaged.end()) {
            m.data.assign(1, 'x'); // not = "x": GCC 12 misreads it at -O3
            m.crc = 1;
        }
        members.push_back(std::move(m));
    }
    return members;
}

TEST(Batches, ReportOfManyMembersListsEveryFailureAndCountsTheRest) {
    // Failures before, at and well after the point where successes stop being listed.
    const std::vector<std::size_t> damaged = {5, lha::Result::kListedOutcomes, kMembers - 1};
    const std::string archive = buildArchive(manyMembers(damaged));
    TempDir dir;
    lha::testing::writeFile(dir / "many.lzh", archive);
    // The members a test shows one by one: all of them, listed or not.
    std::size_t shown = 0;
    lha::TestOptions options;
    options.threads = 2;
    options.tested = [&](const lha::MemberInfo &info, const lha::MemberOutcome &outcome) {
        EXPECT_EQ(info.name, lha::testing::numbered("f", shown));
        EXPECT_EQ(outcome.name, info.name);
        ++shown;
    };
    const struct {
        const char *run;
        lha::Result result;
    } runs[] = {
        {"test", lha::testMemory(reinterpret_cast<const uint8_t *>(archive.data()), archive.size(),
                                 options)},
        {"extract", lha::extract(dir / "many.lzh", dir / "out")},
    };
    EXPECT_EQ(shown, kMembers);
    for (const auto &r : runs) {
        const auto &members = r.result.members;
        EXPECT_EQ(members.size(), lha::Result::kListedOutcomes + damaged.size() - 1) << r.run;
        EXPECT_EQ(r.result.unlistedSuccesses, kMembers - members.size()) << r.run;
        EXPECT_EQ(r.result.unlistedFailures, 0u) << r.run;
        std::vector<std::string> failed;
        for (const auto &m : members)
            if (m.error != lha::Error::None)
                failed.push_back(m.name);
        const std::vector<std::string> expected = {"f5", "f" + std::to_string(damaged[1]),
                                                   "f" + std::to_string(damaged[2])};
        EXPECT_EQ(failed, expected) << r.run;
        EXPECT_EQ(r.result.firstError(), lha::Error::Damaged) << r.run;
        // Listed in archive order: the last listed is the last member.
        ASSERT_FALSE(members.empty());
        EXPECT_EQ(members.back().name, expected.back()) << r.run;
    }
}

TEST(Batches, ResultCountsFailuresPastItsListAndKeepsLaterFilledOutcomes) {
    lha::Result result;
    for (std::size_t i = 0; i < lha::Result::kListedMost + 5; ++i)
        result.add({"bad", lha::Error::Damaged, "why"});
    result.add({"good", lha::Error::None, {}});
    EXPECT_EQ(result.members.size(), lha::Result::kListedMost);
    EXPECT_EQ(result.unlistedFailures, 5u);
    EXPECT_EQ(result.unlistedSuccesses, 1u);
    const std::size_t kept = result.add({"link", lha::Error::None, {}}, true);
    ASSERT_NE(kept, lha::Result::kUnlisted);
    EXPECT_EQ(result.members[kept].name, "link");
}

TEST(Batches, LinksPastWhatARunHoldsAreMadeEarlyAndNoFileIsWrittenThroughThem) {
    // More links than the run keeps waiting: they are made before the end,
    // and a file that would then go through one of them must fail.
    constexpr std::size_t kLinks = lha::Result::kListedOutcomes + 1000;
    std::vector<Member> members;
    auto folderOrLink = [](std::string name) {
        Member m(std::move(name), "");
        m.method = "-lhd-";
        return m;
    };
    members.push_back(folderOrLink("sub"));
    members.push_back(folderOrLink("d|sub"));
    for (std::size_t i = 0; i < kLinks; ++i)
        members.push_back(folderOrLink(lha::testing::numbered("l", i) + "|sub"));
    members.emplace_back("d\\x", "through the link");
    members.emplace_back("after.txt", "written");
    TempDir dir(lha::testing::fastTempBase());
    lha::testing::writeFile(dir / "links.lzh", buildArchive(members));
    const lha::Result result = lha::extract(dir / "links.lzh", dir / "out");

    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "sub" / "x"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "out" / "d"));
    EXPECT_EQ(lha::testing::readFile(dir / "out" / "after.txt"), "written");
    for (std::size_t i : {std::size_t{0}, kLinks / 2, kLinks - 1})
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "out" / lha::testing::numbered("l", i)));
    // One outcome per member, listed or counted, and only the first listed
    // when they succeed.
    EXPECT_EQ(result.members.size() + result.unlistedSuccesses + result.unlistedFailures,
              members.size());
    std::vector<std::string> failed;
    for (const auto &m : result.members)
        if (m.error != lha::Error::None)
            failed.push_back(m.name);
    EXPECT_EQ(failed, std::vector<std::string>{"d/x"});
    EXPECT_EQ(result.members.size(), lha::Result::kListedOutcomes + failed.size());
    EXPECT_EQ(result.members.front().name, "sub");
}

TEST(Batches, PathHashSetHoldsWhatItWasGivenUpToItsLimit) {
    constexpr std::size_t kMost = 50000;
    lha::PathHashSet set(kMost);
    // Hashes that share their low bits, as FNV's can.
    auto hash = [](std::size_t i) { return static_cast<uint64_t>(i) << 40 | 7; };
    for (std::size_t i = 0; i < kMost; ++i)
        ASSERT_EQ(set.insert(hash(i)), lha::PathHashSet::Inserted::New) << i;
    for (std::size_t i = 0; i < kMost; i += 997) {
        EXPECT_TRUE(set.contains(hash(i))) << i;
        EXPECT_EQ(set.insert(hash(i)), lha::PathHashSet::Inserted::Present) << i;
    }
    EXPECT_FALSE(set.contains(hash(kMost)));
    EXPECT_EQ(set.insert(hash(kMost)), lha::PathHashSet::Inserted::Full);
    EXPECT_FALSE(set.contains(hash(kMost)));
    EXPECT_NE(lha::pathHash({"a", "bc"}, 2), lha::pathHash({"ab", "c"}, 2));
    EXPECT_EQ(lha::pathHash({"a", "bc"}, 1), lha::pathHash({"a"}, 1));
}

TEST(Batches, ResultHoldsLongNamesWithinItsBytesAndRelistsLateOutcomes) {
    lha::Result result;
    const std::string longName(4000, 'n');
    constexpr std::size_t kAdded = 1000;
    for (std::size_t i = 0; i < kAdded; ++i)
        result.add({longName, lha::Error::None, {}});
    EXPECT_LT(result.members.size(), kAdded);
    EXPECT_EQ(result.members.size() + result.unlistedSuccesses, kAdded);
    EXPECT_LE(result.listedBytes, lha::Result::kListedBytes);
    // Failures have room of their own.
    EXPECT_NE(result.add({longName, lha::Error::Damaged, "why"}), lha::Result::kUnlisted);

    // Slots kept for outcomes filled in later: once known, a success past
    // the budget is counted, a failure listed, one never reached dropped.
    const std::size_t first = result.add({"ok", lha::Error::None, {}}, true);
    const std::size_t failed = result.add({"bad", lha::Error::None, {}}, true);
    const std::size_t unreached = result.add({"skipped", lha::Error::None, {}}, true);
    result.members[failed].error = lha::Error::WriteFailed;
    result.members[unreached].name.clear();
    const uint64_t counted = result.unlistedSuccesses;
    result.relist(first);
    EXPECT_EQ(result.unlistedSuccesses, counted + 1);
    ASSERT_EQ(result.members.size(), first + 1);
    EXPECT_EQ(result.members.back().name, "bad");
}

uint32_t dosStamp(int year, int month, int day, int hour, int minute) {
    return (static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day) << 16) |
           static_cast<uint32_t>((hour << 11) | (minute << 5));
}

TEST(Batches, DosTimesAgreeWithMktimeAroundEveryChangeOfOffset) {
    // Zones with summer time both ways, a half-hour change, and none.
    for (const char *zone : {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "UTC"}) {
        const TimeZone tz(zone);
        for (int year : {1985, 2021})
            for (int month = 1; month <= 12; ++month)
                for (int day = 1; day <= 31; ++day) // 31 in short months rolls over
                    for (int hour = 0; hour < 24; ++hour)
                        for (int minute : {0, 30, 59}) {
                            std::tm tm{};
                            tm.tm_year = year - 1900;
                            tm.tm_mon = month - 1;
                            tm.tm_mday = day;
                            tm.tm_hour = hour;
                            tm.tm_min = minute;
                            tm.tm_isdst = -1;
                            const time_t expected = std::mktime(&tm);
                            const auto got = lha::dosTime(dosStamp(year, month, day, hour, minute));
                            ASSERT_TRUE(got) << zone;
                            ASSERT_EQ(got->tv_sec, expected)
                                << zone << " " << year << "-" << month << "-" << day << " " << hour
                                << ":" << minute;
                        }
    }
}

} // namespace
