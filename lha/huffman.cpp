#include "huffman.h"

#include <algorithm>
#include <array>

namespace lha {

void HuffmanTable::build(const uint8_t *lengths, unsigned count) {
    std::array<unsigned, kMaxLength + 1> perLength{};
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s] > kMaxLength)
            throw DecodeError("Huffman code too long");
        ++perLength[lengths[s]];
    }
    perLength[0] = 0;

    // Kraft sum: more codes of a length than the shorter ones leave room for
    // would make two symbols share a code.
    int64_t room = 1;
    std::array<uint32_t, kMaxLength + 2> nextCode{};
    for (unsigned len = 1; len <= kMaxLength; ++len) {
        room = room * 2 - perLength[len];
        if (room < 0)
            throw DecodeError("over-subscribed Huffman table");
        nextCode[len + 1] = (nextCode[len] + perLength[len]) << 1;
    }

    const unsigned rootSize = 1u << m_rootBits;
    m_entries.assign(rootSize, 0);

    // Until the subtables are laid out, a root entry of codes longer than the
    // root holds their longest length. Canonical codes put every long code
    // after every short one, so those prefixes form one range.
    m_codes.resize(count);
    unsigned firstLong = rootSize;
    unsigned lastLong = 0;
    for (unsigned s = 0; s < count; ++s) {
        const unsigned len = lengths[s];
        if (len == 0)
            continue;
        m_codes[s] = nextCode[len]++;
        if (len > m_rootBits) {
            const unsigned prefix = m_codes[s] >> (len - m_rootBits);
            m_entries[prefix] = std::max<uint32_t>(m_entries[prefix], len);
            firstLong = std::min(firstLong, prefix);
            lastLong = std::max(lastLong, prefix);
        }
    }
    for (unsigned prefix = firstLong; prefix <= lastLong; ++prefix) {
        if (m_entries[prefix] == 0)
            continue;
        const unsigned subBits = m_entries[prefix] - m_rootBits;
        if (m_entries.size() > 0xFFFF)
            throw DecodeError("Huffman table too large");
        m_entries[prefix] = kSubtable | (subBits << 16) | static_cast<uint32_t>(m_entries.size());
        m_entries.resize(m_entries.size() + (std::size_t{1} << subBits), 0);
    }
    for (unsigned s = 0; s < count; ++s) {
        const unsigned len = lengths[s];
        if (len == 0)
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

void HuffmanTable::buildSingle(unsigned symbol) {
    m_entries.assign(std::size_t{1} << m_rootBits, kLeaf | symbol);
}

} // namespace lha
