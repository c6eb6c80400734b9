// SPDX-License-Identifier: MIT
#include "allocations.h"
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
    h.utf16_name = std::string("\x68\x88\x2E\x00\x63\x00", 6); // 表.c
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

TEST(Names, PrintableEscapesEveryTerminalControl) {
    EXPECT_EQ(lha::printable("a\x1B[31mb\x07"), "a\\x1b[31mb\\x07");
    EXPECT_EQ(lha::printable("\xC2\x9B"
                             "2J"),
              "\\x9b2J"); // C1 CSI
    EXPECT_EQ(lha::printable("表\x7F"), "表\\x7f");
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
