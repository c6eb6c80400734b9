// SPDX-License-Identifier: MIT
// -pm2- (PMarc 2, CP/M and MSX; its stored -pm0- members go through the
// stored decoder).
//
// -pm2-: LZSS over an 8 KiB window that starts out full of blanks. Each item
// is a symbol from a Huffman code sent in the stream: symbols 0-7 are
// literals, given as a position in a move-to-front list of byte values (every
// byte output, copied or not, moves to the front); 8-27 are matches of 2 to
// 256 bytes; 28 repeats the last byte 256 times. A match's distance is six
// bits for 2-byte matches, else a code from a second Huffman code (whose size
// grows with the output until the whole window is reachable) and its extra
// bits. The codes are sent at the start and may be replaced every 4 KiB of
// output.
#include "decode_families.h"
#include "decode_pm.h"
#include "decode_window.h"
#include "huffman.h"

#include <array>

namespace lha {
namespace {

constexpr std::size_t kPm2Window = 8192;
constexpr unsigned kPm2MaxMatch = 256;
constexpr unsigned kPm2Symbols = 29;
constexpr unsigned kPm2RunSymbol = 28;
constexpr unsigned kPm2MaxDistanceCodes = 8;

// Literal symbols: the range of move-to-front positions each one covers.
constexpr std::array<Range, 8> kLiteralRanges = {
    {{0, 3}, {8, 3}, {16, 4}, {32, 5}, {64, 5}, {96, 5}, {128, 6}, {192, 6}}};
// Match symbols 23-27: longer lengths, base plus extra bits.
constexpr std::array<Range, 5> kLongMatchRanges = {{{17, 3}, {25, 3}, {33, 5}, {65, 6}, {129, 7}}};

class Pm2Decoder final : public WindowedDecoder {
public:
    Pm2Decoder(ByteSource &in, uint64_t originalSize)
        : WindowedDecoder(in, originalSize, kPm2Window, kPm2MaxMatch), m_symbols(10),
          m_distances(7) {
        // Until a stream sends it, the distance code has no codes at all.
        m_distances.build(nullptr, 0);
        std::vector<uint8_t> blanks(m_window, ' ');
        prefill(blanks.data());
    }

private:
    void decode(std::size_t stop, std::size_t end) override {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            if (m_untilTables <= 0)
                readTables();
            // Symbol (<= 16 bits), length bits (<= 7), distance code (<= 7)
            // and its extra bits (<= 12) fit in one refill.
            m_in.refill();
            const unsigned symbol = m_symbols.decode(m_in);
            if (symbol < 8) {
                const Range r = kLiteralRanges[symbol];
                out[pos++] = static_cast<OutByte>(m_recent.take(r.base + m_in.take(r.bits)));
                --m_untilTables;
                continue;
            }
            std::size_t length;
            std::size_t distance = 1;
            if (symbol == kPm2RunSymbol) {
                length = 256;
            } else if (symbol < 23) {
                length = symbol - 6;
            } else if (symbol < kPm2RunSymbol) {
                const Range r = kLongMatchRanges[symbol - 23];
                length = r.base + m_in.take(r.bits);
            } else {
                throw DecodeError("invalid code");
            }
            if (length == 2) {
                distance = m_in.take(6) + 1;
            } else if (symbol != kPm2RunSymbol) {
                const unsigned code = m_distances.decode(m_in);
                distance =
                    code == 0 ? m_in.take(6) + 1 : (1u << (code + 5)) + m_in.take(code + 5) + 1;
            }
            m_untilTables -= static_cast<int64_t>(length);
            const std::size_t from = pos;
            pos = copyMatch(out, pos, distance, length, end);
            for (std::size_t i = from; i < pos; ++i)
                m_recent.touch(static_cast<uint8_t>(out[i]));
        }
        m_pos = pos;
    }

    // The codes come at fixed points of the output: at the start, then the
    // distance code grows at 1, 2 and 4 KiB, when farther distances become
    // possible; from 4 KiB on a flag every 4 KiB says whether new codes
    // follow.
    void readTables() {
        switch (m_stage++) {
        case 0:
            m_in.bits(1); // always set by PMarc; nothing depends on it
            readSymbolCode();
            readDistanceCode(5);
            m_untilTables += 1024;
            return;
        case 1:
            readDistanceCode(6);
            m_untilTables += 1024;
            return;
        case 2:
            readDistanceCode(7);
            m_untilTables += 2048;
            return;
        case 3:
            if (m_in.bits(1))
                readSymbolCode();
            readDistanceCode(kPm2MaxDistanceCodes);
            break;
        default:
            m_stage = 4;
            if (m_in.bits(1)) {
                readSymbolCode();
                readDistanceCode(kPm2MaxDistanceCodes);
            }
            break;
        }
        m_untilTables += 4096;
    }

    // The symbol code: a symbol count, then either a single symbol or each
    // symbol's length as a small offset from a minimum length.
    void readSymbolCode() {
        const unsigned count = m_in.bits(5);
        const unsigned minLength = m_in.bits(3);
        // Symbols 9 and up take a distance code, except for 28, the run; a
        // code of symbol 28 alone is sent as a count of 29 with no lengths.
        m_needDistances = count >= 10 && !(count == kPm2Symbols && minLength == 0);
        if (minLength == 0) {
            if (count == 0)
                throw DecodeError("invalid Huffman table");
            m_symbols.buildSingle(count - 1);
            return;
        }
        const unsigned lengthBits = m_in.bits(3);
        std::array<uint8_t, 32> lengths{};
        for (unsigned i = 0; i < count; ++i) {
            const unsigned v = m_in.bits(lengthBits);
            const unsigned length = v == 0 ? 0 : minLength + v - 1;
            if (length > HuffmanTable::kMaxLength)
                throw DecodeError("invalid Huffman table");
            lengths[i] = static_cast<uint8_t>(length);
        }
        m_symbols.build(lengths.data(), count);
    }

    // The distance code: `count` lengths of three bits; one used code takes
    // no bits at all.
    void readDistanceCode(unsigned count) {
        if (!m_needDistances)
            return;
        std::array<uint8_t, kPm2MaxDistanceCodes> lengths{};
        unsigned used = 0;
        unsigned last = 0;
        for (unsigned i = 0; i < count; ++i) {
            lengths[i] = static_cast<uint8_t>(m_in.bits(3));
            if (lengths[i] != 0) {
                ++used;
                last = i;
            }
        }
        if (used == 1)
            m_distances.buildSingle(last);
        else
            m_distances.build(lengths.data(), count);
    }

    HuffmanTable m_symbols;
    HuffmanTable m_distances;
    MoveToFront m_recent;
    unsigned m_stage = 0;
    int64_t m_untilTables = 0;
    bool m_needDistances = false;
};

} // namespace

std::unique_ptr<Decoder> makePm2Decoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<Pm2Decoder>(in, originalSize);
}

} // namespace lha
