// SPDX-License-Identifier: MIT
// The methods the engine decodes, found by their five-character id.
#include "decode_families.h"

#include <array>

namespace lha {
namespace {

template <unsigned WindowBits>
std::unique_ptr<Decoder> makeLh(ByteSource &in, uint64_t originalSize) {
    return makeStaticHuffmanDecoder(in, originalSize, WindowBits);
}

constexpr bool kStored = true;
constexpr bool kFolder = true;

// id, decoder, whether it is stored, whether it marks a folder or a link.
const std::array kMethods = {
    Method{"-lh0-", makeStoredDecoder, kStored},          // stored
    Method{"-lh1-", makeLh1Decoder},                      // LHarc 1.x, adaptive Huffman
    Method{"-lh2-", makeLh2Decoder},                      // LHA 2.x experimental, adaptive Huffman
    Method{"-lh3-", makeLh3Decoder},                      // LHA 2.x experimental, static Huffman
    Method{"-lh4-", makeLh<12>},                          // static Huffman, 4 KiB window
    Method{"-lh5-", makeLh<13>},                          // 8 KiB
    Method{"-lh6-", makeLh<15>},                          // 32 KiB
    Method{"-lh7-", makeLh<16>},                          // 64 KiB
    Method{"-lh8-", makeLh<16>},                          // written by some tools for -lh7- data
    Method{"-lhd-", makeStoredDecoder, kStored, kFolder}, // no data
    Method{"-lk7-", makeLharkDecoder},           // LHARK's own -lh7-, renamed from its header
    Method{"-lzs-", makeLzsDecoder},             // LArc, 2 KiB window
    Method{"-lz4-", makeStoredDecoder, kStored}, // LArc, stored
    Method{"-lz5-", makeLz5Decoder},             // LArc, 4 KiB window
    Method{"-pm0-", makeStoredDecoder, kStored}, // PMarc, stored
    Method{"-pm1-", makePm1Decoder},             // PMarc 1, fixed codes
    Method{"-pm2-", makePm2Decoder},             // PMarc 2, 8 KiB window
};

} // namespace

std::span<const Method> methods() {
    return kMethods;
}

const Method *findMethod(std::string_view id) {
    for (const Method &method : kMethods)
        if (method.id == id)
            return &method;
    return nullptr;
}

} // namespace lha
