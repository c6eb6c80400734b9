// -lh4- to -lh7- (and -lh8-): LZSS with static Huffman codes sent per block.
// A block starts with its symbol count and three code-length tables: a small
// code for the literal/length lengths, the literal/length code itself, and the
// code for the distance's bit count.
#include "decode_families.h"
#include "decode_match_symbols.h"
#include "decode_window.h"
#include "huffman.h"

#include <array>

namespace lha {
namespace {

constexpr unsigned kMaxMatch = 256;
constexpr unsigned kSymbols = kFirstMatchSymbol + kMaxMatch - kMinMatch + 1;
constexpr unsigned kLengthCodes = 19; // the code that sends the symbol code's lengths
constexpr unsigned kSymbolRootBits = 12;
constexpr unsigned kDistanceRootBits = 8;

class StaticHuffmanDecoder final : public WindowedDecoder {
public:
    StaticHuffmanDecoder(ByteSource &in, uint64_t original_size, unsigned windowBits)
        : WindowedDecoder(in, original_size, std::size_t{1} << windowBits, kMaxMatch),
          m_distanceCodes(windowBits <= 13 ? 14 : windowBits + 1),
          m_distanceCountBits(windowBits <= 13 ? 4 : 5), m_symbols(kSymbolRootBits),
          m_distances(kDistanceRootBits), m_lengthTable(8) {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        while (m_pos < stop) {
            if (m_blockRemaining == 0)
                readBlockHeader();
            decodeItems(stop, end);
        }
    }

    // Decodes the current block's items until the block or the batch ends.
    void decodeItems(std::size_t stop, std::size_t end) {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        unsigned blockRemaining = m_blockRemaining;
        LocalBitReader in(m_in);
        while (pos < stop && blockRemaining != 0) {
            --blockRemaining;
            // Symbol (<= 16 bits), distance code (<= 16) and its extra bits
            // (<= 15) fit in one refill.
            in.refill();
            const unsigned symbol = m_symbols.decode<kSymbolRootBits>(in);
            if (symbol < kFirstMatchSymbol) {
                out[pos++] = static_cast<OutByte>(symbol);
                continue;
            }
            const unsigned code = m_distances.decode<kDistanceRootBits>(in);
            const std::size_t distance =
                code <= 1 ? code + 1 : (1u << (code - 1)) + in.take(code - 1) + 1;
            pos = copyMatch(out, pos, distance, matchLength(symbol), end);
        }
        m_blockRemaining = blockRemaining;
        m_pos = pos;
    }

    void readBlockHeader() {
        m_blockRemaining = m_in.bits(16);
        readCodeLengths(m_lengthTable, kLengthCodes, 5, 3);
        readSymbolLengths();
        readCodeLengths(m_distances, m_distanceCodes, m_distanceCountBits, -1);
    }

    // A table of small code lengths: 3 bits each, 7 extended by a run of 1
    // bits. After the entry at `gapAfter` a 2-bit count of zero lengths
    // follows.
    void readCodeLengths(HuffmanTable &table, unsigned size, unsigned countBits, int gapAfter) {
        const unsigned count = m_in.bits(countBits);
        if (count == 0) {
            const unsigned symbol = m_in.bits(countBits);
            if (symbol >= size)
                throw DecodeError("invalid Huffman table");
            table.buildSingle(symbol);
            return;
        }
        if (count > size)
            throw DecodeError("invalid Huffman table");
        std::array<uint8_t, 32> lengths{};
        for (unsigned i = 0; i < count;) {
            unsigned length = m_in.bits(3);
            if (length == 7) {
                while (m_in.bits(1)) {
                    if (++length > HuffmanTable::kMaxLength)
                        throw DecodeError("invalid Huffman table");
                }
            }
            lengths[i++] = static_cast<uint8_t>(length);
            if (static_cast<int>(i) == gapAfter) {
                i += m_in.bits(2);
                if (i > count)
                    throw DecodeError("invalid Huffman table");
            }
        }
        table.build(lengths.data(), size);
    }

    // The symbol code's lengths, sent with the small length code: values 0-2
    // are runs of unused symbols, n >= 3 is length n - 2.
    void readSymbolLengths() {
        const unsigned count = m_in.bits(9);
        if (count == 0) {
            const unsigned symbol = m_in.bits(9);
            if (symbol >= kSymbols)
                throw DecodeError("invalid Huffman table");
            m_symbols.buildSingle(symbol);
            return;
        }
        if (count > kSymbols)
            throw DecodeError("invalid Huffman table");
        std::array<uint8_t, kSymbols> lengths{};
        for (unsigned i = 0; i < count;) {
            m_in.refill();
            const unsigned c = m_lengthTable.decode(m_in);
            if (c <= 2) {
                const unsigned run = c == 0 ? 1 : c == 1 ? m_in.bits(4) + 3 : m_in.bits(9) + 20;
                if (run > count - i)
                    throw DecodeError("invalid Huffman table");
                i += run;
            } else {
                lengths[i++] = static_cast<uint8_t>(c - 2);
            }
        }
        m_symbols.build(lengths.data(), kSymbols);
    }

    const unsigned m_distanceCodes;
    const unsigned m_distanceCountBits;
    HuffmanTable m_symbols;
    HuffmanTable m_distances;
    HuffmanTable m_lengthTable;
    unsigned m_blockRemaining = 0;
};

} // namespace

std::unique_ptr<Decoder> makeStaticHuffmanDecoder(ByteSource &in, uint64_t original_size,
                                                  unsigned windowBits) {
    return std::make_unique<StaticHuffmanDecoder>(in, original_size, windowBits);
}

} // namespace lha
