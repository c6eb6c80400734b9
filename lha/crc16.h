#pragma once
// CRC-16 as LHA uses it (polynomial 0x8005, reflected: 0xA001, initial 0).
#include <cstddef>
#include <cstdint>

namespace lha {

uint16_t crc16(uint16_t crc, const void *data, std::size_t size);

} // namespace lha
