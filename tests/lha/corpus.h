// SPDX-License-Identifier: MIT
#pragma once
// Where the corpus of historical archives lies, and the skip for the tests
// that need it when it does not.
#include <filesystem>
#include <gtest/gtest.h>

namespace lha::testing {

inline const std::filesystem::path kCorpus = HOKORA_CORPUS_DIR;

} // namespace lha::testing

#define SKIP_WITHOUT_CORPUS()                                                                      \
    if (!std::filesystem::is_directory(lha::testing::kCorpus / "expected"))                        \
    GTEST_SKIP() << "no corpus at " << lha::testing::kCorpus
