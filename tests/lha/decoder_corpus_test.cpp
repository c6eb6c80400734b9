// SPDX-License-Identifier: MIT
// Every member of the shared corpus decodes to its recorded size and CRC-16.
#include "corpus.h"
#include "decoder_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace lha::testing {
namespace {

using lha::testing::kCorpus;

struct CorpusArchive {
    const char *path;
    const char *method;
};

class DecoderCorpusTest : public ::testing::TestWithParam<CorpusArchive> {};

TEST_P(DecoderCorpusTest, MembersMatchTheirCrc) {
    SKIP_WITHOUT_CORPUS();
    const auto archive = readFile((kCorpus / GetParam().path).string());
    ASSERT_FALSE(archive.empty());
    const auto members = packedMembers(archive);
    ASSERT_FALSE(members.empty());
    for (const PackedMember &m : members) {
        if (m.method == "-lhd-")
            continue;
        EXPECT_EQ(m.method, GetParam().method);
        // Small pieces make every refill path cross input boundaries.
        for (std::size_t piece : {std::size_t{1} << 20, std::size_t{7}}) {
            const auto out = decodeAll(m.method, m.packed, m.originalSize, piece);
            EXPECT_EQ(out.size(), m.originalSize);
            EXPECT_EQ(crcOf(out), m.crc) << GetParam().path << " piece " << piece;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DecoderCorpusTest,
                         ::testing::Values(CorpusArchive{"lharc113/lh0.lzh", "-lh0-"},
                                           CorpusArchive{"lharc113/lh1.lzh", "-lh1-"},
                                           CorpusArchive{"lharc113/long.lzh", "-lh1-"},
                                           CorpusArchive{"larc333/lz5.lzs", "-lz5-"},
                                           CorpusArchive{"larc333/long.lzs", "-lz5-"},
                                           CorpusArchive{"larc333/initial.lzs", "-lz5-"},
                                           CorpusArchive{"lha_unix114i/h0_lh5.lzh", "-lh5-"},
                                           CorpusArchive{"lha_unix114i/h1_lh5.lzh", "-lh5-"},
                                           CorpusArchive{"lha_unix114i/h2_lh6.lzh", "-lh6-"},
                                           CorpusArchive{"lha_unix114i/h2_lh7.lzh", "-lh7-"},
                                           CorpusArchive{"lha_unix114i/lh6_long.lzh", "-lh6-"},
                                           CorpusArchive{"lha_unix114i/lh7_long.lzh", "-lh7-"},
                                           CorpusArchive{"larc333/lz4.lzs", "-lz4-"},
                                           CorpusArchive{"pmarc2/pm0.pma", "-pm0-"}),
                         [](const auto &instance) {
                             std::string name = instance.param.path;
                             for (char &c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
} // namespace lha::testing
