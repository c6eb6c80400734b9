// SPDX-License-Identifier: MIT
#pragma once
// What the PMarc decoders (-pm1-, -pm2-) share: literals are sent as a
// position in a list of byte values kept in order of recency.
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace lha {

// A run of values: the first, and how many bits pick one of them.
struct Range {
    uint16_t base;
    uint8_t bits;
};

// Byte values by recency, most recent first.
class MoveToFront {
public:
    MoveToFront() {
        // The order the list starts in: printable ASCII from the blank on,
        // then the control codes, then the upper half in the same pattern.
        std::size_t i = 0;
        for (auto [from, to] :
             {std::pair{0x20, 0x80}, {0x00, 0x20}, {0xA0, 0xE0}, {0x80, 0xA0}, {0xE0, 0x100}})
            for (int b = from; b < to; ++b)
                m_order[i++] = static_cast<uint8_t>(b);
    }

    uint8_t take(unsigned position) {
        const uint8_t b = m_order[position];
        moveToFront(b, position);
        return b;
    }

    void touch(uint8_t b) {
        if (m_order[0] == b)
            return;
        const auto *at = static_cast<const uint8_t *>(std::memchr(m_order.data(), b, 256));
        moveToFront(b, static_cast<std::size_t>(at - m_order.data()));
    }

private:
    void moveToFront(uint8_t b, std::size_t position) {
        std::memmove(m_order.data() + 1, m_order.data(), position);
        m_order[0] = b;
    }

    std::array<uint8_t, 256> m_order{};
};

} // namespace lha
