// SPDX-License-Identifier: MIT
// The CRC-16 of a member is checked by the thread that takes its chunks, not
// by the one that decodes it: a mismatch anywhere in a member of many chunks
// must still fail that member, and only that one, whatever the thread count.
#include "archive_builder.h"
#include "in_memory.h"
#include "lha/lha.h"

#include <gtest/gtest.h>

namespace {

using lha::testing::buildArchive;
using lha::testing::Member;

// Over four chunks of varied bytes, so that a wrong CRC is not a matter of
// the first chunk alone.
std::string largeData(char seed) {
    std::string data(1100 * 1024, '\0');
    uint32_t x = static_cast<unsigned char>(seed) + 1u;
    for (char &c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return data;
}

std::vector<lha::Error> testedErrors(const std::string &archive, unsigned threads) {
    const auto result =
        lha::testMemory(reinterpret_cast<const uint8_t *>(archive.data()), archive.size(), threads);
    std::vector<lha::Error> errors;
    for (const auto &m : result.members)
        errors.push_back(m.error);
    return errors;
}

TEST(PipelineCrc, OnlyTheMemberWhoseLastChunkDiffersFails) {
    Member first{"first.bin", largeData('a')};
    Member damaged{"damaged.bin", largeData('b')};
    // The CRC of the same bytes with one changed near the end.
    std::string altered = damaged.data;
    altered[altered.size() - 3] ^= 0x40;
    damaged.crc = lha::testing::crcOf(altered);
    Member small{"small.txt", "fine"};
    Member last{"last.bin", largeData('c')};
    const std::string archive = buildArchive({first, damaged, small, last});

    const std::vector<lha::Error> expected{lha::Error::None, lha::Error::Damaged, lha::Error::None,
                                           lha::Error::None};
    for (unsigned threads : {1u, 2u, 4u})
        EXPECT_EQ(testedErrors(archive, threads), expected) << threads << " threads";

    const auto result =
        lha::testMemory(reinterpret_cast<const uint8_t *>(archive.data()), archive.size(), 2);
    EXPECT_NE(result.members.at(1).message.find("CRC"), std::string::npos);
}

TEST(PipelineCrc, EmptyAndChunkSizedMembersCheckOut) {
    Member empty{"empty", ""};
    Member exact{"exact.bin", largeData('d').substr(0, 256 * 1024)};
    Member wrongEmpty{"wrong-empty", ""};
    wrongEmpty.crc = 1;
    const std::string archive = buildArchive({empty, exact, wrongEmpty});
    EXPECT_EQ(testedErrors(archive, 2),
              (std::vector<lha::Error>{lha::Error::None, lha::Error::None, lha::Error::Damaged}));
}

} // namespace
