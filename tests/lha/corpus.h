#pragma once
// Where the corpus of historical archives lies, and the skip for the tests
// that need it when it does not.
#include <filesystem>
#include <gtest/gtest.h>

namespace testing_lha {

inline const std::filesystem::path kCorpus = HOKORA_CORPUS_DIR;

} // namespace testing_lha

#define SKIP_WITHOUT_CORPUS()                                                                      \
    if (!std::filesystem::is_directory(testing_lha::kCorpus / "expected"))                         \
    GTEST_SKIP() << "no corpus at " << testing_lha::kCorpus
