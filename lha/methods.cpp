// The methods the engine decodes, found by their five-character id.
#include "decode_families.h"

#include <array>

namespace lha {
namespace {

template <unsigned WindowBits>
std::unique_ptr<Decoder> makeLh(ByteSource &in, uint64_t original_size) {
    return makeStaticHuffmanDecoder(in, original_size, WindowBits);
}

const std::array kMethods = {
    Method{"-lh0-", false, makeStoredDecoder}, Method{"-lh4-", false, makeLh<12>},
    Method{"-lh5-", false, makeLh<13>},        Method{"-lh6-", false, makeLh<15>},
    Method{"-lh7-", false, makeLh<16>},        Method{"-lh8-", false, makeLh<16>},
    Method{"-lhd-", true, makeStoredDecoder},  Method{"-lz4-", false, makeStoredDecoder},
    Method{"-pm0-", false, makeStoredDecoder},
};

} // namespace

const Method *findMethod(std::string_view id) {
    for (const Method &method : kMethods)
        if (method.id == id)
            return &method;
    return nullptr;
}

} // namespace lha
