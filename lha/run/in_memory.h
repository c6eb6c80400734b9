// SPDX-License-Identifier: MIT
#pragma once
// Reading and decoding an archive held in memory, for the fuzzer: the whole
// path from header scan to CRC check, writing nothing.
#include "lha/lha.h"

#include <cstddef>
#include <cstdint>

namespace lha {

Result testMemory(const uint8_t *data, std::size_t size, const TestOptions &options);
Result testMemory(const uint8_t *data, std::size_t size, unsigned threads = 1);

} // namespace lha
