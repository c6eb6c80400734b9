// SPDX-License-Identifier: MIT
// Hand-made hostile and broken archives: each gives its error and leaves
// nothing behind, and nothing is ever written outside the destination.
#include "archive_builder.h"
#include "in_memory.h"
#include "lha/lha.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using lha::testing::buildArchive;
using lha::testing::Member;
using lha::testing::TempDir;

// Extracts bytes as an archive into sandbox/dest; sandbox must hold nothing
// else afterwards.
struct Extraction {
    TempDir sandbox;
    fs::path dest = sandbox / "dest";
    lha::Result result;

    explicit Extraction(const std::string &archive, const lha::ExtractOptions &options = {}) {
        fs::create_directory(dest);
        lha::testing::writeFile(sandbox / "a.lzh", archive);
        result = lha::extract(sandbox / "a.lzh", dest, options);
    }
    std::vector<std::string> outside() const {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(sandbox.path()))
            if (e.path() != dest && e.path().filename() != "a.lzh")
                out.push_back(e.path().filename());
        return out;
    }
    lha::Error error(std::size_t i) const { return result.members.at(i).error; }
};

TEST(Hostile, DamagedDataFailsItsMemberOnlyAndLeavesNoPartialFile) {
    Member bad{"bad.txt", "payload"};
    bad.crc = 0x1234;
    Member good{"good.txt", "fine"};
    Extraction run(buildArchive({bad, good}));
    EXPECT_EQ(run.error(0), lha::Error::Damaged);
    EXPECT_NE(run.result.members[0].message.find("CRC"), std::string::npos);
    EXPECT_EQ(run.error(1), lha::Error::None);
    EXPECT_EQ(lha::testing::treeOf(run.dest), std::vector<std::string>{"good.txt"});

    // Cut inside the data: reported as truncation, nothing written.
    std::string archive = buildArchive({Member{"cut.txt", std::string(5000, 'x')}});
    archive.resize(archive.size() - 100);
    Extraction cut(archive);
    ASSERT_EQ(cut.result.members.size(), 1u);
    EXPECT_EQ(cut.error(0), lha::Error::Damaged);
    EXPECT_NE(cut.result.members[0].message.find("ends"), std::string::npos);
    EXPECT_TRUE(lha::testing::treeOf(cut.dest).empty());

    // Stored data longer than the file: damage too, whatever the CRC says
    // of the bytes the file takes. An empty file takes none.
    for (const std::string &original : {std::string("data"), std::string()}) {
        Member longer{"longer.txt", original + "trailing"};
        longer.originalSize = original.size();
        longer.crc = lha::testing::crcOf(original);
        Extraction run2(buildArchive({longer, good}));
        EXPECT_EQ(run2.error(0), lha::Error::Damaged) << original;
        EXPECT_EQ(run2.error(1), lha::Error::None);
        EXPECT_EQ(lha::testing::treeOf(run2.dest), std::vector<std::string>{"good.txt"});
    }
}

TEST(Hostile, BrokenHeadersAreRefusedWithoutTrustingTheirLengths) {
    const std::string good = buildArchive({Member{"a.txt", "data"}});
    // A level-2 header whose extended header claims to run past the header.
    std::string longExt = good;
    longExt[24] = '\xF0';
    // A level-2 header claiming a size shorter than its fixed part.
    std::string shortTotal = good;
    shortTotal[0] = 10;
    shortTotal[1] = 0;
    // A level-3 header claiming 4 GiB.
    std::string level3 = good;
    level3[0] = 4, level3[1] = 0, level3[20] = 3;
    level3.replace(24, 4, "\xFF\xFF\xFF\xFF");
    // A level-0 header with a wrong checksum, and one whose name is longer
    // than the header.
    Member old{"x.txt", "data"};
    old.level = 0;
    std::string checksum = buildArchive({old});
    checksum[1] = static_cast<char>(checksum[1] + 1);
    std::string longName = buildArchive({old});
    longName[21] = '\x7F';
    // A header CRC that does not match.
    std::string headerCrc = good;
    headerCrc[27] = static_cast<char>(headerCrc[27] ^ 1);
    int index = 0;
    for (const auto &archive : {longExt, shortTotal, level3, checksum, longName, headerCrc}) {
        SCOPED_TRACE(index++);
        Extraction run(archive);
        EXPECT_FALSE(run.result.ok());
        EXPECT_TRUE(run.result.error == lha::Error::NotAnArchive ||
                    run.result.error == lha::Error::Damaged);
        EXPECT_TRUE(lha::testing::treeOf(run.dest).empty());
        // The in-memory path the fuzzer uses agrees.
        const auto r =
            lha::testMemory(reinterpret_cast<const uint8_t *>(archive.data()), archive.size());
        EXPECT_FALSE(r.ok());
    }
    // Garbage after good members ends the walk as damage, keeping them.
    Extraction tail(good.substr(0, good.size() - 1) + std::string(40, '\x11'));
    EXPECT_EQ(tail.result.error, lha::Error::Damaged);
    EXPECT_EQ(lha::testing::treeOf(tail.dest), std::vector<std::string>{"a.txt"});
}

TEST(Hostile, DamagedHeaderIsReportedAndTheMembersAfterItAreSaved) {
    Member first{"first.txt", "one"};
    first.level = 0;
    const std::string head = buildArchive({first});
    const std::string rest = buildArchive({Member{"second.txt", "two"}});
    // Drop the end mark of the first archive so both members form one.
    std::string archive = head.substr(0, head.size() - 1) + rest;

    // A broken checksum on the very first header is damage, not a stub.
    std::string atStart = archive;
    atStart[1] = static_cast<char>(atStart[1] + 1);
    Extraction start(atStart);
    EXPECT_EQ(start.result.error, lha::Error::Damaged);
    EXPECT_FALSE(start.result.ok());
    EXPECT_EQ(lha::testing::treeOf(start.dest), std::vector<std::string>{"second.txt"});

    // The same in the middle: the walk finds the next header again.
    const std::string middle = buildArchive({Member{"zero.txt", "zero"}});
    Extraction mid(middle.substr(0, middle.size() - 1) + atStart);
    EXPECT_EQ(mid.result.error, lha::Error::Damaged);
    EXPECT_EQ(lha::testing::treeOf(mid.dest), (std::vector<std::string>{"second.txt", "zero.txt"}));
}

// A self-extractor's program comes before its archive, up to a few hundred
// KiB of it. An Amiga one carries its usage text as a tiny archive of its
// own, which ends just before the real one: the archive meant is the one
// that runs to the end of the file.
TEST(Hostile, SelfExtractorsArchiveIsFoundPastItsProgram) {
    const std::string archive = buildArchive({Member{"in.txt", "inside"}});
    auto program = [](std::size_t size) { return "MZ" + std::string(size - 2, '\x90'); };
    Member usage{"SFXUsage.txt", "how to use this program"};
    usage.level = 0;
    // The usage archive's end mark, then a byte of padding.
    const std::string usageArchive = buildArchive({usage}) + '\0';
    const std::string amigaProgram = std::string("\0\0\x03\xF3", 4) + std::string(5000, '\x4E');
    const struct {
        const char *what;
        std::string prefix;
        std::vector<std::string> tree;
        lha::Error error;
    } cases[] = {
        {"a program with a method id in it", program(3000) + "-lh5-", {"in.txt"}, lha::Error::None},
        {"a program past 64 KiB", program(66532), {"in.txt"}, lha::Error::None},
        {"a program of 256 KiB", program(256 * 1024 + 1234), {"in.txt"}, lha::Error::None},
        {"an Amiga program with its usage archive",
         amigaProgram + "LhASFX V1.2," + usageArchive,
         {"in.txt"},
         lha::Error::None},
        {"a program named only by its marker",
         "LHA-SFX" + usageArchive,
         {"in.txt"},
         lha::Error::None},
        // Without a program before them, the first archive is the one.
        {"no program, two archives", "notes" + usageArchive, {"SFXUsage.txt"}, lha::Error::None},
        {"too far from the start", std::string(1100 * 1024, '\0'), {}, lha::Error::NotAnArchive},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Extraction run(c.prefix + archive);
        EXPECT_EQ(run.result.error, c.error) << run.result.message;
        EXPECT_EQ(lha::testing::treeOf(run.dest), c.tree);
        std::vector<lha::MemberInfo> listed;
        const auto result = lha::list(run.sandbox / "a.lzh", listed);
        if (c.error == lha::Error::None && c.tree == std::vector<std::string>{"in.txt"}) {
            EXPECT_EQ(result.archiveStart, c.prefix.size());
        }
    }
}

TEST(Hostile, NamesNeverLeaveTheDestination) {
    Member absolute{"/tmp/abs.txt", "a"};
    Member dotdot{"../up.txt", "b"};
    Member deep{"x/../../up2.txt", "c"};
    Member dos{"..\\dos.txt", "d"};
    dos.level = 0;
    Member drive{"C:\\drive.txt", "e"};
    drive.level = 0;
    Extraction run(buildArchive({absolute, dotdot, deep, dos, drive}));
    EXPECT_EQ(run.error(0), lha::Error::None);
    EXPECT_EQ(run.error(1), lha::Error::UnsafeName);
    EXPECT_EQ(run.error(2), lha::Error::UnsafeName);
    EXPECT_EQ(run.error(3), lha::Error::UnsafeName);
    EXPECT_EQ(run.error(4), lha::Error::None);
    EXPECT_EQ(lha::testing::treeOf(run.dest),
              (std::vector<std::string>{"drive.txt", "tmp", "tmp/abs.txt"}));
    EXPECT_TRUE(run.outside().empty());
}

TEST(Hostile, NothingIsWrittenThroughASymbolicLink) {
    // A link already in the destination, pointing outside it.
    {
        TempDir sandbox;
        fs::create_directories(sandbox / "dest");
        fs::create_directories(sandbox / "victim");
        fs::create_directory_symlink(sandbox / "victim", sandbox / "dest" / "link");
        lha::testing::writeFile(sandbox / "a.lzh", buildArchive({Member{"link/file.txt", "x"}}));
        const auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest");
        ASSERT_EQ(result.members.size(), 1u);
        EXPECT_EQ(result.members[0].error, lha::Error::UnsafeName);
        EXPECT_TRUE(fs::is_empty(sandbox / "victim"));
    }
    // The archive's own link, then a file through it: links come last, so
    // the file lands in a real folder and the escaping link is refused.
    Member link{"etc|../../victim", ""};
    link.method = "-lhd-";
    link.unixMode = 0120777;
    Member through{"etc/passwd", "owned"};
    Extraction run(buildArchive({link, through}));
    EXPECT_EQ(run.error(0), lha::Error::UnsafeName);
    EXPECT_EQ(run.error(1), lha::Error::None);
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(run.dest / "etc")));
    EXPECT_TRUE(run.outside().empty());

    // A link, then a file of the same name: the file finds the link in its
    // place, as any existing file, and replaces the link itself when told to.
    Member dup{"foo|bar.txt", ""};
    dup.method = "-lhd-";
    Member file{"foo", "plain"};
    Extraction kept(buildArchive({dup, file}));
    EXPECT_EQ(kept.error(0), lha::Error::None);
    EXPECT_EQ(kept.error(1), lha::Error::Exists);
    EXPECT_EQ(fs::read_symlink(kept.dest / "foo"), "bar.txt");
    lha::ExtractOptions replace;
    replace.overwrite = [](const lha::MemberInfo &) { return lha::OverwriteDecision::ReplaceAll; };
    Extraction replaced(buildArchive({dup, file}), replace);
    EXPECT_TRUE(replaced.result.ok());
    EXPECT_FALSE(fs::is_symlink(replaced.dest / "foo"));
    EXPECT_EQ(lha::testing::readFile(replaced.dest / "foo"), "plain");
    EXPECT_EQ(lha::testing::treeOf(replaced.dest), std::vector<std::string>{"foo"});

    // A link that stays inside is made; an MS-DOS header's target has its
    // backslashes read as separators, as its name does.
    Member inside{"sub/l|../foo", ""};
    inside.method = "-lhd-";
    Member dos{"dir2\\symlink1|..\\file1", ""};
    dos.method = "-lhd-";
    dos.level = 0;
    Extraction ok(buildArchive({file, inside, dos}));
    EXPECT_TRUE(ok.result.ok());
    EXPECT_EQ(fs::read_symlink(ok.dest / "sub" / "l"), "../foo");
    EXPECT_EQ(fs::read_symlink(ok.dest / "dir2" / "symlink1"), "../file1");
}

TEST(Hostile, DevicesAreNotCreatedAndModesAreTamed) {
    Member fifo{"pipe", ""};
    fifo.method = "-lhd-";
    fifo.unixMode = 010644;
    Member setuid{"tool", "#!/bin/sh\n"};
    setuid.unixMode = 0104775;
    Member readonlyDir{"ro", ""};
    readonlyDir.method = "-lhd-";
    readonlyDir.unixMode = 040555;
    Member inRo{"ro/inside.txt", "written before the folder turns read-only"};
    Extraction run(buildArchive({fifo, setuid, readonlyDir, inRo}));
    EXPECT_EQ(run.error(0), lha::Error::UnsafeName);
    EXPECT_FALSE(fs::exists(fs::symlink_status(run.dest / "pipe")));
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat((run.dest / "tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0775 & ~mask);
    ASSERT_EQ(stat((run.dest / "ro").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0555 & ~mask);
    EXPECT_EQ(run.error(3), lha::Error::None);
}

TEST(Hostile, ExistingFilesAreReplacedOnlyWhenTheCallerSaysSo) {
    TempDir sandbox;
    fs::create_directory(sandbox / "dest");
    lha::testing::writeFile(sandbox / "dest" / "a.txt", "mine");
    lha::testing::writeFile(sandbox / "a.lzh", buildArchive({Member{"a.txt", "theirs"}}));
    auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest");
    EXPECT_EQ(result.firstError(), lha::Error::Exists);
    EXPECT_EQ(lha::testing::readFile(sandbox / "dest" / "a.txt"), "mine");

    lha::ExtractOptions options;
    std::vector<std::string> asked;
    options.overwrite = [&](const lha::MemberInfo &member) {
        asked.push_back(member.name);
        EXPECT_EQ(member.originalSize, std::string("theirs").size());
        return lha::OverwriteDecision::Replace;
    };
    result = lha::extract(sandbox / "a.lzh", sandbox / "dest", options);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(asked, std::vector<std::string>{"a.txt"});
    EXPECT_EQ(lha::testing::readFile(sandbox / "dest" / "a.txt"), "theirs");

    // A replacement whose data turns out damaged keeps the old file.
    Member bad{"a.txt", "broken"};
    bad.crc = 1;
    lha::testing::writeFile(sandbox / "b.lzh", buildArchive({bad}));
    result = lha::extract(sandbox / "b.lzh", sandbox / "dest", options);
    EXPECT_EQ(result.firstError(), lha::Error::Damaged);
    EXPECT_EQ(lha::testing::readFile(sandbox / "dest" / "a.txt"), "theirs");
    EXPECT_EQ(lha::testing::treeOf(sandbox / "dest"), std::vector<std::string>{"a.txt"});

    options.overwrite = [](const lha::MemberInfo &) { return lha::OverwriteDecision::Cancel; };
    result = lha::extract(sandbox / "a.lzh", sandbox / "dest", options);
    EXPECT_EQ(result.error, lha::Error::Cancelled);
}

// A link replaces an existing name through a temporary name of its own:
// no other file, the user's or the archive's, is ever removed on the way.
TEST(Hostile, ReplacingANameWithALinkRemovesNoOtherFile) {
    Member link{"lnk|target", ""};
    link.method = "-lhd-";
    const struct {
        std::vector<Member> members;
        const char *near; // what the file beside the link must hold after the run
    } cases[] = {
        {{link}, "the user's"},
        {{Member{".lnk.hokora-link", "the archive's"}, link}, "the archive's"},
    };
    for (const auto &c : cases) {
        TempDir sandbox;
        fs::create_directory(sandbox / "dest");
        lha::testing::writeFile(sandbox / "dest" / "lnk", "replaced");
        lha::testing::writeFile(sandbox / "dest" / ".lnk.hokora-link", "the user's");
        lha::testing::writeFile(sandbox / "a.lzh", buildArchive(c.members));
        lha::ExtractOptions options;
        options.overwrite = [](const lha::MemberInfo &) {
            return lha::OverwriteDecision::ReplaceAll;
        };
        const auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest", options);
        EXPECT_TRUE(result.ok()) << c.near << ": " << result.message;
        EXPECT_EQ(fs::read_symlink(sandbox / "dest" / "lnk"), "target") << c.near;
        EXPECT_EQ(lha::testing::readFile(sandbox / "dest" / ".lnk.hokora-link"), c.near);
        EXPECT_EQ(lha::testing::treeOf(sandbox / "dest"),
                  (std::vector<std::string>{".lnk.hokora-link", "lnk"}));
    }
}

TEST(Hostile, CancellingRemovesThePartialFile) {
    TempDir sandbox;
    lha::testing::writeFile(
        sandbox / "a.lzh",
        buildArchive({Member{"first.txt", "1"}, Member{"large.bin", std::string(2000000, 'z')},
                      Member{"never.txt", "n"}}));
    std::atomic<bool> cancel{false};
    lha::ExtractOptions options;
    options.cancel = &cancel;
    options.progress = [&](const lha::Progress &p) {
        if (p.member == "large.bin" && p.done > 500000)
            cancel = true;
    };
    const auto result = lha::extract(sandbox / "a.lzh", sandbox / "dest", options);
    EXPECT_EQ(result.error, lha::Error::Cancelled);
    EXPECT_EQ(lha::testing::treeOf(sandbox / "dest"), std::vector<std::string>{"first.txt"});
}

TEST(Hostile, UnknownMethodFailsItsMemberByNameAndTheRestGoesOn) {
    Member odd{"odd.bin", "zz"};
    odd.method = "-xyz-";
    Extraction run(buildArchive({odd, Member{"next.txt", "n"}}));
    EXPECT_EQ(run.error(0), lha::Error::UnsupportedMethod);
    EXPECT_NE(run.result.members[0].message.find("-xyz-"), std::string::npos);
    EXPECT_EQ(run.error(1), lha::Error::None);
    EXPECT_EQ(lha::testing::treeOf(run.dest), std::vector<std::string>{"next.txt"});
}

// A level-0 member whose header claims packed bytes it does not have.
std::string lyingPackedSize(const std::string &name, const std::string &data, uint32_t packed) {
    Member m{name, data};
    m.level = 0;
    std::string h = lha::testing::level01Header(m);
    for (int i = 0; i < 4; ++i)
        h[7 + i] = static_cast<char>((packed >> (8 * i)) & 0xFF);
    uint8_t sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(h[i]));
    h[1] = static_cast<char>(sum);
    return h + data;
}

TEST(Hostile, AMemberRunningPastTheEndIsDamagedAndTheRestComesOut) {
    const std::string after = buildArchive({Member{"b.txt", "bee"}, Member{"c.txt", "sea"}});
    const struct {
        const char *what;
        uint32_t packed;
    } cases[] = {{"far past the end", 0x7FFFFFF0u}, {"just past the end", 200}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string archive = lyingPackedSize("a.txt", "aye", c.packed) + after;
        Extraction run(archive);
        EXPECT_EQ(run.result.error, lha::Error::Damaged);
        ASSERT_EQ(run.result.members.size(), 3u);
        EXPECT_EQ(run.error(0), lha::Error::Damaged);
        EXPECT_EQ(lha::testing::treeOf(run.dest), (std::vector<std::string>{"b.txt", "c.txt"}));
        EXPECT_EQ(lha::testing::readFile(run.dest / "c.txt"), "sea");

        const auto tested = lha::test(run.sandbox / "a.lzh");
        EXPECT_EQ(tested.error, lha::Error::Damaged);
        ASSERT_EQ(tested.members.size(), 3u);
        EXPECT_EQ(tested.members[0].error, lha::Error::Damaged);
        EXPECT_EQ(tested.members[2].error, lha::Error::None);

        std::vector<lha::MemberInfo> listed;
        EXPECT_EQ(lha::list(run.sandbox / "a.lzh", listed).error, lha::Error::Damaged);
        EXPECT_EQ(listed.size(), 3u);
    }
}

// A run walks the headers more than once (the charset, the folders, the
// progress total, the work itself); each walk must find the same members
// past each spot of damage.
TEST(Hostile, EveryWalkFindsTheSameMembersPastTwoSpotsOfDamage) {
    auto withoutEndMark = [](Member m) {
        m.level = 0;
        const std::string bytes = buildArchive({m});
        return bytes.substr(0, bytes.size() - 1);
    };
    std::string brokenHeader = withoutEndMark(Member{"b.txt", "bbb"});
    brokenHeader[1] = static_cast<char>(brokenHeader[1] + 1);
    const std::string archive = withoutEndMark(Member{"a.txt", "aaa"}) + brokenHeader +
                                withoutEndMark(Member{"c.txt", "ccc"}) +
                                lyingPackedSize("d.txt", "ddd", 0x7FFFFFF0u) +
                                buildArchive({Member{"e.txt", "eee"}});
    lha::Progress last;
    lha::ExtractOptions options;
    options.progress = [&](const lha::Progress &p) { last = p; };
    Extraction run(archive, options);
    EXPECT_EQ(run.result.error, lha::Error::Damaged);
    EXPECT_EQ(lha::testing::treeOf(run.dest),
              (std::vector<std::string>{"a.txt", "c.txt", "e.txt"}));
    EXPECT_EQ(last.total, 9u);
    EXPECT_EQ(last.done, 9u);

    last = {};
    const auto tested = lha::test(run.sandbox / "a.lzh", lha::TestOptions{options, {}});
    std::vector<std::string> names;
    for (const auto &m : tested.members)
        names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "c.txt", "d.txt", "e.txt"}));
    EXPECT_EQ(last.total, 9u);
}

// The search for the next header passes over garbage built to look like
// headers, and still finds the real ones of every level after it.
TEST(Hostile, TheNextHeaderIsFoundAfterGarbageThatLooksLikeHeaders) {
    const std::string units[] = {
        std::string("\x02\x02--"),
        std::string("\x14\x00-lh0-", 7) + std::string(13, '\0') + std::string(2, '\0') + "-",
        std::string("\x20\x00-lh5-\x00\x00\x00\x00-\x02\x02", 13),
    };
    Member level0{"zero.txt", "0"};
    level0.level = 0;
    const std::string after = buildArchive({level0, Member{"two.txt", "2"}});
    for (const auto &unit : units) {
        std::string garbage;
        while (garbage.size() < 300000)
            garbage += unit;
        Extraction run(lyingPackedSize("liar.txt", "", 0x7FFFFFF0u) + garbage + after);
        EXPECT_EQ(run.result.error, lha::Error::Damaged);
        EXPECT_EQ(lha::testing::treeOf(run.dest),
                  (std::vector<std::string>{"two.txt", "zero.txt"}));
    }
}

// After damage, a false header whose data would swallow the real last
// member is passed over when its data does not check out.
TEST(Hostile, AFalseHeaderAfterDamageDoesNotSwallowTheMemberAfterIt) {
    const std::string last = buildArchive({Member{"last.txt", "the real one"}});
    Member fake{"fake.txt", last};
    fake.level = 0;
    fake.crc = 0x1234;
    Extraction run(lyingPackedSize("liar.txt", "", 0x7FFFFFF0u) + "garbage" +
                   lha::testing::level01Header(fake) + last);
    EXPECT_EQ(run.result.error, lha::Error::Damaged);
    EXPECT_EQ(lha::testing::treeOf(run.dest), std::vector<std::string>{"last.txt"});
}

// Bytes a path cannot hold must not split what the checks read from what
// the system is given: "..\0x" is checked as one harmless name but would
// be created as "..".
TEST(Hostile, NulBytesInNamesAndLinkTargetsCannotReachOutside) {
    const std::string nul(1, '\0');
    auto link = [](std::string name, int level) {
        Member m{std::move(name), ""};
        m.method = "-lhd-";
        m.level = level;
        if (level == 2)
            m.unixMode = 0120777;
        return m;
    };
    const struct {
        const char *what;
        std::vector<Member> members;
        const char *made; // a name the run must have written, if any
    } cases[] = {
        {"level 2 link", {link("l|.." + nul + "x", 2)}, "l"},
        // Levels 0 and 1 end the name at the NUL: the link leads to "..".
        {"level 0 link", {link("l|.." + nul + "x", 0)}, nullptr},
        {"chained links",
         {link("u1|.." + nul, 2), link("u2|u1/.." + nul, 2), link("u3|u2/.." + nul, 2),
          link("etc|u3/etc", 2), Member{"etc/passwd", "x"}},
         "u3"},
        {"folder",
         {Member{"d" + nul + "/../../f.txt", "x"}, Member{"e" + nul + "/g.txt", "g"}},
         "e%00/g.txt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Extraction run(buildArchive(c.members));
        EXPECT_TRUE(run.outside().empty());
        if (c.made)
            EXPECT_TRUE(fs::exists(fs::symlink_status(run.dest / c.made)));
        else
            EXPECT_TRUE(lha::testing::treeOf(run.dest).empty());
        const auto root = fs::canonical(run.dest);
        for (auto it = fs::recursive_directory_iterator(run.dest);
             it != fs::recursive_directory_iterator(); ++it) {
            if (!it->is_symlink())
                continue;
            const auto target = fs::read_symlink(it->path()).string();
            EXPECT_EQ(target.find('\0'), std::string::npos);
            // Wherever the chain of links leads, it stays in the destination.
            const auto resolved = fs::weakly_canonical(it->path()).string();
            EXPECT_EQ(resolved.rfind(root.string(), 0), 0u) << it->path() << " -> " << target;
        }
    }
}

TEST(Hostile, NamesLongerThanAnyPathAreRefused) {
    std::string longName;
    while (longName.size() < 5000)
        longName += std::string(200, 'n') + "/";
    Member huge{longName + "f.txt", "h"};
    Extraction run(buildArchive({huge, Member{"after.txt", "a"}}));
    ASSERT_EQ(run.result.members.size(), 2u);
    EXPECT_EQ(run.error(0), lha::Error::UnsafeName);
    EXPECT_LT(run.result.members[0].name.size(), 1000u);
    EXPECT_EQ(run.error(1), lha::Error::None);
    EXPECT_EQ(lha::testing::treeOf(run.dest), std::vector<std::string>{"after.txt"});
}

} // namespace
