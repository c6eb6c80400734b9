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

const std::array kMethods = {
    Method{"-lh0-", false, makeStoredDecoder}, // stored
    Method{"-lh1-", false, makeLh1Decoder},    // LHarc 1.x, adaptive Huffman
    Method{"-lh2-", false, makeLh2Decoder},    // LHA 2.x experimental, adaptive Huffman
    Method{"-lh3-", false, makeLh3Decoder},    // LHA 2.x experimental, static Huffman
    Method{"-lh4-", false, makeLh<12>},        // static Huffman, 4 KiB window
    Method{"-lh5-", false, makeLh<13>},        // 8 KiB
    Method{"-lh6-", false, makeLh<15>},        // 32 KiB
    Method{"-lh7-", false, makeLh<16>},        // 64 KiB
    Method{"-lh8-", false, makeLh<16>},        // written by some tools for -lh7- data
    Method{"-lhd-", true, makeStoredDecoder},  // directory, no data
    Method{"-lk7-", false, makeLharkDecoder},  // LHARK's own -lh7-, renamed from its header
    Method{"-lzs-", false, makeLzsDecoder},    // LArc, 2 KiB window
    Method{"-lz4-", false, makeStoredDecoder}, // LArc, stored
    Method{"-lz5-", false, makeLz5Decoder},    // LArc, 4 KiB window
    Method{"-pm0-", false, makeStoredDecoder}, // PMarc, stored
    Method{"-pm1-", false, makePm1Decoder},    // PMarc 1, fixed codes
    Method{"-pm2-", false, makePm2Decoder},    // PMarc 2, 8 KiB window
};

} // namespace

const Method *findMethod(std::string_view id) {
    for (const Method &method : kMethods)
        if (method.id == id)
            return &method;
    return nullptr;
}

} // namespace lha
