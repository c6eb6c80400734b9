// SPDX-License-Identifier: MIT
#include "huffman.h"

#include <algorithm>

namespace lha {

void HuffmanTable::build(const uint8_t *lengths, unsigned count) {
    buildLongCodes(lengths, count, checkedFirstCodes(lengths, count), 0);
}

void HuffmanTable::buildLongCodes(const uint8_t *lengths, unsigned count, const FirstCodes &first,
                                  unsigned known) {
    m_entries.assign(std::size_t{1} << m_rootBits, 0);
    assignCodes(lengths, count, first);
    layOutSubtables();
    fillLeaves(lengths, count, known);
}

void HuffmanTable::throwInvalidCode() {
    throw DecodeError("invalid Huffman code");
}

void HuffmanTable::buildSingle(unsigned symbol) {
    m_entries.assign(std::size_t{1} << m_rootBits, kLeaf | symbol);
}

void HuffmanTable::buildRefusingAll() {
    m_entries.assign(std::size_t{1} << m_rootBits, 0);
}

// The first code of each length. Throws for a length over kMaxLength, or
// for more codes of a length than the shorter ones leave room for (the
// Kraft sum), which would make two symbols share a code.
HuffmanTable::FirstCodes HuffmanTable::checkedFirstCodes(const uint8_t *lengths, unsigned count) {
    std::array<unsigned, kMaxLength + 1> perLength{};
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s] > kMaxLength)
            throw DecodeError("Huffman code too long");
        ++perLength[lengths[s]];
    }
    int64_t room = 1;
    FirstCodes first{};
    for (unsigned len = 1; len <= kMaxLength; ++len) {
        room = room * 2 - perLength[len];
        if (room < 0)
            throw DecodeError("over-subscribed Huffman table");
        first[len + 1] = (first[len] + perLength[len]) << 1;
    }
    return first;
}

// Gives each symbol its canonical code. Until the subtables are laid out, a
// root entry of codes longer than the root holds their longest length.
void HuffmanTable::assignCodes(const uint8_t *lengths, unsigned count, FirstCodes next) {
    m_codes.resize(count);
    m_firstLong = static_cast<unsigned>(m_entries.size());
    m_lastLong = 0;
    for (unsigned s = 0; s < count; ++s) {
        const unsigned len = lengths[s];
        if (len == 0)
            continue;
        m_codes[s] = next[len]++;
        if (len > m_rootBits) {
            const unsigned prefix = m_codes[s] >> (len - m_rootBits);
            m_entries[prefix] = std::max<uint32_t>(m_entries[prefix], len);
            m_firstLong = std::min(m_firstLong, prefix);
            m_lastLong = std::max(m_lastLong, prefix);
        }
    }
}

// One subtable after the root for each prefix of long codes, deep enough for
// the longest of them. Canonical codes put every long code after every short
// one, so those prefixes form one range.
void HuffmanTable::layOutSubtables() {
    for (unsigned prefix = m_firstLong; prefix <= m_lastLong; ++prefix) {
        if (m_entries[prefix] == 0)
            continue;
        const unsigned subBits = m_entries[prefix] - m_rootBits;
        if (m_entries.size() > 0xFFFF)
            throw DecodeError("Huffman table too large");
        m_entries[prefix] = kSubtable | (subBits << 16) | static_cast<uint32_t>(m_entries.size());
        m_entries.resize(m_entries.size() + (std::size_t{1} << subBits), 0);
    }
}

// Every entry whose index starts with a symbol's code leads to it, for the
// codes longer than `known` bits.
void HuffmanTable::fillLeaves(const uint8_t *lengths, unsigned count, unsigned known) {
    for (unsigned s = 0; s < count; ++s) {
        const unsigned len = lengths[s];
        if (len <= known)
            continue;
        const uint32_t leaf = kLeaf | (len << 16) | s;
        std::size_t first;
        unsigned spare;
        if (len <= m_rootBits) {
            spare = m_rootBits - len;
            first = std::size_t{m_codes[s]} << spare;
        } else {
            const uint32_t sub = m_entries[m_codes[s] >> (len - m_rootBits)];
            const unsigned subBits = (sub >> 16) & 0xFF;
            const unsigned tail = len - m_rootBits;
            spare = subBits - tail;
            first = (sub & 0xFFFF) + ((std::size_t{m_codes[s]} & ((1u << tail) - 1)) << spare);
        }
        std::fill_n(m_entries.begin() + static_cast<std::ptrdiff_t>(first), std::size_t{1} << spare,
                    leaf);
    }
}

} // namespace lha
