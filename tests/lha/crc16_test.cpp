#include "crc16.h"

#include <gtest/gtest.h>

#include <string>

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
