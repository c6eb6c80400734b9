// Runs with a library search path that holds no libunlha32.so.
#include "extract/Module1.h"

#include <gtest/gtest.h>

namespace {

TEST(Module1MissingLibrary, EachCallRaisesNamingTheLibrary) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Module1::UnlhaGetVersion();
            FAIL() << "no error raised";
        } catch (const Module1::BindingError &e) {
            EXPECT_EQ(e.library(), "unlha32");
            EXPECT_EQ(e.entry(), "");
            EXPECT_NE(std::string(e.what()).find("libunlha32.so"), std::string::npos) << e.what();
        }
    }
    char empty[1] = {'\0'};
    EXPECT_THROW(Module1::Unlha(1, "e a.lzh b/", empty, 0), Module1::BindingError);
    for (const auto &d : Module1::declarations())
        EXPECT_EQ(d.address, nullptr) << d.entry;
}

} // namespace
