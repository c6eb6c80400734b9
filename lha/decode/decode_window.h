// SPDX-License-Identifier: MIT
#pragma once
// The base of the LZ decoders, which all read a bit stream. Output is decoded
// into one linear buffer: the last `window` bytes of history, then room for a
// large batch of new bytes and one longest match. Between batches the history
// slides back to the front, so match copies need no wrap-around or per-byte
// masking. The base owns the bit reader and the one rule for a stream that
// ends early.
#include "bit_reader.h"
#include "uninitialised.h"

#include <algorithm>
#include <vector>

namespace lha {

// Output bytes are char8_t: unlike uint8_t it does not alias other types, so
// the compiler can keep the bit reader's state in registers across the
// stores of the decoding loops.
using OutByte = char8_t;

class WindowedDecoder : public Decoder {
public:
    std::size_t read(uint8_t *buf, std::size_t n) final {
        if (m_readPos == m_pos) {
            if (m_remaining == 0)
                return 0;
            decodeBatch();
        }
        const std::size_t k = std::min(n, m_pos - m_readPos);
        std::memcpy(buf, m_buf.data() + m_readPos, k);
        m_readPos += k;
        return k;
    }

protected:
    // `window` is the farthest a match may reach back; `maxMatch` the longest
    // match the format can express.
    WindowedDecoder(ByteSource &in, uint64_t originalSize, std::size_t window, std::size_t maxMatch)
        : m_window(window), m_buf(window + batchFor(originalSize) + maxMatch + kSlack),
          m_source(in), m_in(m_source), m_remaining(originalSize), m_maxMatch(maxMatch) {}

    // For formats whose history starts out with known contents: the window's
    // bytes, oldest first, as if they had been decoded before the member.
    void prefill(const uint8_t *history) {
        std::memcpy(m_buf.data(), history, m_window);
        m_pos = m_readPos = m_window;
    }

    // Decodes into m_buf from m_pos on; stops once m_pos >= stop and never
    // writes past end (a match running over end is cut there). Entered with
    // m_pos < stop <= end.
    virtual void decode(std::size_t stop, std::size_t end) = 0;

    // Appends `length` bytes copied from `distance` back at out[pos], cut at
    // end; returns the new position. Throws when the distance reaches before
    // the start of the history.
    std::size_t copyMatch(OutByte *out, std::size_t pos, std::size_t distance, std::size_t length,
                          std::size_t end) const {
        checkDistance(pos, distance);
        length = std::min(length, end - pos);
        copyBytes(out + pos, distance, length);
        return pos + length;
    }

    // Throws when a match at pos would reach before the start of the history.
    void checkDistance(std::size_t pos, std::size_t distance) const {
        if (distance > pos || distance > m_window || distance == 0) [[unlikely]]
            throwDistanceBeforeStart();
    }

    // Copies a match whose distance was checked and whose end leaves room
    // for the slack. Each step reads only bytes already written, and may
    // spill up to kSlack - 1 bytes past the match.
    static void copyBytes(OutByte *dst, std::size_t distance, std::size_t length) {
        const OutByte *src = dst - distance;
        if (distance >= 16) {
            for (std::size_t i = 0; i < length; i += 16)
                std::memcpy(dst + i, src + i, 16);
        } else if (distance >= 8) {
            for (std::size_t i = 0; i < length; i += 8)
                std::memcpy(dst + i, src + i, 8);
        } else {
            // A short repeating pattern: its first few repeats byte by byte,
            // then words copied from a whole number of repeats back.
            const std::size_t stride = distance * ((8 + distance - 1) / distance);
            const std::size_t head = std::min(length, stride);
            for (std::size_t i = 0; i < head; ++i)
                dst[i] = src[i];
            for (std::size_t i = head; i < length; i += 8)
                std::memcpy(dst + i, dst + i - stride, 8);
        }
    }

    const std::size_t m_window;
    // Left unset: every match is checked to reach back only over bytes
    // already decoded (or prefilled), so no byte is read before it is
    // written, and zeroing a window per member costs more than decoding a
    // small member does.
    std::vector<OutByte, UninitialisedAllocator<OutByte>> m_buf;
    std::size_t m_pos = 0;

private:
    BitSource m_source;

protected:
    BitReader m_in;

private:
    [[noreturn, gnu::cold, gnu::noinline]] static void throwDistanceBeforeStart() {
        throw DecodeError("match distance before the start of the data");
    }

    static constexpr std::size_t kBatch = 256 * 1024;
    static constexpr std::size_t kSlack = 16;

    // A small member is decoded in one batch of its own size: most members
    // of an archive are small.
    static std::size_t batchFor(uint64_t originalSize) {
        return static_cast<std::size_t>(std::min<uint64_t>(kBatch, originalSize));
    }

    void decodeBatch() {
        if (m_pos > m_window) {
            std::memmove(m_buf.data(), m_buf.data() + m_pos - m_window, m_window);
            m_pos = m_window;
        }
        const std::size_t start = m_pos;
        const std::size_t limit = m_buf.size() - kSlack;
        const std::size_t end =
            m_pos + static_cast<std::size_t>(std::min<uint64_t>(limit - m_pos, m_remaining));
        try {
            decode(std::min(end, limit - m_maxMatch), end);
        } catch (const DecodeError &) {
            // Past the end every bit reads as zero, and the bad codes those
            // zeros make would hide the real cause.
            throwIfEndedEarly();
            throw;
        }
        throwIfEndedEarly();
        m_remaining -= m_pos - start;
        m_readPos = start;
    }

    // A stream has ended early when bytes were decoded from bits past its end.
    void throwIfEndedEarly() const {
        if (m_in.overrun())
            throw DecodeError("truncated data");
    }

    uint64_t m_remaining;
    const std::size_t m_maxMatch;
    std::size_t m_readPos = 0;
};

} // namespace lha
