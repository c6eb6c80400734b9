// SPDX-License-Identifier: MIT
#pragma once
// MSB-first bit reader over a ByteSource, refilled 64 bits at a time from a
// large input chunk. Past the end of the packed data it feeds zero bits, as
// the decoders look a few bits ahead of what they consume; overrun() tells
// whether any of those padding bits were actually consumed.
#include "decoder.h"
#include "uninitialised.h"

#include <cstring>
#include <vector>

namespace lha {

// Where a BitReader's bytes come from: the member's packed bytes, read a
// large chunk at a time, then zero padding.
class BitSource {
public:
    explicit BitSource(ByteSource &in, std::size_t chunk = 64 * 1024) : m_in(in), m_chunk(chunk) {}
    BitSource(const BitSource &) = delete;
    BitSource &operator=(const BitSource &) = delete;

private:
    friend class BitReader;

    // After this many bytes of padding every buffered bit is padding: the
    // data ended long before, and decoding zeros on could take as long as
    // the member's claimed size.
    static constexpr unsigned kMaxPadding = 16;

    ByteSource &m_in;
    // Only ever read up to what the source filled in.
    std::vector<uint8_t, UninitialisedAllocator<uint8_t>> m_chunk;
    unsigned m_padding = 0;
    bool m_eof = false;
};

// The reader's state is a small value: a hot loop copies it into locals
// (LocalBitReader), which the compiler keeps in registers, where a member of
// the decoder would go through memory around every call of a rare path.
class BitReader {
public:
    explicit BitReader(BitSource &source) : m_source(&source) {}

    // Tops the buffer up to at least 57 bits; one call covers several
    // consecutive reads of up to 56 bits in all.
    [[gnu::always_inline]] void refill() {
        if (m_count > 56)
            return;
        if (m_end - m_next >= 8) {
            uint64_t v;
            std::memcpy(&v, m_next, 8);
            m_bits |= __builtin_bswap64(v) >> m_count;
            m_next += (63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        *this = refilledSlowly(*this);
    }

    // Whether refillFast() may be used: eight more packed bytes are at hand.
    // While they are, no bit of padding has been read.
    bool canRefillFast() const { return m_end - m_next >= 8; }
    // The packed bytes at hand past those buffered, in part or whole.
    std::size_t bytesAhead() const { return static_cast<std::size_t>(m_end - m_next); }

    // As refill(), without branches; needs canRefillFast(). Bytes it buffers
    // beyond the 57 bits are buffered again by the next call, unchanged.
    [[gnu::always_inline]] void refillFast() {
        uint64_t v;
        std::memcpy(&v, m_next, 8);
        m_bits |= __builtin_bswap64(v) >> m_count;
        m_next += (63 - m_count) >> 3;
        m_count |= 56;
    }

    // The next n bits (1..32) without consuming them; needs n bits buffered.
    uint32_t peek(unsigned n) const { return static_cast<uint32_t>(m_bits >> (64 - n)); }

    void skip(unsigned n) {
        m_bits <<= n;
        m_count -= n;
    }

    // Reads n bits (0..32) from what refill() buffered.
    uint32_t take(unsigned n) {
        if (n == 0)
            return 0;
        const uint32_t v = peek(n);
        skip(n);
        return v;
    }

    // Reads n bits (0..32), refilling first.
    uint32_t bits(unsigned n) {
        refill();
        return take(n);
    }

    // Whether any bit past the end of the packed data was consumed.
    bool overrun() const { return m_count < 8 * m_source->m_padding; }

private:
    // Taken and returned by value, so that a local reader's address never
    // escapes and its state can stay in registers.
    [[gnu::noinline]] static BitReader refilledSlowly(BitReader r) {
        BitSource &s = *r.m_source;
        while (r.m_count <= 56) {
            if (r.m_next == r.m_end && !s.m_eof) {
                const std::size_t got = s.m_in.read(s.m_chunk.data(), s.m_chunk.size());
                r.m_next = s.m_chunk.data();
                r.m_end = r.m_next + got;
                s.m_eof = got == 0;
            }
            uint64_t byte = 0;
            if (r.m_next < r.m_end)
                byte = *r.m_next++;
            else if (++s.m_padding > BitSource::kMaxPadding)
                throw DecodeError("truncated data");
            r.m_bits |= byte << (56 - r.m_count);
            r.m_count += 8;
        }
        return r;
    }

    BitSource *m_source;
    const uint8_t *m_next = nullptr;
    const uint8_t *m_end = nullptr;
    uint64_t m_bits = 0;
    unsigned m_count = 0;
};

// A copy of a reader for a hot loop, written back when the loop's scope
// ends, also when it ends by an exception (which is then judged by whether
// the stream ran out).
class LocalBitReader : public BitReader {
public:
    explicit LocalBitReader(BitReader &home) : BitReader(home), m_home(home) {}
    ~LocalBitReader() { m_home = *this; }
    LocalBitReader(const LocalBitReader &) = delete;
    LocalBitReader &operator=(const LocalBitReader &) = delete;

private:
    BitReader &m_home;
};

} // namespace lha
