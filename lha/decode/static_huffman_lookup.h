// SPDX-License-Identifier: MIT
#pragma once
// Lookup tables for the -lh4- to -lh7- fast loop, derived from a block's
// Huffman tables once they are built (and checked). One lookup on the next
// bits yields one or two literals, or a match length, with the bits they
// take; another yields a match distance with its extra bits. Codes too long
// for a table's root are left to the HuffmanTable itself.
#include "decode_match_symbols.h"
#include "huffman.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lha {

class ItemLookup {
public:
    static constexpr unsigned kBits = 12;

    enum Kind : unsigned { kLongCode = 0, kOneLiteral = 1, kTwoLiterals = 2, kMatch = 3 };

    // An entry: bits taken (bits 0-7), kind (8-9), the bits of its first
    // literal alone (10-15), then the literal bytes, first one lowest, or
    // the match length (16-31).
    static unsigned bitsOf(uint32_t e) { return e & 0xFF; }
    static unsigned kindOf(uint32_t e) { return (e >> 8) & 3; }
    static unsigned firstBitsOf(uint32_t e) { return (e >> 10) & 0x3F; }
    static unsigned valueOf(uint32_t e) { return e >> 16; }

    // From the code lengths of the literal/length symbols and their first
    // codes, as HuffmanTable::checkedFirstCodes gave them.
    void build(const uint8_t *lengths, unsigned count, HuffmanTable::FirstCodes nextCode) {
        // Canonical codes of up to kBits bits fill the entries from the
        // first one on without a gap; the rest lead to longer codes (or to
        // none, which the symbol table then refuses).
        const uint32_t shortCodesEnd = nextCode[kBits + 1] >> 1;
        std::fill(m_entries.begin() + shortCodesEnd, m_entries.end(), kLongCode << 8);
        // The short literals in code order: by length, then by symbol.
        std::array<unsigned, kBits + 2> literalsBefore{};
        for (unsigned s = 0; s < kFirstMatchSymbol && s < count; ++s)
            if (lengths[s] != 0 && lengths[s] <= kBits)
                ++literalsBefore[lengths[s] + 1];
        for (unsigned len = 1; len <= kBits + 1; ++len)
            literalsBefore[len] += literalsBefore[len - 1];
        const unsigned literalCount = literalsBefore[kBits + 1];
        std::array<uint16_t, kFirstMatchSymbol> literals;
        std::array<uint16_t, kFirstMatchSymbol> literalCodes;
        for (unsigned s = 0; s < count; ++s) {
            const unsigned len = lengths[s];
            if (len == 0)
                continue;
            const uint32_t code = nextCode[len]++;
            if (len > kBits)
                continue;
            if (s < kFirstMatchSymbol) {
                const unsigned at = literalsBefore[len]++;
                literals[at] = static_cast<uint16_t>(s);
                literalCodes[at] = static_cast<uint16_t>(code);
                fill(code, len, entry(len, kOneLiteral, s, len));
            } else {
                fill(code, len, entry(len, kMatch, matchLength(s)));
            }
        }
        // A second literal whose code fits in the bits the first leaves.
        for (unsigned i = 0; i < literalCount; ++i) {
            const unsigned first = lengths[literals[i]];
            for (unsigned j = 0; j < literalCount && first + lengths[literals[j]] <= kBits; ++j) {
                const unsigned second = lengths[literals[j]];
                fill((uint32_t{literalCodes[i]} << second) | literalCodes[j], first + second,
                     entry(first + second, kTwoLiterals, literals[i] | (unsigned{literals[j]} << 8),
                           first));
            }
        }
    }

    // A code of one literal or length that takes no bits.
    void buildSingle(unsigned symbol) {
        m_entries.fill(symbol < kFirstMatchSymbol ? entry(0, kTwoLiterals, symbol | (symbol << 8))
                                                  : entry(0, kMatch, matchLength(symbol)));
    }

    uint32_t operator[](uint32_t index) const { return m_entries[index]; }

private:
    // Every entry whose index starts with the `length`-bit code.
    void fill(uint32_t code, unsigned length, uint32_t e) {
        const unsigned spare = kBits - length;
        std::fill_n(m_entries.begin() + (code << spare), std::size_t{1} << spare, e);
    }

    static uint32_t entry(unsigned bits, Kind kind, unsigned value, unsigned firstBits = 0) {
        return bits | (static_cast<uint32_t>(kind) << 8) | (firstBits << 10) | (value << 16);
    }

    std::array<uint32_t, 1u << kBits> m_entries{};
};

class DistanceLookup {
public:
    static constexpr unsigned kBits = 10;

    // An entry: bits taken by code and extra bits together (0-7; 0 for a
    // code longer than the root), extra bits (8-15), base distance (16-31).
    static unsigned bitsOf(uint32_t e) { return e & 0xFF; }
    static unsigned extraOf(uint32_t e) { return (e >> 8) & 0xFF; }
    static unsigned baseOf(uint32_t e) { return e >> 16; }

    // From the distance code's lengths and first codes, as
    // HuffmanTable::checkedFirstCodes gave them; code c stands for distances
    // from base(c) on, with extra(c) more bits.
    template <class Base, class Extra>
    void build(const uint8_t *lengths, unsigned count, HuffmanTable::FirstCodes nextCode, Base base,
               Extra extra) {
        // As in ItemLookup: the short codes come first, without a gap.
        const uint32_t shortCodesEnd = nextCode[kBits + 1] >> 1;
        std::fill(m_entries.begin() + shortCodesEnd, m_entries.end(), 0);
        for (unsigned c = 0; c < count; ++c) {
            const unsigned len = lengths[c];
            if (len == 0)
                continue;
            const uint32_t code = nextCode[len]++;
            if (len > kBits)
                continue;
            const unsigned spare = kBits - len;
            std::fill_n(m_entries.begin() + (code << spare), std::size_t{1} << spare,
                        entry(len, extra(c), base(c)));
        }
    }

    // A code of one distance code that takes no bits.
    template <class Base, class Extra> void buildSingle(unsigned c, Base base, Extra extra) {
        m_entries.fill(entry(0, extra(c), base(c)));
    }

    uint32_t operator[](uint32_t index) const { return m_entries[index]; }

private:
    static uint32_t entry(unsigned length, unsigned extra, unsigned base) {
        return (length + extra) | (extra << 8) | (base << 16);
    }

    std::array<uint32_t, 1u << kBits> m_entries{};
};

} // namespace lha
