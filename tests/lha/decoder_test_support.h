// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the decoder tests: a minimal walk over an archive's member
// headers (levels 0-2) to reach each member's packed bytes, an in-memory
// ByteSource, decode-everything helpers and a bit writer for hand-made
// streams.
#include "decoder.h"
#include "test_support.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lha::testing {

struct PackedMember {
    std::string method;
    uint64_t originalSize = 0;
    uint16_t crc = 0;
    std::vector<uint8_t> packed;
};

inline std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline uint32_t le(const std::vector<uint8_t> &b, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
    return v;
}

// Members of a plain archive (no self-extractor stub), in order.
inline std::vector<PackedMember> packedMembers(const std::vector<uint8_t> &archive) {
    std::vector<PackedMember> members;
    std::size_t at = 0;
    while (at + 22 <= archive.size() && archive[at] != 0) {
        PackedMember m;
        m.method.assign(archive.begin() + static_cast<std::ptrdiff_t>(at + 2),
                        archive.begin() + static_cast<std::ptrdiff_t>(at + 7));
        uint64_t packed = le(archive, at + 7, 4);
        m.originalSize = le(archive, at + 11, 4);
        const int level = archive.at(at + 20);
        std::size_t data = 0;
        if (level == 2) {
            data = at + le(archive, at, 2);
            m.crc = static_cast<uint16_t>(le(archive, at + 21, 2));
        } else {
            const std::size_t base = at + 2 + archive[at];
            m.crc = static_cast<uint16_t>(le(archive, at + 22 + archive[at + 21], 2));
            data = base;
            if (level == 1) {
                for (std::size_t size = le(archive, base - 2, 2); size != 0;
                     size = le(archive, data - 2, 2)) {
                    data += size;
                    packed -= size;
                }
            }
        }
        m.packed.assign(archive.begin() + static_cast<std::ptrdiff_t>(data),
                        archive.begin() + static_cast<std::ptrdiff_t>(data + packed));
        members.push_back(std::move(m));
        at = data + packed;
    }
    return members;
}

// Hands out the bytes in pieces of at most `piece`, to exercise refills at
// every boundary.
class PiecewiseSource final : public ByteSource {
public:
    explicit PiecewiseSource(const std::vector<uint8_t> &data, std::size_t piece = 1 << 20)
        : m_data(data), m_piece(piece) {}
    std::size_t read(uint8_t *buf, std::size_t n) override {
        const std::size_t k = std::min({n, m_piece, m_data.size() - m_pos});
        std::copy_n(m_data.begin() + static_cast<std::ptrdiff_t>(m_pos), k, buf);
        m_pos += k;
        return k;
    }

private:
    const std::vector<uint8_t> &m_data;
    std::size_t m_piece;
    std::size_t m_pos = 0;
};

// Decodes a whole member; throws DecodeError like the decoder. Fails the
// calling test (by returning more) if the decoder ever gives more than the
// original size.
inline std::vector<uint8_t> decodeAll(const std::string &method, const std::vector<uint8_t> &packed,
                                      uint64_t originalSize, std::size_t piece = 1 << 20) {
    PiecewiseSource source(packed, piece);
    const Method *m = findMethod(method);
    if (!m)
        throw std::runtime_error("unknown method " + method);
    auto decoder = m->create(source, originalSize);
    std::vector<uint8_t> out;
    std::vector<uint8_t> buf(7000);
    while (std::size_t n = decoder->read(buf.data(), buf.size()))
        out.insert(out.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
}

// What a decoder made of a stream: every byte it gave, and the DecodeError's
// message if it failed ("" when it finished).
struct Outcome {
    std::vector<uint8_t> bytes;
    std::string error;
    bool operator==(const Outcome &) const = default;
};

inline Outcome decodeOutcome(const std::string &method, const std::vector<uint8_t> &packed,
                             uint64_t originalSize, std::size_t piece = 1 << 20) {
    PiecewiseSource source(packed, piece);
    auto decoder = findMethod(method)->create(source, originalSize);
    Outcome outcome;
    std::vector<uint8_t> buf(7000);
    try {
        while (std::size_t n = decoder->read(buf.data(), buf.size()))
            outcome.bytes.insert(outcome.bytes.end(), buf.begin(),
                                 buf.begin() + static_cast<std::ptrdiff_t>(n));
    } catch (const DecodeError &e) {
        outcome.error = e.what();
    }
    return outcome;
}

// MSB-first bit packing, as the LHA and PMarc formats read their streams.
class BitWriter {
public:
    BitWriter &put(uint32_t value, unsigned bits) {
        while (bits--) {
            if (m_used % 8 == 0)
                m_bytes.push_back(0);
            if (uint64_t{value} >> bits & 1)
                m_bytes.back() |= static_cast<uint8_t>(0x80 >> (m_used % 8));
            ++m_used;
        }
        return *this;
    }
    std::vector<uint8_t> bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    std::size_t m_used = 0;
};

using lha::testing::crcOf;

} // namespace lha::testing
