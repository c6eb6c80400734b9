#pragma once
// Factories of the decoder families, one per decode_*.cpp; methods.cpp ties
// them to the method ids.
#include "decoder.h"

namespace lha {

std::unique_ptr<Decoder> makeStoredDecoder(ByteSource &in, uint64_t original_size);

} // namespace lha
