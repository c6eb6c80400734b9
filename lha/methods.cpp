// The methods the engine decodes, found by their five-character id.
#include "decode_families.h"

#include <array>

namespace lha {
namespace {

const std::array kMethods = {
    Method{"-lh0-", false, makeStoredDecoder},
    Method{"-lhd-", true, makeStoredDecoder},
    Method{"-lz4-", false, makeStoredDecoder},
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
