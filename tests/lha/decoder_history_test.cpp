// Formats whose history starts with known contents let the first matches
// copy from it; the results agree with lhasa on the same streams.
#include "decoder_test_support.h"

#include <gtest/gtest.h>

namespace lha::testing {
namespace {

// An -lzs- item that copies 17 bytes from LArc ring position `ringPos`.
void putLzsMatch(std::vector<bool> &bits, unsigned ringPos) {
    bits.push_back(false);
    for (int i = 10; i >= 0; --i)
        bits.push_back(ringPos >> i & 1);
    for (int i = 0; i < 4; ++i)
        bits.push_back(true);
}

std::vector<uint8_t> pack(const std::vector<bool> &bits) {
    std::vector<uint8_t> bytes((bits.size() + 7) / 8);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            bytes[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    return bytes;
}

TEST(DecoderHistoryTest, LzsRingStartsBlankEverywhere) {
    // The write position starts 17 bytes before the ring's end: copying from
    // there reads the ring's tail before it is overwritten, then the middle.
    std::vector<bool> bits;
    putLzsMatch(bits, 2031);
    putLzsMatch(bits, 100);
    EXPECT_EQ(decodeAll("-lzs-", pack(bits), 34), std::vector<uint8_t>(34, ' '));
}

TEST(DecoderHistoryTest, Lz5RingTailStartsAsZeros) {
    // A flag byte of matches, then a match from the ring's write position
    // (4078): its 18 bytes are the zero tail; then 3 bytes from position 13,
    // the run of 1s.
    const std::vector<uint8_t> packed = {0x00, 0xEE, 0xFF, 13, 0x00};
    std::vector<uint8_t> expected(18, 0);
    expected.insert(expected.end(), 3, 1);
    EXPECT_EQ(decodeAll("-lz5-", packed, 21), expected);
}

} // namespace
} // namespace lha::testing
