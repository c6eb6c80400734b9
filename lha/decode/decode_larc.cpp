// SPDX-License-Identifier: MIT
// LArc's methods: -lzs- (2 KiB window) and -lz5- (4 KiB window), plain LZSS.
// Matches name an absolute position in LArc's ring buffer, whose write
// position starts `maxMatch` bytes before the ring's end; the ring starts out
// with known contents that matches may copy from.
#include "decode_families.h"
#include "decode_window.h"

#include <array>

namespace lha {
namespace {

// Fills the whole ring with its contents at the start.
using RingFill = void (*)(uint8_t *ring, std::size_t size);

class LarcDecoder : public WindowedDecoder {
protected:
    LarcDecoder(ByteSource &in, uint64_t originalSize, unsigned windowBits, unsigned maxMatch,
                RingFill fillRing)
        : WindowedDecoder(in, originalSize, std::size_t{1} << windowBits, maxMatch),
          m_ringMask((1u << windowBits) - 1), m_ringPos(m_window - maxMatch) {
        // Oldest first, the history is the ring from its write position on,
        // then the ring's start.
        std::vector<uint8_t> ring(m_window);
        fillRing(ring.data(), ring.size());
        std::vector<uint8_t> history(ring.begin() + m_ringPos, ring.end());
        history.insert(history.end(), ring.begin(), ring.begin() + m_ringPos);
        prefill(history.data());
    }

    std::size_t copyFromRing(OutByte *out, std::size_t pos, unsigned ringPos, unsigned length,
                             std::size_t end) {
        const std::size_t distance = ((m_ringPos - ringPos - 1) & m_ringMask) + 1;
        const std::size_t next = copyMatch(out, pos, distance, length, end);
        m_ringPos += static_cast<unsigned>(next - pos);
        return next;
    }

    const unsigned m_ringMask;
    unsigned m_ringPos; // LArc's ring position of the next byte (modulo its size)
};

// -lzs-: a 1 bit before each item: 1 for a literal byte, 0 for an 11-bit ring
// position and a 4-bit length (2..17). The ring starts out all blank.
void fillBlanks(uint8_t *ring, std::size_t size) {
    std::fill_n(ring, size, ' ');
}

class LzsDecoder final : public LarcDecoder {
public:
    LzsDecoder(ByteSource &in, uint64_t originalSize)
        : LarcDecoder(in, originalSize, 11, 17, fillBlanks) {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            m_in.refill();
            if (m_in.take(1)) {
                out[pos++] = static_cast<OutByte>(m_in.take(8));
                ++m_ringPos;
                continue;
            }
            const unsigned ringPos = m_in.take(11);
            pos = copyFromRing(out, pos, ringPos, m_in.take(4) + 2, end);
        }
        m_pos = pos;
    }
};

// -lz5-: a flag byte for each eight items, least significant bit first: 1
// for a literal byte, 0 for a two-byte match (12-bit ring position, 4-bit
// length 3..18). The ring starts with runs and sequences of every byte value,
// zeros and blanks, which short files use as a built-in dictionary; its last
// 18 bytes start as zeros.
void fillLz5Dictionary(uint8_t *ring, std::size_t size) {
    uint8_t *p = ring;
    for (unsigned value = 0; value < 256; ++value)
        p = std::fill_n(p, 13, static_cast<uint8_t>(value));
    for (unsigned value = 0; value < 256; ++value)
        *p++ = static_cast<uint8_t>(value);
    for (unsigned value = 256; value-- > 0;)
        *p++ = static_cast<uint8_t>(value);
    p = std::fill_n(p, 128, 0);
    p = std::fill_n(p, 128 - 18, ' ');
    std::fill(p, ring + size, 0);
}

class Lz5Decoder final : public LarcDecoder {
public:
    Lz5Decoder(ByteSource &in, uint64_t originalSize)
        : LarcDecoder(in, originalSize, 12, 18, fillLz5Dictionary) {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            m_in.refill();
            if (m_flagsLeft == 0) {
                m_flags = m_in.take(8);
                m_flagsLeft = 8;
            }
            const bool literal = m_flags & 1;
            m_flags >>= 1;
            --m_flagsLeft;
            if (literal) {
                out[pos++] = static_cast<OutByte>(m_in.take(8));
                ++m_ringPos;
                continue;
            }
            const unsigned low = m_in.take(8);
            const unsigned high = m_in.take(8);
            pos = copyFromRing(out, pos, low | ((high & 0xF0) << 4), (high & 0x0F) + 3, end);
        }
        m_pos = pos;
    }

    unsigned m_flags = 0;
    unsigned m_flagsLeft = 0;
};

} // namespace

std::unique_ptr<Decoder> makeLzsDecoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<LzsDecoder>(in, originalSize);
}

std::unique_ptr<Decoder> makeLz5Decoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<Lz5Decoder>(in, originalSize);
}

} // namespace lha
