// SPDX-License-Identifier: MIT
#pragma once
// Canonical Huffman decoding table, as the LHA formats assign codes: shorter
// codes first, and within one length in symbol order, read MSB first. One
// lookup on the first kRootBits bits resolves most codes; longer codes take
// one more lookup in a small second-level table.
#include "bit_reader.h"

#include <array>
#include <cstdint>
#include <vector>

namespace lha {

class HuffmanTable {
public:
    static constexpr unsigned kMaxLength = 16;

    explicit HuffmanTable(unsigned rootBits = 10) : m_rootBits(rootBits) {}

    using FirstCodes = std::array<uint32_t, kMaxLength + 2>;

    // Builds the table from code lengths (0 = symbol unused). Throws
    // DecodeError for a length over kMaxLength or an over-subscribed set;
    // an incomplete set is accepted, and its unused codes fail when read.
    void build(const uint8_t *lengths, unsigned count);
    // As build(), from lengths checked by checkedFirstCodes (which gave
    // `first`), for the codes longer than `known` bits only: the shorter
    // ones are looked up elsewhere, and this table refuses them.
    void buildLongCodes(const uint8_t *lengths, unsigned count, const FirstCodes &first,
                        unsigned known);
    // A table whose every code is `symbol`, taking no bits.
    void buildSingle(unsigned symbol);
    // A table that finds no code at all.
    void buildRefusingAll();

    // The first canonical code of each length (indexed by length), for
    // tables derived from the same lengths. Throws as build() does.
    static FirstCodes checkedFirstCodes(const uint8_t *lengths, unsigned count);

    struct Leaf {
        unsigned symbol;
        unsigned length;
    };

    // Decodes one symbol; needs at least kMaxLength bits buffered. Hot loops
    // name the table's root size as RootBits, which turns the shifts into
    // constants.
    template <unsigned RootBits = 0> unsigned decode(BitReader &in) const {
        const Leaf leaf = lookUp<RootBits>(in.peek(kMaxLength));
        in.skip(leaf.length);
        return leaf.symbol;
    }

    // The code that the kMaxLength bits `v` start with.
    template <unsigned RootBits = 0> Leaf lookUp(uint32_t v) const {
        const unsigned rootBits = RootBits ? RootBits : m_rootBits;
        uint32_t e = m_entries[v >> (kMaxLength - rootBits)];
        if (e & kSubtable) [[unlikely]] {
            const unsigned subBits = (e >> 16) & 0xFF;
            const uint32_t index = (v >> (kMaxLength - rootBits - subBits)) & ((1u << subBits) - 1);
            e = m_entries[(e & 0xFFFF) + index];
        }
        if (!(e & kLeaf)) [[unlikely]]
            throwInvalidCode();
        return {e & 0xFFFF, (e >> 16) & 0xFF};
    }

private:
    // Out of line and cold, so that hot loops keep their state in registers
    // around it.
    [[noreturn, gnu::cold, gnu::noinline]] static void throwInvalidCode();

    static constexpr uint32_t kLeaf = 1u << 24;
    static constexpr uint32_t kSubtable = 1u << 25;

    void assignCodes(const uint8_t *lengths, unsigned count, FirstCodes next);
    void layOutSubtables();
    void fillLeaves(const uint8_t *lengths, unsigned count, unsigned known);

    unsigned m_rootBits;
    std::vector<uint32_t> m_entries;
    // Scratch for build(), kept to save allocations.
    std::vector<uint32_t> m_codes;
    unsigned m_firstLong = 0; // the range of root entries of long codes
    unsigned m_lastLong = 0;
};

} // namespace lha
