// Runs against a stand-in library that has UnlhaGetVersion but no Unlha.
#include "extract/Module1.h"

#include <gtest/gtest.h>

namespace {

TEST(Module1MissingEntry, OnlyTheMissingEntryRaisesAndItSaysWhich) {
    EXPECT_EQ(Module1::UnlhaGetVersion(), 99);
    char empty[1] = {'\0'};
    try {
        Module1::Unlha(1, "e a.lzh b/", empty, 0);
        FAIL() << "no error raised";
    } catch (const Module1::BindingError &e) {
        EXPECT_EQ(e.library(), "unlha32");
        EXPECT_EQ(e.entry(), "Unlha");
        EXPECT_NE(std::string(e.what()).find("Unlha"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Module1::declarations()[9].address, nullptr);
    // The entry that exists keeps working.
    EXPECT_EQ(Module1::UnlhaGetVersion(), 99);
}

} // namespace
