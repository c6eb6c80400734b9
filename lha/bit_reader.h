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

class BitReader {
public:
    explicit BitReader(ByteSource &in, std::size_t chunk = 64 * 1024) : m_in(in), m_chunk(chunk) {}

    // Tops the buffer up to at least 57 bits; one call covers several
    // consecutive reads of up to 56 bits in all.
    [[gnu::always_inline]] void refill() {
        if (m_count > 56)
            return;
        if (m_end - m_pos >= 8) {
            uint64_t v;
            std::memcpy(&v, m_chunk.data() + m_pos, 8);
            m_bits |= __builtin_bswap64(v) >> m_count;
            m_pos += (63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        refillSlow();
    }

    unsigned available() const { return m_count; }

    // The next n bits (1..32) without consuming them; needs available() >= n.
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

    bool overrun() const { return m_count < 8 * m_padding; }

    // Throws when the stream ran out before what was decoded so far.
    void checkComplete() const {
        if (overrun())
            throw DecodeError("truncated data");
    }

private:
    friend class BitCursor;

    [[gnu::noinline]] void refillSlow() {
        while (m_count <= 56) {
            if (m_pos == m_end && !m_eof)
                fillChunk();
            uint64_t byte = 0;
            if (m_pos < m_end) {
                byte = m_chunk[m_pos++];
            } else if (++m_padding > 16) {
                // Every buffered bit is padding by now: the data ended long ago.
                throw DecodeError("truncated data");
            }
            m_bits |= byte << (56 - m_count);
            m_count += 8;
        }
    }

    void fillChunk() {
        m_pos = 0;
        m_end = m_in.read(m_chunk.data(), m_chunk.size());
        m_eof = m_end == 0;
    }

    ByteSource &m_in;
    // Only ever read up to what the source filled in.
    std::vector<uint8_t, UninitialisedAllocator<uint8_t>> m_chunk;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    uint64_t m_bits = 0;
    unsigned m_count = 0;
    unsigned m_padding = 0;
    bool m_eof = false;
};

// The reader's state copied into a hot loop's locals. The compiler cannot
// keep a member in a register across the calls of a loop's rare paths (the
// reader's slow refill, the throws), so every refill and skip went through
// memory; a local copy stays in registers. Call store() before the reader
// itself is used again, and load() after.
class BitCursor {
public:
    explicit BitCursor(BitReader &reader) : m_reader(reader) { load(); }
    ~BitCursor() { store(); }
    BitCursor(const BitCursor &) = delete;
    BitCursor &operator=(const BitCursor &) = delete;

    void load() {
        m_data = m_reader.m_chunk.data();
        m_pos = m_reader.m_pos;
        m_end = m_reader.m_end;
        m_bits = m_reader.m_bits;
        m_count = m_reader.m_count;
    }
    void store() {
        m_reader.m_pos = m_pos;
        m_reader.m_bits = m_bits;
        m_reader.m_count = m_count;
    }

    // As BitReader::refill().
    [[gnu::always_inline]] void refill() {
        if (m_count > 56)
            return;
        if (m_end - m_pos >= 8) {
            uint64_t v;
            std::memcpy(&v, m_data + m_pos, 8);
            m_bits |= __builtin_bswap64(v) >> m_count;
            m_pos += (63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        store();
        m_reader.refillSlow();
        load();
    }

    unsigned available() const { return m_count; }
    uint32_t peek(unsigned n) const { return static_cast<uint32_t>(m_bits >> (64 - n)); }
    void skip(unsigned n) {
        m_bits <<= n;
        m_count -= n;
    }
    uint32_t take(unsigned n) {
        if (n == 0)
            return 0;
        const uint32_t v = peek(n);
        skip(n);
        return v;
    }

private:
    BitReader &m_reader;
    const uint8_t *m_data = nullptr;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    uint64_t m_bits = 0;
    unsigned m_count = 0;
};

} // namespace lha
