// SPDX-License-Identifier: MIT
// The archives jLHA made from tests/data/files: each must extract to exactly
// those files, whatever the method, header level or name charset.
#include "archive_builder.h"
#include "lha/lha.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace {

using lha::testing::TimeZone;

namespace fs = std::filesystem;
using lha::testing::TempDir;

const fs::path kData = HOKORA_TEST_DATA_DIR;

std::vector<fs::path> fixtures() {
    std::vector<fs::path> out;
    for (const auto &e : fs::directory_iterator(kData / "archives"))
        out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// Every extracted file must equal its source; returns how many were compared.
int compareWithSources(const fs::path &extracted, const std::string &archive) {
    int files = 0;
    for (const auto &e : fs::recursive_directory_iterator(extracted)) {
        const auto relative = fs::relative(e.path(), extracted);
        const auto source = kData / "files" / relative;
        if (e.is_directory()) {
            EXPECT_TRUE(fs::is_directory(source) || relative == "emptydir")
                << archive << ": " << relative;
            continue;
        }
        EXPECT_TRUE(e.is_regular_file()) << archive << ": " << relative;
        EXPECT_EQ(lha::testing::readFile(e.path()), lha::testing::readFile(source))
            << archive << ": " << relative;
        ++files;
    }
    return files;
}

TEST(Fixtures, EveryArchiveExtractsByteIdenticalToItsSources) {
    const auto archives = fixtures();
    ASSERT_GE(archives.size(), 16u);
    for (const auto &archive : archives) {
        TempDir dest;
        const auto result = lha::extract(archive, dest.path());
        EXPECT_TRUE(result.ok()) << archive.filename() << ": " << result.message;
        for (const auto &m : result.members)
            EXPECT_EQ(m.error, lha::Error::None)
                << archive.filename() << ": " << m.name << ": " << m.message;
        const bool wholeTree = archive.filename().string().rfind("method-", 0) != 0;
        EXPECT_EQ(compareWithSources(dest.path(), archive.filename()), wholeTree ? 7 : 4)
            << archive.filename();
        if (wholeTree) {
            EXPECT_TRUE(fs::is_regular_file(dest / "表.txt")) << archive.filename();
            EXPECT_TRUE(fs::is_regular_file(dest / "ソフト" / "説明.txt")) << archive.filename();
            EXPECT_TRUE(fs::is_directory(dest / "emptydir")) << archive.filename();
        }
    }
}

TEST(Fixtures, ListingAndTestAgreeWithTheSources) {
    for (const auto &archive : fixtures()) {
        std::vector<lha::MemberInfo> members;
        ASSERT_TRUE(lha::list(archive, members).ok()) << archive;
        for (const auto &m : members) {
            if (m.kind != lha::MemberKind::File)
                continue;
            EXPECT_EQ(m.originalSize, fs::file_size(kData / "files" / m.name)) << m.name;
        }
        // One thread or many, the outcome is the same.
        for (unsigned threads : {1u, 3u}) {
            lha::TestOptions options;
            options.threads = threads;
            const auto result = lha::test(archive, options);
            EXPECT_TRUE(result.ok()) << archive.filename() << " threads " << threads;
            EXPECT_EQ(result.members.size(), members.size());
        }
    }
}

TEST(Fixtures, TimeStampsOfEveryLevelAreRestored) {
    // The fixtures were made in UTC: 2001-02-03 04:05:06 plus a minute per entry.
    const time_t first = 981173106;
    for (const char *name : {"level0.lzh", "level1.lzh", "level2.lzh"}) {
        TempDir dest;
        {
            const TimeZone utc("UTC");
            ASSERT_TRUE(lha::extract(kData / "archives" / name, dest.path()).ok());
        }
        struct stat st {};
        ASSERT_EQ(stat((dest / "large.bin").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, first + 3 * 60) << name;
        // Folders get their time after their content was written.
        ASSERT_EQ(stat((dest / "docs").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, first + 7 * 60) << name;
    }
}

TEST(Fixtures, ProgressCoversEveryByteOnce) {
    lha::ExtractOptions options;
    uint64_t last = 0;
    uint64_t total = 0;
    bool monotonic = true;
    options.progress = [&](const lha::Progress &p) {
        monotonic = monotonic && p.done >= last;
        last = p.done;
        total = p.total;
    };
    TempDir dest;
    ASSERT_TRUE(lha::extract(kData / "archives" / "level2.lzh", dest.path(), options).ok());
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(total, 117245u);
    EXPECT_EQ(last, total);
}

} // namespace
