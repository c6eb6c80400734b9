// SPDX-License-Identifier: MIT
// Stored members (-lh0-, -lz4-, -pm0-, and the empty -lhd-): the packed bytes
// are the original bytes.
#include "decode_families.h"

#include <algorithm>

namespace lha {
namespace {

class StoredDecoder final : public Decoder {
public:
    StoredDecoder(ByteSource &in, uint64_t originalSize) : m_in(in), m_remaining(originalSize) {}

    std::size_t read(uint8_t *buf, std::size_t n) override {
        const auto want = static_cast<std::size_t>(std::min<uint64_t>(n, m_remaining));
        std::size_t got = 0;
        while (got < want) {
            const std::size_t r = m_in.read(buf + got, want - got);
            if (r == 0)
                throw DecodeError("truncated data");
            got += r;
        }
        m_remaining -= got;
        return got;
    }

private:
    ByteSource &m_in;
    uint64_t m_remaining;
};

} // namespace

std::unique_ptr<Decoder> makeStoredDecoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<StoredDecoder>(in, originalSize);
}

} // namespace lha
