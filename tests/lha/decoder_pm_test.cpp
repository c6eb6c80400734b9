// SPDX-License-Identifier: MIT
// The PMarc decoders against real archives and lhasa's output, and on
// damaged streams.
#include "corpus.h"
#include "decoder_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace lha::testing {
namespace {

using lha::testing::kCorpus;

std::vector<PackedMember> corpusMembers(const char *path) {
    return packedMembers(readFile((kCorpus / path).string()));
}

// Decodes `packed` as `size` bytes of `method`; returns the DecodeError's
// message, or "" when the stream decoded. Fails the test on output past size.
std::string decodeError(const char *method, const std::vector<uint8_t> &packed, uint64_t size) {
    try {
        EXPECT_LE(decodeAll(method, packed, size).size(), size);
    } catch (const DecodeError &e) {
        return e.what();
    }
    return "";
}

// The PMarc 2 archives, and 32 random -pm1- streams, one per start value,
// that PMarc's own extractor decoded.
const std::pair<const char *, const char *> kCorpusArchives[] = {
    {"pmarc2/pm2.pma", "-pm2-"},
    {"pmarc2/long.pma", "-pm2-"},
    {"pmarc2/comment.pma", "-pm2-"},
    {"generated/pm1/pm1.pma", "-pm1-"}};

TEST(PmDecoderTest, CorpusMembersMatchTheirCrc) {
    SKIP_WITHOUT_CORPUS();
    for (const auto &[path, method] : kCorpusArchives) {
        for (const PackedMember &m : corpusMembers(path)) {
            ASSERT_EQ(m.method, method);
            for (std::size_t piece : {std::size_t{1} << 20, std::size_t{5}}) {
                const auto out = decodeAll(m.method, m.packed, m.originalSize, piece);
                EXPECT_EQ(out.size(), m.originalSize) << path;
                EXPECT_EQ(crcOf(out), m.crc) << path << " piece " << piece;
            }
        }
    }
}

TEST(PmDecoderTest, Pm2StartingStateAgreesWithLhasa) {
    // The literal list starts at the blank, the window is blank before the
    // start, copied bytes move to the front of the list too, and symbol 28
    // repeats the last byte 256 times. lhasa decodes this stream the same.
    // All 29 symbols get 5-bit codes (symbol s is s), the five distance
    // codes 3-bit ones.
    BitWriter b;
    b.put(1, 1).put(29, 5).put(5, 3).put(1, 3).put(0x1FFFFFFF, 29).put(033333, 15);
    b.put(3, 5).put(1, 5);           // literal at position 33: 'A'
    b.put(0, 5).put(0, 3);           // position 0: 'A' again
    b.put(8, 5).put(3, 6);           // 2 bytes from 4 back: blanks
    b.put(0, 5).put(1, 3);           // position 1, behind the blank: 'A'
    b.put(9, 5).put(0, 3).put(0, 6); // 3 bytes from 1 back
    b.put(28, 5);                    // 256 more
    b.put(0, 5).put(2, 3);           // position 2: '!', next after the blank
    std::vector<uint8_t> expected(265, 'A');
    expected[2] = expected[3] = ' ';
    expected.back() = '!';
    EXPECT_EQ(decodeAll("-pm2-", b.bytes(), expected.size()), expected);
}

TEST(PmDecoderTest, ImpossibleCodesFail) {
    // Each stream starts with a flag and its symbol code; zeros follow.
    const auto error = [](BitWriter b) { return decodeError("-pm2-", b.put(0, 64).bytes(), 10); };
    // Three 1-bit codes; a code of 7 + 15 - 1 bits; a symbol past 28.
    EXPECT_EQ(error(BitWriter().put(1, 1).put(3, 5).put(1, 3).put(1, 3).put(7, 3)),
              "over-subscribed Huffman table");
    EXPECT_EQ(error(BitWriter().put(1, 1).put(2, 5).put(7, 3).put(4, 3).put(0xFF, 8)),
              "invalid Huffman table");
    EXPECT_EQ(error(BitWriter().put(1, 1).put(31, 5).put(0, 3).put(1, 1)), "invalid code");
    // A 3-byte match whose distance code has no codes.
    EXPECT_EQ(error(BitWriter().put(1, 1).put(10, 5).put(0, 3).put(0, 15).put(1, 1)),
              "invalid Huffman code");

    // -pm1-: start value 0, no literals, then a 2-byte match.
    EXPECT_EQ(
        decodeError("-pm1-", BitWriter().put(0, 5).put(0, 2).put(5, 6).put(0, 64).bytes(), 10),
        "match distance before the start of the data");
}

TEST(PmDecoderTest, DamagedMembersFailOrStopAtTheirSize) {
    SKIP_WITHOUT_CORPUS();
    std::mt19937 random(7);
    for (const char *path : {"pmarc2/pm2.pma", "generated/pm1/pm1.pma"}) {
        const PackedMember m = corpusMembers(path).at(0);
        // (The -pm1- streams carry unused random bytes at their end.)
        for (std::size_t keep : {std::size_t{0}, std::size_t{3}, m.packed.size() / 2}) {
            const std::vector<uint8_t> cut(m.packed.begin(),
                                           m.packed.begin() + static_cast<std::ptrdiff_t>(keep));
            EXPECT_EQ(decodeError(m.method.c_str(), cut, m.originalSize), "truncated data")
                << path << " kept " << keep;
        }
        int failed = 0;
        for (int round = 0; round < 100; ++round) {
            auto damaged = m.packed;
            for (int i = 0; i < 3; ++i)
                damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
            // Damage either fails or decodes to the whole size (which the
            // CRC then catches), the same in any input pieces.
            const Outcome whole = decodeOutcome(m.method, damaged, m.originalSize);
            EXPECT_EQ(decodeOutcome(m.method, damaged, m.originalSize, 5), whole) << path;
            if (whole.error.empty())
                EXPECT_EQ(whole.bytes.size(), m.originalSize) << path;
            else
                ++failed;
        }
        EXPECT_GT(failed, 0) << path;
    }
}

} // namespace
} // namespace lha::testing
