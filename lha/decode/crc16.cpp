// SPDX-License-Identifier: MIT
#include "crc16.h"

#include <array>
#include <cstring>

namespace lha {
namespace {

// Slice-by-8 tables: table[k][b] is the CRC of byte b followed by k zero bytes.
constexpr std::array<std::array<uint16_t, 256>, 8> makeTables() {
    std::array<std::array<uint16_t, 256>, 8> t{};
    for (unsigned b = 0; b < 256; ++b) {
        uint16_t c = static_cast<uint16_t>(b);
        for (int i = 0; i < 8; ++i)
            c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
        t[0][b] = c;
    }
    for (unsigned b = 0; b < 256; ++b)
        for (int k = 1; k < 8; ++k)
            t[k][b] = static_cast<uint16_t>((t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF]);
    return t;
}

constexpr auto kTables = makeTables();

} // namespace

uint16_t crc16Tables(uint16_t crc, const void *data, std::size_t size) {
    auto p = static_cast<const unsigned char *>(data);
    while (size >= 8) {
        const uint16_t lo = static_cast<uint16_t>(crc ^ (p[0] | (p[1] << 8)));
        crc = static_cast<uint16_t>(kTables[7][lo & 0xFF] ^ kTables[6][lo >> 8] ^ kTables[5][p[2]] ^
                                    kTables[4][p[3]] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^
                                    kTables[1][p[6]] ^ kTables[0][p[7]]);
        p += 8;
        size -= 8;
    }
    while (size--)
        crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF]);
    return crc;
}

uint16_t crc16(uint16_t crc, const void *data, std::size_t size) {
    static const Crc16Function best = [] {
        const Crc16Function carryLess = crc16CarryLess();
        return carryLess ? carryLess : crc16Tables;
    }();
    return best(crc, data, size);
}

} // namespace lha
