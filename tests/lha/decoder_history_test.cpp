// SPDX-License-Identifier: MIT
// Formats whose history starts with known contents let the first matches
// copy from it; the results agree with lhasa on the same streams.
#include "decoder_test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace lha::testing {
namespace {

// An -lzs- item that copies 17 bytes from LArc ring position `ringPos`.
void putLzsMatch(BitWriter &bits, unsigned ringPos) {
    bits.put(0, 1).put(ringPos, 11).put(15, 4);
}

TEST(DecoderHistoryTest, LzsRingStartsBlankEverywhere) {
    // The write position starts 17 bytes before the ring's end: copying from
    // there reads the ring's tail before it is overwritten, then the middle.
    BitWriter bits;
    putLzsMatch(bits, 2031);
    putLzsMatch(bits, 100);
    EXPECT_EQ(decodeAll("-lzs-", bits.bytes(), 34), std::vector<uint8_t>(34, ' '));
}

TEST(DecoderHistoryTest, Lz5RingTailStartsAsZeros) {
    // A flag byte of matches, then a match from the ring's write position
    // (4078): its 18 bytes are the zero tail; then 3 bytes from position 13,
    // the run of 1s.
    const std::vector<uint8_t> packed = {0x00, 0xEE, 0xFF, 13, 0x00};
    std::vector<uint8_t> expected(21, 0);
    std::fill(expected.begin() + 18, expected.end(), 1);
    EXPECT_EQ(decodeAll("-lz5-", packed, 21), expected);
}

} // namespace
} // namespace lha::testing
