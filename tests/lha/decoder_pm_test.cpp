// The PMarc decoders against real archives and lhasa's output, and on
// damaged streams.
#include "decoder_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace lha::testing {
namespace {

const std::filesystem::path kCorpus = HOKORA_CORPUS_DIR;

#define SKIP_WITHOUT_CORPUS()                                                                      \
    if (!std::filesystem::is_directory(kCorpus))                                                   \
    GTEST_SKIP() << "corpus not found at " << kCorpus

std::vector<PackedMember> corpusMembers(const char *path) {
    return packedMembers(readFile((kCorpus / path).string()));
}

TEST(PmDecoderTest, Pm2CorpusMembersMatchTheirCrc) {
    SKIP_WITHOUT_CORPUS();
    for (const char *path : {"pmarc2/pm2.pma", "pmarc2/long.pma", "pmarc2/comment.pma"}) {
        for (const PackedMember &m : corpusMembers(path)) {
            ASSERT_EQ(m.method, "-pm2-");
            for (std::size_t piece : {std::size_t{1} << 20, std::size_t{5}}) {
                const auto out = decodeAll(m.method, m.packed, m.original_size, piece);
                EXPECT_EQ(out.size(), m.original_size) << path;
                EXPECT_EQ(crcOf(out), m.crc) << path << " piece " << piece;
            }
        }
    }
}

} // namespace
} // namespace lha::testing
