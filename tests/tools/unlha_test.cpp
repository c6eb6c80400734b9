// SPDX-License-Identifier: MIT
// unlha as people and scripts use it: its commands, output and exit status.
#include "archive_builder.h"
#include "json_reader.h"
#include "run_unlha.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using lha::testing::Member;
using lha::testing::readFile;
using lha::testing::TempDir;
using lha::testing::writeFile;
using unlha::testing::runUnlha;

// Exit statuses, as --help and the manual page state them.
constexpr int kOk = 0;
constexpr int kBadCommand = 1;
constexpr int kUnreadable = 2;
constexpr int kNotArchive = 3;
constexpr int kDamaged = 4;
constexpr int kMethod = 5;
constexpr int kWrite = 6;
constexpr int kCancelled = 7;
constexpr int kExists = 8;
constexpr int kUnsafe = 9;

std::string archiveOf(const TempDir &dir, const std::vector<Member> &members,
                      const std::string &name = "a.lzh") {
    writeFile(dir / name, lha::testing::buildArchive(members));
    return (dir / name).string();
}

Member broken(std::string name, std::string data) {
    Member m(std::move(name), std::move(data));
    m.crc = 7;
    return m;
}

TEST(UnlhaTool, ClassicFormWithBlanksInBothPathsStillWorks) {
    TempDir scratch;
    fs::create_directory(scratch / "my files");
    const auto archive = scratch / "my files" / "old data.lzh";
    writeFile(archive, lha::testing::buildArchive({Member{"dir/a.txt", "alpha"}}));
    const auto dest = (scratch / "out dir").string() + "/";
    // The archive and destination split across words, as a shell gives them.
    const auto result =
        runUnlha({"e", (scratch / "my").string(), "files/old", "data.lzh", dest}, scratch.path());
    EXPECT_EQ(result.status, kOk) << result.err;
    EXPECT_EQ(readFile(scratch / "out dir" / "dir" / "a.txt"), "alpha");

    // A second run finds the file there: it is kept and the run says so.
    const auto again = runUnlha({"e", archive.string(), dest}, scratch.path());
    EXPECT_EQ(again.status, kExists);
    EXPECT_NE(again.err.find("dir/a.txt"), std::string::npos) << again.err;
}

TEST(UnlhaTool, ExtractsIntoTheCurrentFolderOrW) {
    TempDir scratch;
    const auto archive = archiveOf(scratch, {Member{"d/a.txt", "alpha"}, Member{"b.txt", "beta"}});
    fs::create_directory(scratch / "here");
    EXPECT_EQ(runUnlha({"x", archive}, scratch / "here").status, kOk);
    EXPECT_EQ(readFile(scratch / "here" / "d" / "a.txt"), "alpha");
    EXPECT_EQ(readFile(scratch / "here" / "b.txt"), "beta");

    EXPECT_EQ(runUnlha({"-xqw=" + (scratch / "w").string(), archive}, scratch.path()).status, kOk);
    EXPECT_EQ(readFile(scratch / "w" / "d" / "a.txt"), "alpha");

    // v names each member done; q silences that too.
    const auto verbose =
        runUnlha({"xfv", "w=" + (scratch / "w").string(), archive}, scratch.path());
    EXPECT_EQ(verbose.out, "extracted d/a.txt\nextracted b.txt\n");
    EXPECT_EQ(runUnlha({"xfvq", "w=" + (scratch / "w").string(), archive}, scratch.path()).out, "");
}

// A folder's name as "l" shows it, "docs/", chooses that folder; only
// "e ARCHIVE DEST/" reads it as the destination.
TEST(UnlhaTool, ATrailingSlashNamesAFolderMember) {
    TempDir scratch;
    const auto archive =
        archiveOf(scratch, {Member{"docs/README", "read me"}, Member{"other.txt", "other"}});
    for (const char *command : {"x", "-xf", "xv"}) {
        SCOPED_TRACE(command);
        TempDir here;
        const auto result = runUnlha({command, archive, "docs/"}, here.path());
        EXPECT_EQ(result.status, kOk) << result.err;
        EXPECT_EQ(lha::testing::treeOf(here.path()),
                  (std::vector<std::string>{"docs", "docs/README"}));
    }
    const auto printed = runUnlha({"p", archive, "docs/"}, scratch.path());
    EXPECT_EQ(printed.out, "read me");
    const auto listed = runUnlha({"l", archive, "docs/"}, scratch.path());
    EXPECT_NE(listed.out.find("1 member(s)"), std::string::npos) << listed.out;

    TempDir here;
    const auto classic = runUnlha({"e", archive, "docs/"}, here.path());
    EXPECT_EQ(classic.status, kOk) << classic.err;
    EXPECT_EQ(
        lha::testing::treeOf(here.path()),
        (std::vector<std::string>{"docs", "docs/docs", "docs/docs/README", "docs/other.txt"}));
}

TEST(UnlhaTool, WMakesTheWholePathAndVSaysSo) {
    TempDir scratch;
    const auto archive = archiveOf(scratch, {Member{"a.txt", "alpha"}});
    auto result = runUnlha({"xv", "w=deep/er/out", archive}, scratch.path());
    EXPECT_EQ(result.status, kOk) << result.err;
    EXPECT_EQ(readFile(scratch / "deep" / "er" / "out" / "a.txt"), "alpha");
    EXPECT_EQ(result.out,
              "created deep/\ncreated deep/er/\ncreated deep/er/out/\nextracted a.txt\n");
    // Quietly, and into folders partly there.
    result = runUnlha({"xq", "w=" + (scratch / "deep" / "new" / "dir").string(), archive},
                      scratch.path());
    EXPECT_EQ(result.status, kOk) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(readFile(scratch / "deep" / "new" / "dir" / "a.txt"), "alpha");

    // An archive that cannot be read leaves no folders behind.
    result = runUnlha({"x", "w=gone/a/b", "missing.lzh"}, scratch.path());
    EXPECT_EQ(result.status, kUnreadable);
    EXPECT_FALSE(fs::exists(scratch / "gone"));
    // A file in the way is a write failure that names the folder.
    writeFile(scratch / "file", "");
    result = runUnlha({"x", "w=file/sub", archive}, scratch.path());
    EXPECT_EQ(result.status, kWrite);
    EXPECT_NE(result.err.find("cannot create the folder file/sub"), std::string::npos)
        << result.err;
    // The library's form keeps its rule: DEST's parent must exist.
    result = runUnlha({"e", archive, "no/such/dest/"}, scratch.path());
    EXPECT_EQ(result.status, kWrite);
    EXPECT_FALSE(fs::exists(scratch / "no"));
}

TEST(UnlhaTool, ReadsTheArchiveFromStandardInput) {
    TempDir scratch;
    const std::string big(300 << 10, 'b'); // more than a pipe holds
    const std::string bytes =
        lha::testing::buildArchive({Member{"d/a.txt", "alpha"}, Member{"big.bin", big}});
    writeFile(scratch / "a.lzh", bytes);
    const unlha::testing::Redirects fromFile{scratch / "a.lzh", {}};

    for (const bool piped : {true, false}) {
        SCOPED_TRACE(piped ? "a pipe" : "a regular file");
        const auto run = [&](const std::vector<std::string> &words, const fs::path &folder) {
            return piped ? runUnlha(words, folder, bytes) : runUnlha(words, folder, {}, fromFile);
        };
        auto result = run({"l", "-"}, scratch.path());
        EXPECT_EQ(result.status, kOk) << result.err;
        EXPECT_NE(result.out.find("d/a.txt"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("2 member(s)"), std::string::npos) << result.out;
        EXPECT_EQ(run({"t", "-"}, scratch.path()).status, kOk);
        EXPECT_TRUE(run({"p", "-", "big.bin"}, scratch.path()).out == big);

        TempDir out;
        result = run({"x", "-"}, out.path());
        EXPECT_EQ(result.status, kOk) << result.err;
        EXPECT_EQ(readFile(out / "d" / "a.txt"), "alpha");
        EXPECT_TRUE(readFile(out / "big.bin") == big);
        result = run({"e", "-", (out / "classic").string() + "/"}, out.path());
        EXPECT_EQ(result.status, kOk) << result.err;
        EXPECT_EQ(readFile(out / "classic" / "d" / "a.txt"), "alpha");
    }

    // Errors name standard input.
    auto result = runUnlha({"t", "-"}, scratch.path(), std::string(200, 'z'));
    EXPECT_EQ(result.status, kNotArchive);
    EXPECT_NE(result.err.find("unlha: standard input: "), std::string::npos) << result.err;
    // A pipe is kept in $TMPDIR; a regular file needs no copy.
    const char *saved = std::getenv("TMPDIR");
    const std::string savedTmp = saved ? saved : "";
    ::setenv("TMPDIR", (scratch / "no-such-folder").c_str(), 1);
    result = runUnlha({"t", "-"}, scratch.path(), bytes);
    const auto inPlace = runUnlha({"t", "-"}, scratch.path(), {}, fromFile);
    if (saved)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_EQ(result.status, kUnreadable);
    EXPECT_NE(result.err.find("no-such-folder"), std::string::npos) << result.err;
    EXPECT_EQ(inPlace.status, kOk) << inPlace.err;
    // An archive is not typed in: a terminal is refused, not read.
    unlha::testing::TerminalRun terminal({"l", "-"}, scratch.path());
    EXPECT_EQ(terminal.finish(), kUnreadable);
    EXPECT_NE(terminal.screen().find("standard input is a terminal"), std::string::npos)
        << terminal.screen();
}

TEST(UnlhaTool, PatternsChooseMembersAndOneMatchingNothingFails) {
    TempDir scratch;
    const auto archive = archiveOf(
        scratch, {Member{"doc/a.txt", "1"}, Member{"doc/b.bin", "2"}, Member{"c.txt", "3"}});
    const auto out = scratch / "out";
    auto result = runUnlha({"x", "w=" + out.string(), archive, "*.txt"}, scratch.path());
    EXPECT_EQ(result.status, kOk) << result.err;
    EXPECT_EQ(lha::testing::treeOf(out), (std::vector<std::string>{"c.txt", "doc", "doc/a.txt"}));

    result = runUnlha({"t", archive, "doc", "nothing*"}, scratch.path());
    EXPECT_EQ(result.status, kBadCommand);
    EXPECT_NE(result.err.find("no member matches nothing*"), std::string::npos) << result.err;
}

TEST(UnlhaTool, IgnoringFoldersNeverReplacesOneMemberWithAnother) {
    TempDir scratch;
    const auto archive =
        archiveOf(scratch, {Member{"a/same.txt", "first"}, Member{"b/same.txt", "second"},
                            Member{"b/other.txt", "other"}});
    const auto out = scratch / "out";
    // Even told to replace files, the second same.txt must not land on the first.
    const auto result = runUnlha({"xif", "w=" + out.string(), archive}, scratch.path());
    EXPECT_EQ(result.status, kUnsafe);
    EXPECT_NE(result.err.find("b/same.txt: another member is already written as same.txt"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(lha::testing::treeOf(out), (std::vector<std::string>{"other.txt", "same.txt"}));
    EXPECT_EQ(readFile(out / "same.txt"), "first");
}

Member link(std::string name, std::string target) {
    Member m(name + "|" + target, "");
    m.method = "-lhd-";
    return m;
}

// The dry run goes through the checks of the real run: what x refuses, xn
// says it would refuse, and exits as x does, writing nothing.
TEST(UnlhaTool, DryRunRefusesWhatTheRunRefusesAndWritesNothing) {
    const struct {
        Member member;
        int status;
        const char *said; // in the dry run's output or its errors
    } cases[] = {
        {Member{"d/a.txt", "alpha"}, kOk, "would extract d/a.txt"},
        {Member{"x/../../y", "climbs"}, kUnsafe, "x/../../y: "},
        {Member{"", "no name"}, kUnsafe, "the member has no name"},
        {link("abs", "/etc/passwd"), kUnsafe, "abs"},
        {link("up", "../../outside"), kUnsafe, "up"},
        {link("in", "d/a.txt"), kOk, "would extract in"},
        {Member{"odd.txt", "data"}, kMethod, "odd.txt"},
    };
    for (auto c : cases) {
        if (c.member.name == "odd.txt")
            c.member.method = "-lhz-";
        TempDir scratch;
        const auto archive = archiveOf(scratch, {c.member});
        const auto out = "w=" + (scratch / "out").string();
        const auto dry = runUnlha({"xn", out, archive}, scratch.path());
        EXPECT_EQ(dry.status, c.status) << c.member.name << "\n" << dry.err;
        EXPECT_NE((dry.out + dry.err).find(c.said), std::string::npos) << c.member.name << "\n"
                                                                       << dry.out << dry.err;
        EXPECT_FALSE(fs::exists(scratch / "out")) << c.member.name;
        if (c.status != kOk) {
            EXPECT_EQ(dry.out, "") << c.member.name;
        }
        EXPECT_EQ(runUnlha({"x", out, archive}, scratch.path()).status, c.status) << c.member.name;
    }
}

TEST(UnlhaTool, PrintGivesTheMembersBytesExactly) {
    TempDir scratch;
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7) & 0xFF);
    const auto archive = archiveOf(
        scratch, {Member{"x/bin.dat", binary}, Member{"t.txt", std::string("text\r\n\0end", 10)}});
    auto result = runUnlha({"p", archive, "bin.dat"}, scratch.path());
    EXPECT_EQ(result.status, kOk) << result.err;
    EXPECT_TRUE(result.out == binary) << result.out.size() << " bytes";
    // Several members follow one another in archive order.
    result = runUnlha({"p", archive}, scratch.path());
    EXPECT_TRUE(result.out == binary + std::string("text\r\n\0end", 10))
        << result.out.size() << " bytes";

    // A compressed member prints as it extracts.
    const fs::path packed = fs::path(HOKORA_TEST_ARCHIVES) / "method-lh5.lzh";
    ASSERT_EQ(
        runUnlha({"xq", "w=" + (scratch / "ref").string(), packed.string()}, scratch.path()).status,
        kOk);
    for (const auto &entry : fs::directory_iterator(scratch / "ref")) {
        const auto name = entry.path().filename().string();
        SCOPED_TRACE(name);
        result = runUnlha({"p", packed.string(), name}, scratch.path());
        EXPECT_EQ(result.status, kOk) << result.err;
        EXPECT_TRUE(result.out == readFile(entry.path())) << result.out.size() << " bytes";
    }

    // A member whose data fails its check: the status says so.
    const auto bad = archiveOf(scratch, {broken("b.txt", "data")}, "bad.lzh");
    EXPECT_EQ(runUnlha({"p", bad}, scratch.path()).status, kDamaged);
}

std::vector<unlha::testing::JsonObject> jsonLines(const std::string &text) {
    std::vector<unlha::testing::JsonObject> out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        out.push_back(unlha::testing::JsonLineReader(line).object());
    return out;
}

std::string text(const unlha::testing::JsonObject &o, const std::string &key) {
    return std::get<std::string>(o.at(key));
}
int64_t number(const unlha::testing::JsonObject &o, const std::string &key) {
    return std::get<int64_t>(o.at(key));
}

TEST(UnlhaTool, JsonDescribesEveryMemberAndReadsBack) {
    TempDir scratch;
    Member plain{"dir/evil\x1b]2;x\x07\"q\".txt", "0123456789"};
    plain.unixMode = 0100644;
    const auto archive = archiveOf(scratch, {plain, broken("bad.txt", "data")});

    const auto listed = runUnlha({"l", "--json", archive}, scratch.path());
    EXPECT_EQ(listed.status, kOk) << listed.err;
    const auto members = jsonLines(listed.out);
    ASSERT_EQ(members.size(), 2u) << listed.out;
    const auto &m = members[0];
    // Control characters come as the engine writes them in names.
    EXPECT_EQ(text(m, "name"), "dir/evil%1B]2;x%07\"q\".txt");
    // The stored bytes tell an escape from a "%" stored in the name.
    EXPECT_EQ(text(m, "raw"), "6469722f6576696c1b5d323b78072271222e747874");
    EXPECT_EQ(text(m, "charset"), "euc-jp");
    EXPECT_EQ(text(m, "kind"), "file");
    EXPECT_EQ(text(m, "method"), "-lh0-");
    EXPECT_EQ(number(m, "original_size"), 10);
    EXPECT_EQ(number(m, "packed_size"), 10);
    EXPECT_EQ(text(m, "crc"), "443d") << "CRC-16 of 0123456789";
    EXPECT_EQ(number(m, "mtime"), 981173106);
    EXPECT_EQ(text(m, "time"), "2001-02-03T04:05:06Z");
    EXPECT_EQ(number(m, "level"), 2);
    EXPECT_EQ(text(m, "os"), "Unix");
    EXPECT_EQ(text(m, "mode"), "0644");
    EXPECT_EQ(m.count("result"), 0u);

    const auto tested = runUnlha({"t", "--json", archive}, scratch.path());
    EXPECT_EQ(tested.status, kDamaged);
    const auto results = jsonLines(tested.out);
    ASSERT_EQ(results.size(), 2u) << tested.out;
    EXPECT_EQ(text(results[0], "result"), "ok");
    EXPECT_EQ(number(results[0], "code"), kOk);
    EXPECT_EQ(number(results[1], "code"), kDamaged);
    EXPECT_EQ(text(results[1], "name"), "bad.txt");
    EXPECT_EQ(text(results[1], "result"), "the archive is damaged");
    EXPECT_NE(text(results[1], "message").find("CRC"), std::string::npos);

    // A device is listed as one, though it is never created.
    Member fifo{"pipe", ""};
    fifo.unixMode = 010644;
    const auto devices = archiveOf(scratch, {fifo}, "devices.lzh");
    const auto device = jsonLines(runUnlha({"l", "--json", devices}, scratch.path()).out);
    ASSERT_EQ(device.size(), 1u);
    EXPECT_EQ(text(device[0], "kind"), "device");
    const auto verbose = runUnlha({"v", devices}, scratch.path()).out;
    EXPECT_NE(verbose.find(" prw-r--r-- "), std::string::npos) << verbose;
}

TEST(UnlhaTool, ListingsShowNamesWithoutTerminalEscapes) {
    TempDir scratch;
    Member m{"evil\x1B]2;x\x07.txt", "0123456789"};
    m.unixMode = 0100750;
    // A right-to-left override would show "photo_gpj.exe" as "photo_exe.jpg".
    Member reversed{"photo_\xE2\x80\xAEgpj.exe", "x"};
    const auto archive = archiveOf(scratch, {m, reversed});
    for (const char *command : {"l", "v"}) {
        SCOPED_TRACE(command);
        const auto result = runUnlha({command, archive}, scratch.path());
        EXPECT_EQ(result.status, kOk) << result.err;
        EXPECT_EQ(result.out.find('\x1B'), std::string::npos);
        EXPECT_EQ(result.out.find('\x07'), std::string::npos);
        EXPECT_NE(result.out.find("evil%1B]2;x%07.txt"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("photo_%E2%80%AEgpj.exe"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("10           10 100.0% -lh0- "), std::string::npos)
            << result.out;
    }
    // The verbose list adds level, OS, permissions and seconds.
    const auto verbose = runUnlha({"v", archive}, scratch.path()).out;
    EXPECT_TRUE(std::regex_search(verbose,
                                  std::regex(" 2 Unix +-rwxr-x--- 2001-02-0\\d \\d\\d:\\d\\d:06 ")))
        << verbose;
}

// What the verbose listing and the JSON tell beyond names: the kind in the
// permissions, a member's comment, a header without a CRC, where a
// self-extractor's archive starts, and members past the end mark.
TEST(UnlhaTool, ListingsShowKindsCommentsAndWhereTheArchiveStarts) {
    TempDir scratch;
    Member folder{"dir", ""};
    folder.method = "-lhd-";
    folder.unixMode = 040755;
    Member link{"ln|target", ""};
    link.method = "-lhd-";
    link.unixMode = 0120777;
    Member noted{std::string("noted.txt\0a note", 16), "n"};
    noted.level = 0;
    const std::string members = lha::testing::buildArchive({folder, link, noted});
    const std::string program = "MZ" + std::string(69998, '\x90');
    writeFile(scratch / "a.exe", program + members.substr(0, members.size() - 1) +
                                     lha::testing::level0WithTail(Member{"bare", "b"}, "") + "b" +
                                     '\0');
    const auto archive = (scratch / "a.exe").string();

    const auto verbose = runUnlha({"v", archive}, scratch.path());
    EXPECT_EQ(verbose.status, kOk) << verbose.err;
    EXPECT_TRUE(std::regex_search(verbose.out, std::regex(" drwxr-xr-x .* dir/\n"))) << verbose.out;
    EXPECT_TRUE(std::regex_search(verbose.out, std::regex(" lrwxrwxrwx .* ln -> target\n")))
        << verbose.out;
    EXPECT_NE(verbose.out.find(" noted.txt\n             comment: a note\n"), std::string::npos)
        << verbose.out;
    EXPECT_TRUE(std::regex_search(verbose.out, std::regex(" -lh0- ---- .* bare\n"))) << verbose.out;
    EXPECT_NE(verbose.out.find("the archive starts at offset 70000\n"), std::string::npos)
        << verbose.out;
    EXPECT_EQ(runUnlha({"l", archive}, scratch.path()).out.find("comment"), std::string::npos);

    const auto listed = jsonLines(runUnlha({"l", "--json", archive}, scratch.path()).out);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(text(listed[2], "comment"), "a note");
    EXPECT_EQ(listed[0].count("comment"), 0u);
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(listed[3].at("crc")));

    const auto twice = archiveOf(scratch, {Member{"one", "1"}}, "b.lzh");
    writeFile(twice, readFile(twice) + readFile(twice));
    const auto after = runUnlha({"l", twice}, scratch.path());
    EXPECT_EQ(after.status, kOk);
    EXPECT_NE(after.err.find("warning: data after the end of the archive"), std::string::npos)
        << after.err;
}

// A name the evidence cannot settle ("über" in CP437 reads as a full-width
// bar and "er" in Shift-JIS) comes out right when the user names its
// charset; the listing says which charset each name was read in.
TEST(UnlhaTool, CharsetIsShownAndCanBeNamed) {
    TempDir scratch;
    Member dos{"\x81"
               "ber.txt",
               "x"};
    dos.level = 1;
    dos.osId = 'M';
    Member stored{"a%01", "y"};
    const auto archive = archiveOf(scratch, {dos, stored});
    const auto guessed = jsonLines(runUnlha({"l", "--json", archive}, scratch.path()).out);
    ASSERT_EQ(guessed.size(), 2u);
    EXPECT_EQ(text(guessed[0], "charset"), "cp932");
    for (const char *option : {"--charset=CP437", "--charset"}) {
        std::vector<std::string> words = {"l", "--json", option, archive};
        if (std::string(option) == "--charset")
            words.insert(words.begin() + 3, "ibm437");
        const auto named = runUnlha(words, scratch.path());
        ASSERT_EQ(named.status, kOk) << named.err;
        const auto members = jsonLines(named.out);
        ASSERT_EQ(members.size(), 2u) << named.out;
        EXPECT_EQ(text(members[0], "name"), "über.txt");
        EXPECT_EQ(text(members[0], "charset"), "cp437");
        // "%" stored as it is: the raw bytes say so.
        EXPECT_EQ(text(members[1], "name"), "a%01");
        EXPECT_EQ(text(members[1], "raw"), "61253031");
    }
    const auto verbose = runUnlha({"v", "--charset", "cp437", archive}, scratch.path()).out;
    EXPECT_TRUE(std::regex_search(verbose, std::regex(" cp437 +über.txt\n"))) << verbose;
    const auto extracted = runUnlha({"x", "--charset", "cp437", archive}, scratch.path());
    EXPECT_EQ(extracted.status, kOk) << extracted.err;
    EXPECT_EQ(readFile(scratch / "über.txt"), "x");
    const auto unknown = runUnlha({"l", "--charset", "klingon", archive}, scratch.path());
    EXPECT_EQ(unknown.status, kBadCommand);
    EXPECT_NE(unknown.err.find("unknown charset 'klingon'"), std::string::npos) << unknown.err;
}

// One situation per exit status the tool can reach without a terminal.
TEST(UnlhaTool, ExitStatusNamesTheCause) {
    TempDir scratch;
    const auto good = archiveOf(scratch, {Member{"a.txt", "alpha"}}, "good.lzh");
    const auto damaged = archiveOf(scratch, {broken("a.txt", "alpha")}, "damaged.lzh");
    Member unknown{"u.txt", "data"};
    unknown.method = "-lhz-";
    const auto method = archiveOf(scratch, {unknown}, "method.lzh");
    const auto unsafe = archiveOf(scratch, {Member{"../escape.txt", "x"}}, "unsafe.lzh");
    writeFile(scratch / "text.lzh", std::string(200, 'z'));
    writeFile(scratch / "a-file", "");
    fs::create_directory(scratch / "full");
    writeFile(scratch / "full" / "a.txt", "kept");
    const std::string dir = scratch.path().string();

    const struct {
        std::vector<std::string> words;
        int status;
    } cases[] = {
        {{"t", good}, kOk},
        {{"x", "w=" + dir + "/ok", good}, kOk},
        {{"--help"}, kOk},
        {{"--version"}, kOk},
        {{}, kBadCommand},
        {{"xk", good}, kBadCommand},
        {{"t", good, "absent.txt"}, kBadCommand},
        {{"t", dir + "/missing.lzh"}, kUnreadable},
        {{"l", dir + "/missing.lzh"}, kUnreadable},
        {{"t", dir + "/text.lzh"}, kNotArchive},
        {{"t", damaged}, kDamaged},
        {{"x", "w=" + dir + "/d", damaged}, kDamaged},
        {{"t", method}, kMethod},
        {{"x", "w=" + dir + "/a-file", good}, kWrite},
        {{"x", "w=" + dir + "/full", good}, kExists},
        {{"x", "w=" + dir + "/u", unsafe}, kUnsafe},
    };
    for (const auto &c : cases) {
        std::string shown;
        for (const auto &w : c.words)
            shown += w + ' ';
        SCOPED_TRACE(shown);
        const auto result = runUnlha(c.words, scratch.path());
        EXPECT_EQ(result.status, c.status) << result.err;
    }
    EXPECT_EQ(readFile(scratch / "full" / "a.txt"), "kept");
    EXPECT_FALSE(fs::exists(scratch.path().parent_path() / "escape.txt"));
}

TEST(UnlhaTool, AnArchiveThatCannotBeListedShowsOnlyTheError) {
    TempDir scratch;
    writeFile(scratch / "text.lzh", std::string(200, 'z'));
    for (const char *command : {"l", "v"})
        for (const char *archive : {"missing.lzh", "text.lzh"}) {
            SCOPED_TRACE(std::string(command) + " " + archive);
            const auto result = runUnlha({command, archive}, scratch.path());
            EXPECT_NE(result.status, kOk);
            EXPECT_EQ(result.out, "");
            EXPECT_NE(result.err.find(archive), std::string::npos) << result.err;
        }
    // An archive whose members no name chooses still shows its table.
    const auto archive = archiveOf(scratch, {Member{"a.txt", "alpha"}});
    const auto none = runUnlha({"l", archive, "b*"}, scratch.path());
    EXPECT_EQ(none.status, kBadCommand);
    EXPECT_NE(none.out.find("0 member(s)"), std::string::npos) << none.out;
}

TEST(UnlhaTool, AFailedWriteToStandardOutputFailsTheRun) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TempDir scratch;
    const auto archive = archiveOf(scratch, {Member{"a.txt", "alpha"}});
    const unlha::testing::Redirects toFull{{}, "/dev/full"};
    const std::vector<std::string> runs[] = {
        {"l", archive},
        {"v", archive},
        {"l", "--json", archive},
        {"tv", archive},
        {"t", "--json", archive},
        {"p", archive},
        {"xnv", archive},
        {"--help"},
        {"--version"},
    };
    for (const auto &words : runs) {
        SCOPED_TRACE(words.front());
        const auto result = runUnlha(words, scratch.path(), {}, toFull);
        EXPECT_EQ(result.status, kWrite) << result.err;
        EXPECT_NE(result.err.find("cannot write to standard output"), std::string::npos)
            << result.err;
    }
    // An earlier failure keeps its own status.
    const auto bad = archiveOf(scratch, {broken("b.txt", "data")}, "bad.lzh");
    EXPECT_EQ(runUnlha({"tv", bad}, scratch.path(), {}, toFull).status, kDamaged);
}

// Past the file size limit, the member that cannot be written fails and
// the others come out; the tool is not ended by the signal.
TEST(UnlhaTool, AFileSizeLimitFailsTheMemberNotTheTool) {
    TempDir scratch;
    const auto archive = archiveOf(
        scratch, {Member{"big.bin", std::string(300000, 'b')}, Member{"small.txt", "small"}});
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto result = runUnlha({"x", "w=" + (scratch / "out").string(), archive}, scratch.path());
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(result.status, kWrite) << result.err;
    EXPECT_NE(result.err.find("big.bin: cannot write the file: File too large"), std::string::npos)
        << result.err;
    EXPECT_EQ(lha::testing::treeOf(scratch / "out"), std::vector<std::string>{"small.txt"});
}

// "   N  meaning" lines, in order, from a text.
std::vector<std::string> statusLines(const std::string &text) {
    std::vector<std::string> out;
    const std::regex line("^ *(\\d+) +(.+)$");
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_match(l, m, line))
            out.push_back(m[1].str() + " " + m[2].str());
    }
    return out;
}

TEST(UnlhaTool, HelpAndManualPageStateTheSameExitStatuses) {
    TempDir scratch;
    const auto help = runUnlha({"--help"}, scratch.path());
    ASSERT_EQ(help.status, kOk);
    // The table ends at the first empty line.
    const std::string helpTable = help.out.substr(help.out.find("Exit status:"));
    const auto fromHelp = statusLines(helpTable.substr(0, helpTable.find("\n\n")));
    ASSERT_EQ(fromHelp.size(), 11u) << help.out;

    // The manual page lists them as ".TP\n.B N\nmeaning" under EXIT STATUS.
    const std::string manual = readFile(UNLHA_MANUAL);
    const auto start = manual.find(".SH EXIT STATUS");
    ASSERT_NE(start, std::string::npos);
    const auto end = manual.find(".SH", start + 1);
    std::string section = manual.substr(start, end - start);
    section = std::regex_replace(section, std::regex("\\.TP\\n\\.B (\\d+)\\n"), "$1 ");
    section = std::regex_replace(section, std::regex("\\\\-"), "-");
    // ... and ends at the first paragraph after it.
    EXPECT_EQ(statusLines(section.substr(0, section.find(".PP"))), fromHelp) << section;

    // Both say how a signal ends the tool, as a shell shows it.
    for (const std::string *text : {&help.out, static_cast<const std::string *>(&section)}) {
        const std::string flat = std::regex_replace(*text, std::regex("\\s+"), " ");
        EXPECT_NE(flat.find("130 for Ctrl-C"), std::string::npos) << flat;
        EXPECT_NE(flat.find("143 for SIGTERM"), std::string::npos) << flat;
    }
}

TEST(UnlhaTool, ProgressLineOnlyOnATerminalAndNotWhenQuiet) {
    TempDir scratch;
    const auto archive = archiveOf(scratch, {Member{"big.bin", std::string(3 << 20, 'b')}});
    {
        unlha::testing::TerminalRun run({"t", archive}, scratch.path());
        EXPECT_EQ(run.finish(), kOk);
        EXPECT_NE(run.screen().find("MiB of 3.0 MiB"), std::string::npos) << run.screen();
        EXPECT_NE(run.screen().find("big.bin"), std::string::npos);
        EXPECT_NE(run.screen().find("\x1b[K"), std::string::npos) << "the line is wiped at the end";
    }
    {
        unlha::testing::TerminalRun run({"tq", archive}, scratch.path());
        EXPECT_EQ(run.finish(), kOk);
        EXPECT_EQ(run.screen().find("MiB"), std::string::npos) << run.screen();
    }
    {
        // On a narrow terminal the line is cut to fit, never wrapped.
        const std::string longName(60, 'n');
        const auto wide =
            archiveOf(scratch, {Member{longName, std::string(1 << 20, 'w')}}, "w.lzh");
        unlha::testing::TerminalRun run({"t", wide}, scratch.path(), 30);
        EXPECT_EQ(run.finish(), kOk);
        const std::string erase = "\r\x1b[K";
        std::size_t drawn = 0;
        for (auto at = run.screen().find(erase); at != std::string::npos;
             at = run.screen().find(erase, at + 1)) {
            const auto start = at + erase.size();
            const auto end = run.screen().find_first_of("\r\n", start);
            const auto line = run.screen().substr(start, end - start);
            EXPECT_LT(line.size(), 30u) << line;
            drawn += !line.empty();
        }
        EXPECT_GT(drawn, 0u) << run.screen();
    }
    const auto piped = runUnlha({"x", "w=" + (scratch / "o").string(), archive}, scratch.path());
    EXPECT_EQ(piped.status, kOk);
    EXPECT_EQ(piped.err, "");
}

struct Answer {
    const char *typed;
    int status;
    const char *content; // of the file afterwards
};

TEST(UnlhaTool, AsksBeforeReplacingOnATerminal) {
    const Answer answers[] = {
        {"y\n", kOk, "new"}, {"n\n", kOk, "old"},        {"a\n", kOk, "new"},
        {"s\n", kOk, "old"}, {"q\n", kCancelled, "old"}, {"what\nY\n", kOk, "new"},
    };
    for (const auto &a : answers) {
        SCOPED_TRACE(a.typed);
        TempDir scratch;
        const auto archive = archiveOf(scratch, {Member{"f.txt", "new"}});
        fs::create_directory(scratch / "out");
        writeFile(scratch / "out" / "f.txt", "old");
        unlha::testing::TerminalRun run({"x", "w=" + (scratch / "out").string(), archive},
                                        scratch.path());
        ASSERT_TRUE(run.waitFor("f.txt exists. Replace it?")) << run.screen();
        run.type(a.typed);
        EXPECT_EQ(run.finish(), a.status) << run.screen();
        EXPECT_EQ(readFile(scratch / "out" / "f.txt"), a.content);
    }
    // f replaces without a word.
    TempDir scratch;
    const auto archive = archiveOf(scratch, {Member{"f.txt", "new"}});
    writeFile(scratch / "f.txt", "old");
    const auto forced = runUnlha({"xf", archive}, scratch.path());
    EXPECT_EQ(forced.status, kOk) << forced.err;
    EXPECT_EQ(readFile(scratch / "f.txt"), "new");
}

} // namespace
