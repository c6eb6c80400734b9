// SPDX-License-Identifier: MIT
// Archives of historical producers that bend the format: each variant built
// here byte by byte, and the real archive from the corpus when it is there.
#include "archive_builder.h"
#include "corpus.h"
#include "lha/lha.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using lha::testing::Member;
using lha::testing::TempDir;

struct Extracted {
    std::vector<std::string> tree;
    lha::Result result;
    std::vector<lha::MemberInfo> listed;
};

Extracted extractBytes(const std::string &archive, const lha::ExtractOptions &options = {}) {
    TempDir dir;
    lha::testing::writeFile(dir / "a.lzh", archive);
    const auto dest = dir / "out";
    Extracted out{{}, lha::extract(dir / "a.lzh", dest, options), {}};
    if (fs::exists(dest))
        for (const auto &path : lha::testing::treeOf(dest))
            out.tree.push_back(path + (fs::is_directory(dest / path) ? "/" : ""));
    lha::list(dir / "a.lzh", out.listed);
    return out;
}

Extracted extractAll(const std::vector<Member> &members, const lha::ExtractOptions &options = {}) {
    return extractBytes(lha::testing::buildArchive(members), options);
}

Member level2(std::string name, std::string data, std::size_t uncounted = 0) {
    Member m(std::move(name), std::move(data));
    m.uncounted = uncounted;
    return m;
}

TEST(Variants, Level2TotalMayLeaveOutExactlyTheLastSizeField) {
    const struct {
        std::size_t uncounted;
        bool read;
    } cases[] = {{0, true}, {2, true}, {1, false}, {3, false}};
    for (const auto &c : cases) {
        const auto got =
            extractAll({level2("a.txt", "first", c.uncounted), level2("b.txt", "second")});
        if (c.read) {
            EXPECT_TRUE(got.result.ok()) << c.uncounted << ": " << got.result.message;
            EXPECT_EQ(got.tree, (std::vector<std::string>{"a.txt", "b.txt"})) << c.uncounted;
        } else {
            EXPECT_EQ(got.result.firstError(), lha::Error::Damaged) << c.uncounted;
            EXPECT_NE(got.result.message.find("runs past"), std::string::npos)
                << c.uncounted << ": " << got.result.message;
        }
    }
}

// Level-0 and level-1 headers of writers that keep more, or less, in them
// than LHA does.
TEST(Variants, HeaderShapesOfOtherWritersGiveTheirMembers) {
    using lha::testing::level0WithTail;
    const std::string note = "This is a comment on the file.";
    auto withNote = [&](int level) {
        Member m("metadata.txt" + std::string(1, '\0') + note, "noted");
        m.level = level;
        return lha::testing::buildArchive({m});
    };
    Member pmarc("HELLO.TXT", "hi");
    pmarc.method = "-pm0-";
    std::string pmarcTail;
    lha::testing::put16(pmarcTail, lha::testing::crcOf(std::string("hi")));
    pmarcTail += "This is a comment attached to the file";
    // A refused link first, then a member whose header has no CRC field.
    Member link("link|/etc/passwd", "");
    link.method = "-lhd-";
    link.level = 0;
    auto afterLink = [&](const std::string &tail, uint64_t originalSize = 11) {
        const std::string first = lha::testing::buildArchive({link});
        Member second("second", "hello world");
        second.originalSize = originalSize;
        return first.substr(0, first.size() - 1) + level0WithTail(second, tail) + "hello world";
    };
    const struct {
        const char *what;
        std::string archive;
        std::vector<std::string> tree;
        std::string comment; // of the last member listed
        char osId;
        bool crcStored;
        lha::Error error;
    } cases[] = {
        {"note after a NUL, level 0",
         withNote(0),
         {"metadata.txt"},
         note,
         0,
         true,
         lha::Error::None},
        {"note after a NUL, level 1",
         withNote(1),
         {"metadata.txt"},
         note,
         'U',
         true,
         lha::Error::None},
        {"PMarc comment after the CRC",
         level0WithTail(pmarc, pmarcTail) + "hi",
         {"HELLO.TXT"},
         "This is a comment attached to the file",
         0,
         true,
         lha::Error::None},
        {"no CRC field", afterLink(""), {"second"}, "", 0, false, lha::Error::UnsafeName},
        {"one byte where the CRC should be",
         afterLink("\x01"),
         {},
         "",
         0,
         true,
         lha::Error::Damaged},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = extractBytes(c.archive);
        EXPECT_EQ(got.tree, c.tree);
        EXPECT_EQ(got.result.firstError(), c.error) << got.result.message;
        ASSERT_FALSE(got.listed.empty());
        EXPECT_EQ(got.listed.back().comment, c.comment);
        EXPECT_EQ(got.listed.back().osId, c.osId);
        EXPECT_EQ(got.listed.back().crcStored, c.crcStored);
    }
    // Without its CRC a member's size still checks.
    const auto wrongSize = extractBytes(afterLink("", 12));
    EXPECT_TRUE(wrongSize.tree.empty());
    EXPECT_EQ(wrongSize.result.members.back().error, lha::Error::Damaged);
}

// A level-2 header of 256 bytes starts with a 0, like the end mark; members
// after the real end mark are passed over, and the run says so.
TEST(Variants, ZeroByteIsAHeaderWhenAHeaderFollowsAndAnEndMarkOtherwise) {
    Member big(std::string(222, 'b'), "bee");
    ASSERT_EQ(lha::testing::level2Header(big).size(), 256u);
    const std::string first = lha::testing::buildArchive({Member{"a.txt", "aye"}});
    const std::string second = lha::testing::buildArchive({Member{"c.txt", "sea"}});
    const struct {
        const char *what;
        std::string archive;
        std::vector<std::string> tree;
        bool warned;
    } cases[] = {
        {"256-byte header",
         lha::testing::buildArchive({Member{"a.txt", "aye"}, big, Member{"c.txt", "sea"}}),
         {"a.txt", std::string(222, 'b'), "c.txt"},
         false},
        {"end mark, then garbage", first + std::string(300, '\x1A'), {"a.txt"}, false},
        {"end mark, then another archive", first + second, {"a.txt"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = extractBytes(c.archive);
        EXPECT_EQ(got.tree, c.tree);
        EXPECT_TRUE(got.result.ok()) << got.result.message;
        EXPECT_EQ(got.result.warning.find("data after the end of the archive") == 0, c.warned)
            << got.result.warning;
    }
}

TEST(Variants, NamelessMemberWithAFolderPathIsAFolder) {
    const struct {
        int level;
        std::string data;
        std::vector<std::string> tree;
    } cases[] = {
        {1, "", {"Main/", "Main/Empty/", "Main/f.txt"}},
        {2, "", {"Main/", "Main/Empty/", "Main/f.txt"}},
        // With data it is no folder; the data come out under the last name.
        {1, "data", {"Main/", "Main/Empty", "Main/f.txt"}},
    };
    for (const auto &c : cases) {
        Member folder("", c.data);
        folder.level = c.level;
        folder.osId = 'A';
        folder.directory = "Main\xFF"
                           "Empty\xFF";
        Member file("f.txt", "text");
        file.level = c.level;
        file.directory = "Main\xFF";
        const auto got = extractAll({folder, file});
        EXPECT_TRUE(got.result.ok()) << c.level << ": " << got.result.message;
        EXPECT_EQ(got.tree, c.tree) << c.level << " " << c.data;
        std::vector<lha::MemberInfo> listed;
        TempDir dir;
        lha::testing::writeFile(dir / "a.lzh", lha::testing::buildArchive({folder}));
        lha::list(dir / "a.lzh", listed);
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].method, c.data.empty() ? "-lhd-" : "-lh0-");
    }
}

// What LH/2 for OS/2 stores for a folder's extended attributes: a file named
// like the folder, from OS/2, or (level 0, which names no OS) marked with
// the folder attribute.
Member attributes(std::string name, int level = 2) {
    Member m(std::move(name), "attributes");
    m.level = level;
    if (level == 0)
        m.attributes = 0x10;
    else
        m.osId = '2';
    return m;
}

TEST(Variants, FileNamedLikeAFolderOfLaterMembersIsKeptBesideIt) {
    using Tree = std::vector<std::string>;
    const struct {
        std::vector<Member> members;
        Tree tree;
        lha::Error error; // the run's first
    } cases[] = {
        {{attributes("sub"), level2("sub/sub2/hello.txt", "hello")},
         {"sub/", "sub.EA", "sub/sub2/", "sub/sub2/hello.txt"},
         lha::Error::None},
        {{attributes("sub", 0), level2("sub/x", "x")},
         {"sub/", "sub.EA", "sub/x"},
         lha::Error::None},
        // The folder comes first: the file still cannot take its name.
        {{level2("sub/x", "x"), attributes("sub")}, {"sub/", "sub.EA", "sub/x"}, lha::Error::None},
        // "sub.EA" is taken by a member of its own: nothing is renamed onto it.
        {{attributes("sub"), level2("sub.EA", "own"), level2("sub/x", "x")},
         {"sub", "sub.EA"},
         lha::Error::WriteFailed},
        // Any other file of a folder's name is no attribute data: it
        // collides with the folder and is not written under another name.
        {{level2("k/x", "x"), level2("k", "file")}, {"k/", "k/x"}, lha::Error::Exists},
    };
    // With progress a run walks the members twice, once for the total:
    // both walks must set the same files apart.
    lha::ExtractOptions withProgress;
    withProgress.progress = [](const lha::Progress &) {};
    for (const auto &options : {lha::ExtractOptions{}, withProgress})
        for (const auto &c : cases) {
            const auto got = extractAll(c.members, options);
            EXPECT_EQ(got.tree, c.tree) << c.members[0].name << !!options.progress;
            EXPECT_EQ(got.result.firstError(), c.error) << c.members[0].name << !!options.progress;
        }
    const auto got = extractAll(cases[0].members);
    ASSERT_EQ(got.result.members.size(), 2u);
    EXPECT_EQ(got.result.members[0].name, "sub.EA");
}

// The folder that makes a file its attributes may come many members later,
// in another of the batches the archive is read in, and past the first
// headers, which are read once more than the rest.
TEST(Variants, FileNamedLikeAFolderFarLaterIsKeptBesideIt) {
    for (const std::size_t between : {1100u, 4200u}) {
        std::vector<Member> members = {attributes("sub")};
        for (std::size_t i = 0; i < between; ++i)
            members.push_back(level2(lha::testing::numbered("f", i), ""));
        members.push_back(level2("sub/x", "x"));
        const auto got = extractAll(members);
        EXPECT_TRUE(got.result.ok()) << got.result.message;
        EXPECT_EQ(got.tree.size(), between + 3u);
        EXPECT_TRUE(std::count(got.tree.begin(), got.tree.end(), "sub.EA")) << between;
        EXPECT_TRUE(std::count(got.tree.begin(), got.tree.end(), "sub/x")) << between;
    }
}

// The historical archives themselves.
TEST(Variants, CorpusArchivesExtractEveryFile) {
    SKIP_WITHOUT_CORPUS();
    using Tree = std::vector<std::string>;
    const struct {
        const char *archive;
        Tree tree;
    } cases[] = {
        {"lha_osk_201/h2_lh5.lzh", {"gpl-2"}},
        {"lhark04d/lh7.lzh", {"GPL-2"}},
        {"lha_amiga_122/lh0_dirs_bug.lzh",
         {"MainDir/", "MainDir/00_File.txt", "MainDir/01_Dir/", "MainDir/01_Dir/File01.txt",
          "MainDir/02_EmptyDir/", "MainDir/03_Dir/", "MainDir/03_Dir/File01.txt",
          "MainDir/04_File.txt"}},
        {"lh2_222/easubdir.lzh",
         {"Apply-Ea.Cmd", "subdir/", "subdir.EA", "subdir/subdir2/", "subdir/subdir2/hello.txt"}},
    };
    for (const auto &c : cases) {
        TempDir dir;
        const auto result =
            lha::extract(lha::testing::kCorpus / "variants" / c.archive, dir / "out");
        EXPECT_TRUE(result.ok()) << c.archive << ": " << result.message;
        Tree tree;
        for (const auto &path : lha::testing::treeOf(dir / "out"))
            tree.push_back(path + (fs::is_directory(dir / "out" / path) ? "/" : ""));
        EXPECT_EQ(tree, c.tree) << c.archive;
    }
    // Both decodings of the same text agree with each other.
    TempDir dir;
    lha::extract(lha::testing::kCorpus / "variants/lhark04d/lh7.lzh", dir / "lk7");
    lha::extract(lha::testing::kCorpus / "variants/lha_osk_201/h2_lh5.lzh", dir / "lh5");
    EXPECT_EQ(lha::testing::readFile(dir / "lk7/GPL-2"), lha::testing::readFile(dir / "lh5/gpl-2"));
}

} // namespace
