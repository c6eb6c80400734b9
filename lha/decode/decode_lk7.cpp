// SPDX-License-Identifier: MIT
// LHARK's own -lh7- (listed as -lk7-): the block structure of -lh5- with a
// 64 KiB window, but matches up to 514 bytes and distances coded as a base
// plus extra bits, both for the length and for the position code:
//   symbol 0-255     literal byte
//   symbol 256-263   length 3-10
//   symbol 264-287   (symbol - 260) / 4 extra bits; length
//                    ((4 + symbol % 4) << extra) + bits + 3
//   symbol 288       length 514
//   position 0-3     offset itself
//   position 4-31    (code - 2) / 2 extra bits; offset ((2 + code % 2) << extra) + bits
// The match starts offset + 1 bytes back.
#include "decode_families.h"
#include "decode_window.h"
#include "huffman.h"
#include "lh_code_lengths.h"

#include <array>

namespace lha {
namespace {

constexpr unsigned kWindowBits = 16;
constexpr unsigned kLiterals = 256;
constexpr unsigned kSymbols = 289;
constexpr unsigned kFirstCodedLength = 264; // the first length symbol with extra bits
constexpr unsigned kLongestSymbol = 288;
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 514;
constexpr unsigned kPositionCodes = 32;
constexpr unsigned kFirstCodedPosition = 4;
constexpr unsigned kPositionCountBits = 6;
// The small code that sends the symbol code's lengths, as in -lh5-.
constexpr unsigned kLengthCodes = 19;
constexpr unsigned kLengthCountBits = 5;
constexpr int kLengthGapAfter = 3;
constexpr unsigned kBlockSizeBits = 16;

class LharkDecoder final : public WindowedDecoder {
public:
    LharkDecoder(ByteSource &in, uint64_t originalSize)
        : WindowedDecoder(in, originalSize, std::size_t{1} << kWindowBits, kMaxMatch) {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            if (m_blockRemaining == 0) {
                readBlockHeader();
                continue;
            }
            --m_blockRemaining;
            m_in.refill();
            const unsigned symbol = m_symbols.decode(m_in);
            if (symbol < kLiterals) {
                out[pos++] = static_cast<OutByte>(symbol);
                continue;
            }
            const std::size_t length = matchLength(symbol);
            m_in.refill();
            const unsigned code = m_positions.decode(m_in);
            std::size_t offset = code;
            if (code >= kFirstCodedPosition) {
                const unsigned extra = (code - 2) / 2;
                offset = ((2u + code % 2) << extra) + m_in.take(extra);
            }
            pos = copyMatch(out, pos, offset + 1, length, end);
        }
        m_pos = pos;
    }

    std::size_t matchLength(unsigned symbol) {
        if (symbol < kFirstCodedLength)
            return symbol - kLiterals + kMinMatch;
        if (symbol == kLongestSymbol)
            return kMaxMatch;
        const unsigned extra = (symbol - 260) / 4;
        return ((4u + symbol % 4) << extra) + m_in.take(extra) + kMinMatch;
    }

    void readBlockHeader() {
        m_blockRemaining = m_in.bits(kBlockSizeBits);
        readSmallCode(m_lengthCode, kLengthCodes, kLengthCountBits, kLengthGapAfter);
        std::array<uint8_t, kSymbols> lengths{};
        if (const auto single = readSymbolCodeLengths(m_in, m_lengthCode, lengths))
            m_symbols.buildSingle(*single);
        else
            m_symbols.build(lengths.data(), kSymbols);
        readSmallCode(m_positions, kPositionCodes, kPositionCountBits, -1);
    }

    void readSmallCode(HuffmanTable &table, unsigned size, unsigned countBits, int gapAfter) {
        SmallCodeLengths lengths{};
        if (const auto single = readSmallCodeLengths(m_in, lengths, size, countBits, gapAfter))
            table.buildSingle(*single);
        else
            table.build(lengths.data(), size);
    }

    HuffmanTable m_symbols{12};
    HuffmanTable m_positions{8};
    HuffmanTable m_lengthCode{8};
    unsigned m_blockRemaining = 0;
};

} // namespace

std::unique_ptr<Decoder> makeLharkDecoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<LharkDecoder>(in, originalSize);
}

} // namespace lha
