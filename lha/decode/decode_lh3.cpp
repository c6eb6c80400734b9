// SPDX-License-Identifier: MIT
// -lh3- (LHA 2.x, experimental): LZSS over an 8 KiB window with static
// Huffman codes per block. The symbol code's lengths are sent one by one; the
// distance code (upper seven bits of the distance) is either sent or a fixed
// built-in one.
#include "decode_families.h"
#include "decode_lh2_lh3.h"
#include "decode_match_symbols.h"
#include "decode_window.h"
#include "huffman.h"

#include <array>

namespace lha {
namespace {

using namespace lh2lh3;

// The built-in distance code: the length of code 0, then the symbols from
// which on each longer length starts.
HuffmanTable makeFixedDistanceTable() {
    constexpr std::array<unsigned, 7> lengthStarts = {1, 1, 3, 6, 13, 31, 78};
    std::array<uint8_t, kDistanceCodes> lengths{};
    unsigned length = 2;
    std::size_t next = 0;
    for (unsigned symbol = 0; symbol < kDistanceCodes; ++symbol) {
        while (next < lengthStarts.size() && lengthStarts[next] == symbol) {
            ++length;
            ++next;
        }
        lengths[symbol] = static_cast<uint8_t>(length);
    }
    HuffmanTable table(8);
    table.build(lengths.data(), kDistanceCodes);
    return table;
}

class Lh3Decoder final : public WindowedDecoder {
public:
    Lh3Decoder(ByteSource &in, uint64_t originalSize)
        : WindowedDecoder(in, originalSize, std::size_t{1} << kWindowBits, kMaxMatch),
          m_symbols(12), m_fixedDistances(makeFixedDistanceTable()), m_sentDistances(8) {}

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
            unsigned symbol = m_symbols.decode(m_in);
            if (symbol == kEscape)
                symbol += m_in.take(8);
            if (symbol < kFirstMatchSymbol) {
                out[pos++] = static_cast<OutByte>(symbol);
                continue;
            }
            m_in.refill();
            const unsigned upper = m_distances->decode(m_in);
            const std::size_t distance = ((upper << 6) | m_in.take(6)) + 1;
            pos = copyMatch(out, pos, distance, matchLength(symbol), end);
        }
        m_pos = pos;
    }

    void readBlockHeader() {
        m_blockRemaining = m_in.bits(16);
        readSymbolLengths();
        if (m_in.bits(1)) {
            readDistanceLengths();
            m_distances = &m_sentDistances;
        } else {
            m_distances = &m_fixedDistances;
        }
    }

    // Each symbol: a 0 bit when unused, else a 1 bit and its length - 1 in 4
    // bits. Three leading lengths of 1 instead announce a single symbol.
    void readSymbolLengths() {
        std::array<uint8_t, kSymbols> lengths{};
        for (unsigned i = 0; i < kSymbols; ++i) {
            lengths[i] = m_in.bits(1) ? static_cast<uint8_t>(m_in.bits(4) + 1) : 0;
            if (i == 2 && lengths[0] == 1 && lengths[1] == 1 && lengths[2] == 1) {
                const unsigned symbol = m_in.bits(9);
                if (symbol >= kSymbols)
                    throw DecodeError("invalid Huffman table");
                m_symbols.buildSingle(symbol);
                return;
            }
        }
        m_symbols.build(lengths.data(), kSymbols);
    }

    // Each distance code's length in 4 bits, with the same single-code escape.
    void readDistanceLengths() {
        std::array<uint8_t, kDistanceCodes> lengths{};
        for (unsigned i = 0; i < kDistanceCodes; ++i) {
            lengths[i] = static_cast<uint8_t>(m_in.bits(4));
            if (i == 2 && lengths[0] == 1 && lengths[1] == 1 && lengths[2] == 1) {
                m_sentDistances.buildSingle(m_in.bits(kWindowBits - 6));
                return;
            }
        }
        m_sentDistances.build(lengths.data(), kDistanceCodes);
    }

    HuffmanTable m_symbols;
    HuffmanTable m_fixedDistances;
    HuffmanTable m_sentDistances;
    const HuffmanTable *m_distances = &m_fixedDistances;
    unsigned m_blockRemaining = 0;
};

} // namespace

std::unique_ptr<Decoder> makeLh3Decoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<Lh3Decoder>(in, originalSize);
}

} // namespace lha
