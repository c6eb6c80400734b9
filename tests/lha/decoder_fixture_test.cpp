// SPDX-License-Identifier: MIT
// The fixture archives made with jLHA, an independent encoder: every method
// it writes decodes byte-identical to the source files.
#include "decoder_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace lha::testing {
namespace {

const std::filesystem::path kData = HOKORA_TEST_DATA_DIR;

class DecoderFixtureTest : public ::testing::TestWithParam<const char *> {};

TEST_P(DecoderFixtureTest, MembersMatchTheirSources) {
    const std::string method = std::string("-") + GetParam() + "-";
    const auto archive =
        readFile((kData / "archives" / (std::string("method-") + GetParam() + ".lzh")).string());
    ASSERT_FALSE(archive.empty());
    // The archive holds text.txt, large.bin, tiny.txt and empty.txt, in this
    // order; the first two are packed.
    const auto members = packedMembers(archive);
    const char *sources[] = {"text.txt", "large.bin", "tiny.txt", "empty.txt"};
    ASSERT_EQ(members.size(), std::size(sources));
    EXPECT_EQ(members[0].method, method);
    for (std::size_t i = 0; i < members.size(); ++i) {
        // jLHA stores a member that would not shrink.
        if (members[i].method != "-lh0-") {
            EXPECT_EQ(members[i].method, method);
        }
        const auto expected = readFile((kData / "files" / sources[i]).string());
        for (std::size_t piece : {std::size_t{1} << 20, std::size_t{3}}) {
            const auto out =
                decodeAll(members[i].method, members[i].packed, members[i].originalSize, piece);
            EXPECT_TRUE(out == expected) << sources[i] << " piece " << piece;
            EXPECT_EQ(crcOf(out), members[i].crc);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, DecoderFixtureTest,
                         ::testing::Values("lh0", "lh1", "lh2", "lh3", "lh4", "lh5", "lh6", "lh7",
                                           "lzs", "lz5"));

} // namespace
} // namespace lha::testing
