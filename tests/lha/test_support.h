// SPDX-License-Identifier: MIT
#pragma once
// The CRC-16 of some bytes, as the engine tests compare it.
#include "crc16.h"

#include <cstdint>

namespace lha::testing {

template <typename Bytes> uint16_t crcOf(const Bytes &bytes) {
    return lha::crc16(0, bytes.data(), bytes.size());
}

} // namespace lha::testing
