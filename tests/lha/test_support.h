#pragma once
// What the engine tests share: where the corpus of historical archives lies,
// the skip for when it does not, and the CRC-16 of some bytes.
#include "crc16.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>

namespace testing_lha {

inline const std::filesystem::path kCorpus = HOKORA_CORPUS_DIR;

template <typename Bytes> uint16_t crcOf(const Bytes &bytes) {
    return lha::crc16(0, bytes.data(), bytes.size());
}

} // namespace testing_lha

#define SKIP_WITHOUT_CORPUS()                                                                      \
    if (!std::filesystem::is_directory(testing_lha::kCorpus / "expected"))                         \
    GTEST_SKIP() << "no corpus at " << testing_lha::kCorpus
