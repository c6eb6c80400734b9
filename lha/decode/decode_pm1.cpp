// SPDX-License-Identifier: MIT
// -pm1- (PMarc 1, CP/M): LZSS with fixed prefix codes. The stream starts
// with five bits that pick one of 32 codes for literals; then come blocks,
// each a count of literals (0 to 216) followed, unless the block is full, by
// one match of 2 to 244 bytes. A literal is a position in the move-to-front
// list of byte values, sent as a range from the picked code plus the
// position within the range. A match starts with a code naming its kind
// (2-byte or longer) and its distance range; the set of ranges grows, and
// ranges widen, as the output grows, so a distance never needs more bits
// than the output so far can use. Distances reach back at most 10816 bytes;
// one before the start of the output is an error.
#include "decode_families.h"
#include "decode_pm.h"
#include "decode_window.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace lha {
namespace {

constexpr std::size_t kPm1Window = 16384;
constexpr unsigned kPm1MaxMatch = 244;
constexpr unsigned kPm1FullBlock = 216;

// A small prefix code written out as "code:symbol" pairs, decoded with one
// table lookup.
class SmallCode {
public:
    explicit SmallCode(std::string_view pairs) {
        struct Entry {
            uint32_t code;
            unsigned length;
            uint8_t symbol;
        };
        std::vector<Entry> entries;
        for (std::size_t at = 0; at < pairs.size();) {
            const std::size_t colon = pairs.find(':', at);
            Entry e{0, static_cast<unsigned>(colon - at),
                    static_cast<uint8_t>(pairs[colon + 1] - '0')};
            for (std::size_t i = at; i < colon; ++i)
                e.code = e.code << 1 | static_cast<uint32_t>(pairs[i] - '0');
            m_bits = std::max(m_bits, e.length);
            entries.push_back(e);
            at = colon + 3;
        }
        m_table.resize(std::size_t{1} << m_bits);
        for (const Entry &e : entries) {
            const unsigned spare = m_bits - e.length;
            for (uint32_t i = 0; i < (1u << spare); ++i)
                m_table[(e.code << spare) | i] = {e.symbol, static_cast<uint8_t>(e.length)};
        }
    }

    // Needs m_bits bits buffered.
    unsigned decode(BitReader &in) const {
        const auto [symbol, length] = m_table[in.peek(m_bits)];
        in.skip(length);
        return symbol;
    }

private:
    unsigned m_bits = 1; // a code of one symbol and no bits still peeks one
    std::vector<std::pair<uint8_t, uint8_t>> m_table;
};

// The literal codes, one per start value: codes for the ranges of list
// positions 0-15, 16-31, 32-63, 64-127, 128-191 and 192-255 (0-5). Start
// value 17 sends no positions below 64 and has two codes each for 3 and 4;
// that is how PMarc's extractor reads it.
constexpr std::string_view kLiteralCodes[32] = {"0000:0 0001:1 001:2 01:3 10:4 11:5",
                                                "000:0 001:1 010:2 011:5 10:3 11:4",
                                                "000:0 001:1 01:2 10:3 110:4 111:5",
                                                "00:0 010:1 011:2 10:3 110:4 111:5",
                                                "00:0 010:1 011:3 10:2 110:4 111:5",
                                                "00:0 010:1 0110:4 0111:5 10:2 11:3",
                                                "00:0 01:1 100:2 101:3 110:4 111:5",
                                                "00:0 01:1 100:2 1010:4 1011:5 11:3",
                                                "00:0 01:1 10:2 110:3 1110:4 1111:5",
                                                "0:0 1000:1 1001:5 101:2 110:3 111:4",
                                                "0:0 1000:1 10010:4 10011:5 101:2 11:3",
                                                "0:0 1000:1 1001:2 101:3 110:4 111:5",
                                                "0:0 100:1 1010:2 1011:5 110:3 111:4",
                                                "0:0 100:1 101:2 110:3 1110:4 1111:5",
                                                "0:0 100:1 1010:3 10110:4 10111:5 11:2",
                                                "0:0 10:1 1100:2 1101:3 1110:4 1111:5",
                                                "0:0 10:1 110:2 1110:3 11110:4 11111:5",
                                                "000:3 001:4 01:2 10:3 11:4",
                                                "00:0 010:1 011:4 10:2 11:3",
                                                "00:0 01:1 10:2 110:3 111:4",
                                                "0:0 1000:1 1001:4 101:2 11:3",
                                                "0:0 100:1 101:2 110:3 111:4",
                                                "0:0 100:1 1010:3 1011:4 11:2",
                                                "0:0 10:1 110:2 1110:3 1111:4",
                                                "000:0 001:1 01:2 1:3",
                                                "00:0 010:1 011:3 1:2",
                                                "00:0 01:1 10:2 11:3",
                                                "0:0 100:1 101:3 11:2",
                                                "0:0 10:1 110:2 111:3",
                                                "0:0 10:1 11:2",
                                                "0:0 1:1",
                                                ":0"};

constexpr Range kLiteralRanges[6] = {{0, 4}, {16, 4}, {32, 5}, {64, 6}, {128, 6}, {192, 6}};

// Match kinds: 0 and 1 are 2-byte matches from 1-64 and 65-320 back; 2 to 5
// are longer matches from 1-64, 65-576, 577-2624 and 2625-10816 back. Until
// the output reaches 64, 576 and 2624 bytes fewer kinds exist.
constexpr std::string_view kMatchKindCodes[4] = {"0:0 1:2", "00:0 01:1 10:3 11:2",
                                                 "000:0 001:1 01:4 10:3 11:2",
                                                 "000:0 001:1 01:4 10:3 110:5 111:2"};

// Where a kind's distances start and how many bits they take at output
// position `pos`: the far ranges start narrow and widen as the output grows.
Range distanceRange(unsigned kind, uint64_t pos) {
    const auto widening = [pos](unsigned bits, std::initializer_list<uint64_t> limits) {
        for (uint64_t limit : limits) {
            if (pos < limit)
                return bits;
            ++bits;
        }
        return bits;
    };
    switch (kind) {
    case 1:
        return {64, 8};
    case 3:
        return {64, static_cast<uint8_t>(widening(8, {320}))};
    case 4:
        return {576, static_cast<uint8_t>(widening(8, {832, 1088, 1600}))};
    case 5:
        return {2624, static_cast<uint8_t>(widening(8, {2880, 3136, 3648, 4672, 6720}))};
    default:
        return {0, 6};
    }
}

// A canonical code (shorter codes first, then in value order) given as runs
// of consecutive values sharing a code length.
struct CodeRun {
    uint8_t length;
    uint8_t first;
    uint8_t count;
};

// Block sizes: 0; 1-3; 4-10; 11-24; 25-88; 89-216.
constexpr CodeRun kBlockSizeCode[] = {{1, 0, 1},    {3, 1, 3},    {6, 4, 7},
                                      {10, 11, 14}, {16, 25, 64}, {17, 89, 128}};
// Lengths of the longer matches: 3-244.
constexpr CodeRun kMatchLengthCode[] = {{2, 3, 3},    {5, 6, 5},    {7, 11, 4},    {8, 15, 8},
                                        {11, 23, 62}, {16, 85, 32}, {18, 117, 128}};

// Needs 18 bits buffered. Both codes are complete, so every bit pattern
// falls in one of the runs.
template <std::size_t N> unsigned decodeCanonical(BitReader &in, const CodeRun (&runs)[N]) {
    constexpr unsigned kPeek = 18;
    const uint32_t v = in.peek(kPeek);
    uint32_t first = 0;
    unsigned length = runs[0].length;
    for (const CodeRun &run : runs) {
        first <<= run.length - length;
        length = run.length;
        const uint32_t code = v >> (kPeek - length);
        if (code < first + run.count) {
            in.skip(length);
            return run.first + (code - first);
        }
        first += run.count;
    }
    throw DecodeError("invalid code");
}

class Pm1Decoder final : public WindowedDecoder {
public:
    Pm1Decoder(ByteSource &in, uint64_t originalSize)
        : WindowedDecoder(in, originalSize, kPm1Window, kPm1MaxMatch),
          m_kinds{SmallCode(kMatchKindCodes[0]), SmallCode(kMatchKindCodes[1]),
                  SmallCode(kMatchKindCodes[2]), SmallCode(kMatchKindCodes[3])} {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        if (!m_literals)
            m_literals.emplace(kLiteralCodes[m_in.bits(5)]);
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            m_in.refill();
            if (m_blockLeft > 0) {
                const Range r = kLiteralRanges[m_literals->decode(m_in)];
                out[pos++] = static_cast<OutByte>(m_recent.take(r.base + m_in.take(r.bits)));
                --m_blockLeft;
                ++m_produced;
            } else if (m_matchDue) {
                m_matchDue = false;
                pos = decodeMatch(out, pos, end);
            } else {
                m_blockLeft = decodeCanonical(m_in, kBlockSizeCode);
                m_matchDue = m_blockLeft < kPm1FullBlock;
            }
        }
        m_pos = pos;
    }

    // Kind (<= 3 bits), length (<= 18) and distance bits (<= 13) fit in the
    // refill before it.
    std::size_t decodeMatch(OutByte *out, std::size_t pos, std::size_t end) {
        const unsigned stage = m_produced < 64     ? 0
                               : m_produced < 576  ? 1
                               : m_produced < 2624 ? 2
                                                   : 3;
        const unsigned kind = m_kinds[stage].decode(m_in);
        const std::size_t length = kind < 2 ? 2 : decodeCanonical(m_in, kMatchLengthCode);
        const Range r = distanceRange(kind, m_produced);
        const std::size_t distance = r.base + m_in.take(r.bits) + 1;
        const std::size_t from = pos;
        pos = copyMatch(out, pos, distance, length, end);
        for (std::size_t i = from; i < pos; ++i)
            m_recent.touch(static_cast<uint8_t>(out[i]));
        m_produced += length;
        return pos;
    }

    std::optional<SmallCode> m_literals;
    std::array<SmallCode, 4> m_kinds;
    MoveToFront m_recent;
    uint64_t m_produced = 0;
    unsigned m_blockLeft = 0;
    bool m_matchDue = false;
};

} // namespace

std::unique_ptr<Decoder> makePm1Decoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<Pm1Decoder>(in, originalSize);
}

} // namespace lha
