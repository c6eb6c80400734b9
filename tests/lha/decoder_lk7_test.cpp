// SPDX-License-Identifier: MIT
// LHARK's own -lh7-: a hand-made stream whose every code is worked out from
// the format's description, and the archive header that tells it from LHA's.
#include "archive_builder.h"
#include "decoder_test_support.h"
#include "lha/lha.h"

#include <gtest/gtest.h>

namespace lha::testing {
namespace {

// One block of five symbols: 'A', 'B', a match of 15 from 1 back, 'A', a
// match of 514 from 8 back. Symbols 'A', 'B', 266 and 288 have two-bit codes
// 00, 01, 10, 11; position codes 0 and 5 one-bit codes 0, 1.
std::vector<uint8_t> lharkStream(unsigned positionCount = 6) {
    BitWriter w;
    w.put(5, 16);
    // The small code: lengths 2, 0, 2, (gap of one), 1 for values 0, 2, 4:
    // value 4 (symbol length 2) is 0, a single zero 10, a long run 11.
    w.put(5, 5).put(2, 3).put(0, 3).put(2, 3).put(1, 2).put(1, 3);
    // 289 symbol lengths: 65 unused, A, B, 199 unused, 266, 21 unused, 288.
    w.put(289, 9);
    w.put(3, 2).put(65 - 20, 9).put(0, 1).put(0, 1);
    w.put(3, 2).put(199 - 20, 9).put(0, 1);
    w.put(3, 2).put(21 - 20, 9).put(0, 1);
    // Position lengths: codes 0 and 5 one bit each.
    w.put(positionCount, 6).put(1, 3);
    for (unsigned i = 1; i < positionCount; ++i)
        w.put(i == 5 ? 1 : 0, 3);
    // 'A', 'B'; 266 with extra bit 0 is length ((4 + 2) << 1) + 0 + 3 = 15,
    // position code 0 is offset 0; 'A'; 288 is length 514, position code 5
    // with extra bit 1 is offset ((2 + 1) << 1) + 1 = 7.
    w.put(0, 2).put(1, 2).put(2, 2).put(0, 1).put(0, 1);
    w.put(0, 2).put(3, 2).put(1, 1).put(1, 1);
    return w.put(0, 32).bytes();
}

std::vector<uint8_t> lharkOutput() {
    std::vector<uint8_t> out = {'A', 'B'};
    auto copy = [&](std::size_t length, std::size_t distance) {
        for (std::size_t i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
    };
    copy(15, 1);
    out.push_back('A');
    copy(514, 8);
    return out;
}

TEST(Lhark, LengthsAndPositionsMapAsTheFormatSays) {
    const auto expected = lharkOutput();
    ASSERT_EQ(expected.size(), 532u);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20})
        EXPECT_EQ(decodeAll("-lk7-", lharkStream(), expected.size(), piece), expected)
            << "piece " << piece;
}

TEST(Lhark, DamagedStreamsAreRefused) {
    auto cut = lharkStream();
    cut.resize(10);
    const struct {
        std::vector<uint8_t> packed;
        uint64_t original;
        const char *what;
    } cases[] = {
        {lharkStream(33), 532, "more position codes than a 64 KiB window has"},
        {cut, 532, "truncated"},
        {lharkStream(), 100000, "stream ends long before the original size"},
    };
    for (const auto &c : cases)
        EXPECT_THROW(decodeAll("-lk7-", c.packed, c.original), DecodeError) << c.what;
}

TEST(Lhark, TheHeaderTellsItsMethodFromLhasOwn) {
    const auto stream = lharkStream();
    const auto expected = lharkOutput();
    const struct {
        int level;
        char osId;
        const char *listed;
        bool decodes;
    } cases[] = {
        {1, ' ', "-lk7-", true},
        {1, 'M', "-lh7-", false},
        {2, ' ', "-lh7-", false},
    };
    for (const auto &c : cases) {
        lha::testing::Member m("gpl.txt", std::string(stream.begin(), stream.end()));
        m.method = "-lh7-";
        m.level = c.level;
        m.osId = c.osId;
        m.originalSize = expected.size();
        m.crc = crcOf(expected);
        lha::testing::TempDir dir;
        lha::testing::writeFile(dir / "a.lzh", lha::testing::buildArchive({m}));
        std::vector<lha::MemberInfo> members;
        lha::list(dir / "a.lzh", members);
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].method, c.listed) << c.level << " '" << c.osId << "'";
        EXPECT_EQ(lha::test(dir / "a.lzh").ok(), c.decodes) << c.level << " '" << c.osId << "'";
    }
}

} // namespace
} // namespace lha::testing
