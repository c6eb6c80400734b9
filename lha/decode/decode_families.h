// SPDX-License-Identifier: MIT
#pragma once
// Factories of the decoder families, one per decode_*.cpp; methods.cpp ties
// them to the method ids.
#include "decoder.h"

namespace lha {

std::unique_ptr<Decoder> makeStoredDecoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makeLh1Decoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makeLh2Decoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makeLh3Decoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makeLzsDecoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makeLz5Decoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makePm1Decoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makePm2Decoder(ByteSource &in, uint64_t originalSize);
std::unique_ptr<Decoder> makeLharkDecoder(ByteSource &in, uint64_t originalSize);
// windowBits: 12 (-lh4-), 13 (-lh5-), 15 (-lh6-), 16 (-lh7-).
std::unique_ptr<Decoder> makeStaticHuffmanDecoder(ByteSource &in, uint64_t originalSize,
                                                  unsigned windowBits);

} // namespace lha
