// SPDX-License-Identifier: MIT
#pragma once
// CRC-16 as LHA uses it (polynomial 0x8005, reflected: 0xA001, initial 0).
#include <cstddef>
#include <cstdint>

namespace lha {

uint16_t crc16(uint16_t crc, const void *data, std::size_t size);

// The two ways crc16() computes it, for the tests to compare: byte tables
// (slice-by-8) everywhere, and carry-less multiplication where the processor
// has it (nullptr where not).
uint16_t crc16Tables(uint16_t crc, const void *data, std::size_t size);
using Crc16Function = uint16_t (*)(uint16_t crc, const void *data, std::size_t size);
Crc16Function crc16CarryLess();

} // namespace lha
