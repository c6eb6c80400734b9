// SPDX-License-Identifier: MIT
#include "crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

TEST(Crc16, MatchesTheCheckValueAndIsIncremental) {
    const std::string text = "123456789";
    EXPECT_EQ(lha::crc16(0, text.data(), text.size()), 0xBB3D);
    // Split at every point: the slice-by-8 path and the byte path must agree.
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        uint16_t crc = lha::crc16(0, text.data(), cut);
        crc = lha::crc16(crc, text.data() + cut, text.size() - cut);
        EXPECT_EQ(crc, 0xBB3D) << "cut at " << cut;
    }
}

TEST(Crc16, CarryLessMultiplicationAgreesWithTheTables) {
    const lha::Crc16Function carryLess = lha::crc16CarryLess();
    if (!carryLess)
        GTEST_SKIP() << "no carry-less multiplication on this processor";
    std::mt19937 random(16);
    std::vector<uint8_t> data(5000);
    for (uint8_t &b : data)
        b = static_cast<uint8_t>(random());
    // Below, at and around the 64-byte folding step and the 16-byte tail
    // step, with a running CRC carried in.
    for (std::size_t size : {0, 1, 15, 16, 63, 64, 65, 79, 80, 127, 128, 129, 1000, 4999, 5000})
        for (uint16_t crc : {0x0000, 0x0001, 0x8000, 0xBEEF, 0xFFFF})
            EXPECT_EQ(carryLess(crc, data.data(), size), lha::crc16Tables(crc, data.data(), size))
                << "size " << size << " crc " << crc;
}
