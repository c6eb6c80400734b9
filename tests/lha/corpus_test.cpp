// SPDX-License-Identifier: MIT
// Archives from historical LHA tools, checked against a peer's listings, and
// the regression archives that try to escape the destination.
#include "archive_builder.h"
#include "corpus.h"
#include "lha/lha.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using lha::testing::TempDir;

using lha::testing::kCorpus;

struct Expected {
    std::string method;
    uint64_t packed = 0;
    uint64_t size = 0;
    unsigned crc = 0;
};

bool isMethod(const std::string &word) {
    return word.size() == 5 && word.front() == '-' && word.back() == '-';
}

// Detail lines of the peer's verbose listing: "... PACKED SIZE RATIO METHOD CRC ...".
std::vector<Expected> expectedMembers(const fs::path &listing) {
    std::vector<Expected> out;
    std::ifstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        for (std::size_t i = 3; i + 1 < w.size(); ++i)
            if (isMethod(w[i]) && w[i + 1].size() == 4) {
                out.push_back({w[i], std::stoull(w[i - 3]), std::stoull(w[i - 2]),
                               static_cast<unsigned>(std::stoul(w[i + 1], nullptr, 16))});
                break;
            }
    }
    return out;
}

// Each archive with its listing: expected/ describes the corpus folders,
// variants/expected/ the historical variants in variants/.
std::vector<std::pair<fs::path, fs::path>> corpusArchives() {
    std::vector<std::pair<fs::path, fs::path>> out;
    for (const auto &root : {kCorpus, kCorpus / "variants"}) {
        if (!fs::is_directory(root / "expected"))
            continue;
        for (const auto &e : fs::recursive_directory_iterator(root / "expected")) {
            const std::string name = e.path().filename();
            if (name.size() < 7 || name.substr(name.size() - 7) != "-vv.txt")
                continue;
            const auto relative = fs::relative(e.path().parent_path(), root / "expected");
            const auto archive = root / relative / name.substr(0, name.size() - 7);
            if (fs::exists(archive))
                out.push_back({archive, e.path()});
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Corpus, ListingsMatchThePeersSizesMethodsAndCrcs) {
    SKIP_WITHOUT_CORPUS();
    const auto archives = corpusArchives();
    ASSERT_GE(archives.size(), 30u);
    for (const auto &[archive, listing] : archives) {
        std::vector<lha::MemberInfo> members;
        lha::list(archive, members);
        const auto expected = expectedMembers(listing);
        ASSERT_EQ(members.size(), expected.size()) << archive;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(members[i].method, expected[i].method) << archive << " #" << i;
            EXPECT_EQ(members[i].packedSize, expected[i].packed) << archive << " #" << i;
            EXPECT_EQ(members[i].originalSize, expected[i].size) << archive << " #" << i;
            EXPECT_EQ(members[i].crc, expected[i].crc) << archive << " #" << i;
        }
    }
}

TEST(Corpus, EveryMemberDecodesWhereThePeerFoundItSound) {
    SKIP_WITHOUT_CORPUS();
    for (const auto &[archive, listing] : corpusArchives()) {
        auto testListing = listing.string();
        testListing.replace(testListing.size() - 7, 7, "-t.txt");
        std::size_t peerFailures = 0;
        std::ifstream in(testListing);
        std::string line;
        while (std::getline(in, line))
            peerFailures += line.find("Tested") == std::string::npos && !line.empty();
        const auto result = lha::test(archive);
        std::size_t failures = 0;
        std::ostringstream why;
        for (const auto &m : result.members)
            if (m.error != lha::Error::None) {
                ++failures;
                why << m.name << ": " << m.message << "; ";
            }
        EXPECT_EQ(failures, peerFailures) << archive << ": " << why.str();
    }
}

// Every link under root resolves inside it.
void expectLinksInside(const fs::path &root) {
    const auto base = fs::canonical(root);
    for (const auto &e : fs::recursive_directory_iterator(root))
        if (e.is_symlink()) {
            const auto resolved = fs::weakly_canonical(e.path());
            const auto rel = fs::relative(resolved, base);
            EXPECT_FALSE(rel.empty() || *rel.begin() == "..") << e.path();
        }
}

TEST(Corpus, RegressionArchivesCannotEscapeTheDestination) {
    SKIP_WITHOUT_CORPUS();
    for (const auto &e : fs::directory_iterator(kCorpus / "regression")) {
        if (e.path().extension() != ".lzh")
            continue;
        TempDir sandbox;
        const auto dest = sandbox / "dest";
        const auto result = lha::extract(e.path(), dest);
        EXPECT_EQ(lha::testing::treeOf(sandbox.path()).front(), "dest") << e.path();
        for (const auto &entry : fs::directory_iterator(sandbox.path()))
            EXPECT_EQ(entry.path(), dest) << e.path();
        expectLinksInside(dest);
        const auto name = e.path().stem().string();
        if (name == "symlink1") {
            EXPECT_FALSE(fs::exists(fs::symlink_status(dest / "bar.txt")));
        } else if (name == "symlink2" || name == "symlink3") {
            EXPECT_FALSE(fs::is_symlink(dest / "etc"));
        } else if (name == "dotdot") {
            EXPECT_EQ(result.firstError(), lha::Error::UnsafeName);
        }
        if (name == "truncated") {
            EXPECT_EQ(result.firstError(), lha::Error::Damaged);
            EXPECT_TRUE(fs::is_empty(dest));
        }
    }
}

TEST(Corpus, TerminalEscapesNeverReachAListing) {
    SKIP_WITHOUT_CORPUS();
    std::vector<lha::MemberInfo> members;
    lha::list(kCorpus / "regression" / "badterm.lzh", members);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(lha::printable(members[0].name).find('\x1B'), std::string::npos);
    EXPECT_EQ(members[0].name.find('\x1B'), std::string::npos);
}

} // namespace
