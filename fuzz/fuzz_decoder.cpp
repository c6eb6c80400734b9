// SPDX-License-Identifier: MIT
// libFuzzer target for the decoders alone, which reaches deep decoder states
// sooner than whole archives do. Input: one byte choosing the method, three
// bytes of original size (little-endian), then the packed data.
//
// Traps when a decoder breaks its contract: a read larger than asked, more
// bytes than the original size, or a stream that stops short without an error
// (a damaged member would then pass as a short one).
#include "decoder.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

class InputSource final : public lha::ByteSource {
public:
    InputSource(const uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t read(uint8_t *buf, std::size_t n) override {
        // Small pieces exercise the refill paths at chunk boundaries.
        const std::size_t k = std::min({n, m_size - m_pos, std::size_t{4093}});
        std::copy_n(m_data + m_pos, k, buf);
        m_pos += k;
        return k;
    }

private:
    const uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Every method of the engine's table that decodes a file's data.
std::vector<const lha::Method *> decodingMethods() {
    std::vector<const lha::Method *> found;
    for (const lha::Method &method : lha::methods())
        if (!method.folder)
            found.push_back(&method);
    return found;
}

// Odd sizes, so that reads end inside matches and inside the output window.
constexpr std::array<std::size_t, 4> kReadSizes = {65536, 1, 4093, 65521};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    if (size < 4)
        return 0;
    static const std::vector<const lha::Method *> kMethods = decodingMethods();
    const lha::Method *method = kMethods[data[0] % kMethods.size()];
    // Three bytes bound the output at 16 MiB, so no input runs long.
    const uint64_t original = data[1] | (data[2] << 8) | (data[3] << 16);
    const std::size_t step = kReadSizes[(data[0] / kMethods.size()) % kReadSizes.size()];
    InputSource source(data + 4, size - 4);
    auto decoder = method->create(source, original);
    std::vector<uint8_t> buf(step);
    uint64_t given = 0;
    try {
        while (std::size_t n = decoder->read(buf.data(), buf.size())) {
            if (n > buf.size())
                __builtin_trap();
            given += n;
            if (given > original)
                __builtin_trap();
        }
    } catch (const lha::DecodeError &) {
        return 0;
    }
    if (given != original)
        __builtin_trap();
    return 0;
}
