// Runs against the recording stand-in: an entry is looked up on its own
// first call, and later calls go straight to the stored address.
#include "extract/Module1.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

int replacementVersion() {
    return 7;
}

std::string standinCalls() {
    void *handle = ::dlopen("libunlha32.so", RTLD_NOW | RTLD_NOLOAD);
    auto calls = reinterpret_cast<const char *(*)()>(::dlsym(handle, "StandinCalls"));
    return calls != nullptr ? calls() : "(stand-in not loaded)";
}

TEST(Module1Resolution, EachEntryIsBoundOnItsFirstCallOnly) {
    auto entries = Module1::declarations();
    auto &version = entries[0];
    auto &unlha = entries[9];
    ASSERT_STREQ(version.entry, "UnlhaGetVersion");
    ASSERT_STREQ(unlha.entry, "Unlha");
    EXPECT_EQ(::dlopen("libunlha32.so", RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "loaded before the first call";

    EXPECT_EQ(Module1::UnlhaGetVersion(), 100);
    ASSERT_NE(version.address, nullptr);
    EXPECT_EQ(unlha.address, nullptr) << "bound before its own first call";
    void *handle = ::dlopen("libunlha32.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(version.address, ::dlsym(handle, "UnlhaGetVersion"));

    // A second call must not look the entry up again: it goes where the
    // record points.
    void *bound = version.address;
    version.address = reinterpret_cast<void *>(&replacementVersion);
    EXPECT_EQ(Module1::UnlhaGetVersion(), 7);
    version.address = bound;

    char empty[1] = {'\0'};
    EXPECT_EQ(Module1::Unlha(5, "e a.lzh b/", empty, 0), 0);
    EXPECT_EQ(unlha.address, ::dlsym(handle, "Unlha"));
    EXPECT_EQ(standinCalls(), "UnlhaGetVersion\nUnlha hwnd=5 command=[e a.lzh b/] out=[] size=0\n");

    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != 0 && i != 9) {
            EXPECT_EQ(entries[i].address, nullptr) << entries[i].entry;
        }
    }
    ::dlclose(handle);
}

} // namespace
