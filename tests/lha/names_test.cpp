// SPDX-License-Identifier: MIT
#include "allocations.h"
#include "archive_builder.h"
#include "charset.h"
#include "entry.h"
#include "lha/lha.h"
#include "link_target.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using lha::Charset;

TEST(Names, ShiftJisTrailBytesThatLookLikeBackslashStayInTheirCharacter) {
    // "表" is 95 5C and "ソ" is 83 5C: splitting before decoding would cut them.
    lha::Header h;
    h.osId = 'M';
    h.name = "\x83\x5C\x83\x74\x83\x67\\\x95\x5C.txt";
    std::string refusal;
    const auto name = lha::decodeStoredName(h, Charset::Cp932);
    EXPECT_EQ(name, "ソフト\\表.txt");
    const auto parts = lha::splitPath(name, refusal);
    EXPECT_EQ(parts, (std::vector<std::string>{"ソフト", "表.txt"}));
    EXPECT_TRUE(refusal.empty());

    // The directory header separates with 0xFF; its pieces decode alone.
    h.level = 2;
    h.directory = "\x83\x5C\x83\x74\x83\x67\xFF";
    h.name = "\x95\x5C.txt";
    EXPECT_EQ(lha::decodeStoredName(h, Charset::Cp932), "ソフト/表.txt");
}

TEST(Names, CharsetFollowsTheProducerAndExplicitHeadersWin) {
    lha::Header h;
    h.name = "\xE9";
    h.osId = 'A'; // Amiga: ISO-8859-1
    EXPECT_EQ(lha::decodeStoredName(h, Charset::Utf8), "é");
    h.osId = 'U'; // Unix: the archive-wide guess
    h.name = "\xC9\xBD";
    EXPECT_EQ(lha::decodeStoredName(h, Charset::EucJp), "表");
    h.codePage = 65001;
    EXPECT_EQ(lha::decodeStoredName(h, Charset::EucJp), "ɽ");
    h.utf16Name = std::string("\x68\x88\x2E\x00\x63\x00", 6); // 表.c
    EXPECT_EQ(lha::decodeStoredName(h, Charset::EucJp), "表.c");
}

// An archive may give every member a code page of its own: what is kept of
// the pages iconv does not know, and of the converters opened, stays within
// a budget however many there are.
TEST(Names, DistinctCodePagesCostBoundedMemory) {
    lha::Header h;
    h.name = "caf\xE9.txt";
    h.codePage = 1252;
    EXPECT_EQ(lha::decodeStoredName(h, Charset::Utf8), "café.txt");
    h.codePage = 99999;
    const std::string unknown = lha::decodeStoredName(h, Charset::Utf8);
    const std::size_t before = lha::testing::liveBytes();
    for (uint32_t page = 100000; page < 120000; ++page) {
        h.codePage = page;
        ASSERT_EQ(lha::decodeStoredName(h, Charset::Utf8), unknown) << page;
    }
    EXPECT_LT(lha::testing::liveBytes() - before, 256u * 1024);
    h.codePage = 1252;
    EXPECT_EQ(lha::decodeStoredName(h, Charset::Utf8), "café.txt");
}

TEST(Names, ArchiveWideGuessTellsEucJpFromUtf8AndShiftJis) {
    std::vector<lha::Header> headers(2);
    for (auto &h : headers)
        h.osId = 'U';
    // "表" alone is valid UTF-8 by accident; "ソフト" in EUC-JP is not.
    headers[0].name = "\xC9\xBD.txt";
    headers[1].name = "\xA5\xBD\xA5\xD5\xA5\xC8";
    EXPECT_EQ(lha::guessCharset(headers), Charset::EucJp);
    headers[1].name = "\x83\x5C\x83\x74";
    headers[0].name = "\x95\x5C";
    EXPECT_EQ(lha::guessCharset(headers), Charset::Cp932);
    headers[0].name = "表";
    headers[1].name = "ソフト";
    EXPECT_EQ(lha::guessCharset(headers), Charset::Utf8);
}

TEST(Names, CharsetIsToldByHowJapaneseEachReadingLooks) {
    const std::string eucJp = "\xC9\xBD\xBC\xA8/\xA5\xBD\xA5\xD5\xA5\xC8"; // 表示/ソフト
    const std::string shiftJis = "\x95\x5C\x8E\xA6/\x83\x5C\x83\x74\x83\x67";
    const struct {
        std::string bytes;
        Charset fallback;
        Charset expected;
    } cases[] = {
        {"plain.txt", Charset::Cp932, Charset::Cp932},
        {"plain.txt", Charset::EucJp, Charset::EucJp},
        {"表示/ソフト", Charset::Cp932, Charset::Utf8},
        {eucJp, Charset::Cp932, Charset::EucJp},
        {eucJp, Charset::EucJp, Charset::EucJp},
        {shiftJis, Charset::EucJp, Charset::Cp932},
        {shiftJis, Charset::Cp932, Charset::Cp932},
        // Half-width katakana are sound Shift-JIS; their EUC-JP reading
        // fails on a byte.
        {"\xBF\xCC\xC4.txt", Charset::Cp932, Charset::Cp932},
        {"\xBF\xCC\xC4\xB3\xAA\xB1.txt", Charset::Cp932, Charset::Cp932},
        // Kanji in either reading: the producer's usual charset decides.
        {"\xE0\xA1\xE0\xA1", Charset::Cp932, Charset::Cp932},
        {"\xE0\xA1\xE0\xA1", Charset::EucJp, Charset::EucJp},
    };
    for (const auto &c : cases)
        EXPECT_EQ(lha::detectCharset(c.bytes, c.fallback), c.expected)
            << c.bytes << " " << static_cast<int>(c.fallback);
}

// jLHA wrote the same two names in each charset, at each level, under OS ids
// that fix no charset.
TEST(Names, JlhaArchivesInEveryCharsetAndLevelListTheSameNames) {
    const std::filesystem::path names = std::filesystem::path(HOKORA_TEST_DATA_DIR) / "names";
    for (const char *charset : {"utf8", "eucjp", "sjis"})
        for (int level = 0; level <= 2; ++level) {
            const auto archive =
                names / (std::string(charset) + "-level" + std::to_string(level) + ".lzh");
            std::vector<lha::MemberInfo> members;
            ASSERT_TRUE(lha::list(archive, members).ok()) << archive;
            ASSERT_EQ(members.size(), 2u) << archive;
            EXPECT_EQ(members[0].name, "表.txt") << archive;
            EXPECT_EQ(members[1].name, "ソフト/説明.txt") << archive;
        }
}

TEST(Names, UndecodableBytesBecomeVisibleEscapesAndOutputIsValidUtf8) {
    const std::string samples[] = {"\xFF\xFE", "a\x80z", "\x83", "\xF0\x9F"};
    for (const auto &bytes : samples)
        for (auto cs : {Charset::Cp932, Charset::EucJp, Charset::Utf8, Charset::Detect}) {
            const auto out = lha::toUtf8(bytes, cs);
            // Valid UTF-8 decodes to itself.
            EXPECT_EQ(lha::toUtf8(out, Charset::Utf8), out);
            EXPECT_NE(out.find('%'), std::string::npos) << out;
        }
    EXPECT_EQ(lha::toUtf8("a\x80z", Charset::Utf8), "a%80z");
    // A lone surrogate in UTF-16 is escaped; a pair makes one character.
    EXPECT_EQ(lha::decodeUtf16(std::string("\x00\xD8\x41\x00", 4)), "%00%D8A");
    EXPECT_EQ(lha::decodeUtf16(std::string("\x3D\xD8\x00\xDE", 4)), "\xF0\x9F\x98\x80");
}

TEST(Names, PathsAreMadeRelativeAndDotDotIsRefused) {
    struct Case {
        std::string name;
        std::vector<std::string> parts;
        bool refused;
    };
    const Case cases[] = {
        {"/tmp/x.txt", {"tmp", "x.txt"}, false},
        {"C:\\WINDOWS\\x.ini", {"WINDOWS", "x.ini"}, false},
        {"\\\\server\\share\\.\\a", {"server", "share", "a"}, false},
        {"a/C:/b", {"a", "C:", "b"}, false},
        {"../evil", {"evil"}, true},
        {"foo\\..\\..\\evil", {"foo", "evil"}, true},
        {"..data/x..", {"..data", "x.."}, false},
        {"tmp/\x1B]2;title\x07", {"tmp", "%1B]2;title%07"}, false},
    };
    for (const auto &c : cases) {
        std::string refusal;
        EXPECT_EQ(lha::splitPath(c.name, refusal), c.parts) << c.name;
        EXPECT_EQ(!refusal.empty(), c.refused) << c.name;
    }
}

TEST(Names, PrintableEscapesEveryTerminalControlAsNamesOnDiskAre) {
    const struct {
        std::string shown;
        std::string expected;
    } cases[] = {
        {"a\x1B[31mb\x07", "a%1B[31mb%07"},
        {"\xC2\x9B"
         "2J",
         "%C2%9B2J"}, // C1 CSI
        {"表\x7F", "表%7F"},
        {"\xFF\xFEok", "%FF%FEok"},                        // not UTF-8
        {"cod\xE2\x80\xAEtxt.exe", "cod%E2%80%AEtxt.exe"}, // right-to-left override
        {"a\xE2\x81\xA6"
         "b\xE2\x81\xA9",
         "a%E2%81%A6b%E2%81%A9"},                           // isolates
        {"100%.txt \xE2\x80\x8F", "100%.txt \xE2\x80\x8F"}, // a mark reorders nothing
    };
    for (const auto &c : cases) {
        EXPECT_EQ(lha::printable(c.shown), c.expected);
        std::string refusal;
        EXPECT_EQ(lha::splitPath(c.shown, refusal), std::vector<std::string>{c.expected});
    }
}

using lha::testing::buildArchive;
using lha::testing::Member;
using lha::testing::TempDir;
using lha::testing::writeFile;

// The names an archive of these members lists, with their charsets.
std::vector<lha::MemberInfo> listed(const std::vector<Member> &members) {
    TempDir dir;
    writeFile(dir / "a.lzh", buildArchive(members));
    std::vector<lha::MemberInfo> out;
    EXPECT_TRUE(lha::list(dir / "a.lzh", out).ok());
    return out;
}

Member named(std::string bytes, int level, char osId) {
    Member m{std::move(bytes), "x"};
    m.level = level;
    m.osId = osId;
    return m;
}

// Each name as its producer's machine stores it, alone in an archive and
// among plain ASCII names; Japanese names beside them must keep reading as
// they always have.
TEST(Names, EachMachinesCodePageIsToldFromTheNames) {
    const struct {
        std::string bytes;
        int level;
        char osId;
        const char *name;
        const char *charset;
    } cases[] = {
        // MS-DOS in America and Western Europe, and headers naming no OS.
        {"espa\xA4ol.ct", 0, 0, "español.ct", "cp437"}, // half-width katakana
        {"fran\x87"
         "ais.ct",
         0, 0, "français.ct", "cp437"},                     // a rare symbol row
        {"portugu\x88s.ct", 0, 0, "português.ct", "cp437"}, // unassigned in Shift-JIS
        {"Gr\x94\xE1"
         "e.txt",
         1, 'M', "Größe.txt", "cp437"}, // a kanji inside a word
        {"na\x8Bve.txt", 1, 'M', "naïve.txt", "cp437"},
        {"M\x81ller.doc", 1, 'M', "Müller.doc", "cp437"},   // a lone bracket
        {"ch\x83teau.txt", 1, '2', "château.txt", "cp437"}, // katakana inside a word
        {"\xB5RV\xD6Z.txt", 1, 'M', "ÁRVÍZ.txt", "cp850"},  // box drawing in CP437
        {"a\x87\xC6o.txt", 1, 'M', "ação.txt", "cp850"},
        // The Macintosh.
        {"espa\x96ol.ct", 1, 'm', "español.ct", "mac-roman"},
        {"fran\x8D"
         "ais.ct",
         1, 'm', "français.ct", "mac-roman"},
        {"Gr\x9A\xA7"
         "e.txt",
         1, 'm', "Größe.txt", "mac-roman"},
        {"na\x95ve.txt", 1, 'm', "naïve.txt", "mac-roman"},
        // Windows.
        {"espa\xF1ol.ct", 1, 'W', "español.ct", "cp1252"},
        {"fran\xE7"
         "ais.ct",
         1, 'W', "français.ct", "cp1252"},
        {"Gr\xF6\xDF"
         "e.txt",
         2, 'W', "Größe.txt", "cp1252"},
        {"caf\xE9.txt", 1, 'w', "café.txt", "cp1252"},
        {"\xFC"
         "ber.txt",
         2, 'w', "über.txt", "cp1252"},
        // The Amiga says its charset by its OS id.
        {"espa\xF1ol.ct", 1, 'A', "español.ct", "latin-1"},
        // Japanese stays Japanese.
        {"\xBF\xCC\xC4\xB3\xAA\xB1.txt", 0, 0, "ｿﾌﾄｳｪｱ.txt", "cp932"},
        {"Win\x97p.txt", 1, 'W', "Win用.txt", "cp932"},
        {"abc\x95\x5C"
         "def.txt",
         1, 'M', "abc表def.txt", "cp932"},
        {"Manual\x81iEnglish\x81j.txt", 1, 'M', "Manual（English）.txt", "cp932"},
        {"\x81\x9Anew\x81\x9A.txt", 1, 'W', "★new★.txt", "cp932"},
        {"\x83\x66\x81\x5B\x83\x5E.dat", 1, 'm', "データ.dat", "cp932"},
        {"\xC9\xBD\xBC\xA8.txt", 2, 'U', "表示.txt", "euc-jp"},
        {"\xE8\xA1\xA8.txt", 2, 'W', "表.txt", "utf-8"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto alone = listed({named(c.bytes, c.level, c.osId)});
        ASSERT_EQ(alone.size(), 1u);
        EXPECT_EQ(alone[0].name, c.name);
        EXPECT_EQ(alone[0].charset, c.charset);
        const auto mixed =
            listed({named("README.TXT", c.level, c.osId), named(c.bytes, c.level, c.osId),
                    named("setup.exe", c.level, c.osId)});
        ASSERT_EQ(mixed.size(), 3u);
        EXPECT_EQ(mixed[1].name, c.name);
        EXPECT_EQ(mixed[1].charset, c.charset);
        EXPECT_EQ(mixed[0].name, "README.TXT");
    }
}

// The archive-wide guess fits archives made in one place; a name whose own
// evidence is strong is read by it, whichever way round the mixture is.
TEST(Names, OneOddNameKeepsItsOwnCharsetAndSpoilsNoOther) {
    const std::string utf8 = "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88"; // ソフト
    const std::string sjis = "\x95\x5C\x8E\xA6";                     // 表示
    const std::string euc = "\xC9\xBD\xBC\xA8";                      // 表示
    const struct {
        std::string many;
        std::string odd;
        char osId;
        const char *manyName;
        const char *oddName;
    } cases[] = {
        {utf8, sjis, 'U', "ソフト", "表示"},
        {sjis, utf8, 'U', "表示", "ソフト"},
        {utf8, sjis, 'M', "ソフト", "表示"},
        {sjis, utf8, 'M', "表示", "ソフト"},
        {euc, utf8, 'U', "表示", "ソフト"},
        {utf8, euc, 'U', "ソフト", "表示"},
        // Western names and one Japanese name, and the other way round.
        {"espa\xA4ol", sjis, 'M', "español", "表示"},
        {sjis, "portugu\x88s", 'M', "表示", "português"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.manyName) + " " + c.oddName + " " + c.osId);
        std::vector<Member> members;
        for (int i = 0; i < 50; ++i)
            members.push_back(named(c.many + std::to_string(i), 2, c.osId));
        members.insert(members.begin() + 25, named(c.odd, 2, c.osId));
        const auto out = listed(members);
        ASSERT_EQ(out.size(), 51u);
        EXPECT_EQ(out[0].name, std::string(c.manyName) + "0");
        EXPECT_EQ(out[50].name, std::string(c.manyName) + "49");
        EXPECT_EQ(out[25].name, c.oddName);
    }
}

TEST(Names, LinksMayNotLeaveTheDestination) {
    std::string why;
    using P = std::vector<std::string>;
    EXPECT_TRUE(lha::linkStaysInside(P{"a", "link"}, "target", why));
    EXPECT_TRUE(lha::linkStaysInside(P{"a", "link"}, "../b/./c", why));
    EXPECT_TRUE(lha::linkStaysInside(P{"a", "b", "link"}, "../../x", why));
    EXPECT_FALSE(lha::linkStaysInside(P{"link"}, "../x", why));
    EXPECT_FALSE(lha::linkStaysInside(P{"a", "link"}, "../../x", why));
    EXPECT_FALSE(lha::linkStaysInside(P{"link"}, "/etc", why));
    EXPECT_FALSE(lha::linkStaysInside(P{"link"}, "", why));
    // Climbing after a name could go through another link to "." and escape.
    EXPECT_FALSE(lha::linkStaysInside(P{"a", "link"}, "other/..", why));
}

TEST(Names, DosTimesOutsideTheCalendarAreIgnored) {
    EXPECT_FALSE(lha::dosTime(0));
    EXPECT_FALSE(lha::dosTime((0u << 16) | 0x0000));
    EXPECT_FALSE(lha::dosTime((((21u << 9) | (13u << 5) | 1u) << 16))); // month 13
    EXPECT_FALSE(lha::dosTime((((21u << 9) | (1u << 5) | 1u) << 16) | (24u << 11)));
    EXPECT_TRUE(lha::dosTime((((21u << 9) | (2u << 5) | 3u) << 16) | (4u << 11) | (5u << 5) | 3u));
}

} // namespace
