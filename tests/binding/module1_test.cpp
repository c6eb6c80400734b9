// SPDX-License-Identifier: MIT
// Module1 against stand-in libraries. A process binds the library once, so
// CTest runs each case in its own process, with LD_LIBRARY_PATH naming the
// stand-in the case needs (see CMakeLists.txt).
#include "extract/Module1.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// How many entries have an address: binding is per entry, on its first call.
int bound() {
    int count = 0;
    for (const auto &d : Module1::declarations())
        count += d.address != nullptr;
    return count;
}

char g_empty[1] = {'\0'};

// The record of an entry, found by its name.
Module1::Declaration *declared(const char *entry) {
    for (auto &d : Module1::declarations())
        if (std::string(d.entry) == entry)
            return &d;
    return nullptr;
}

TEST(Module1, DeclaresEachEntryOnceAndBindsNothingAtStart) {
    std::set<std::string> names;
    for (const auto &d : Module1::declarations()) {
        EXPECT_STREQ(d.library, "unlha32");
        names.insert(d.entry);
    }
    EXPECT_EQ(names.size(), Module1::declarations().size()) << "an entry is declared twice";
    // The two entries the program calls are among them, wherever they stand.
    EXPECT_NE(declared("UnlhaGetVersion"), nullptr);
    EXPECT_NE(declared("Unlha"), nullptr);
    EXPECT_EQ(bound(), 0);
    EXPECT_EQ(::dlopen("libunlha32.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST(Module1, MissingLibraryRaisesAtEveryCallNamingIt) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Module1::UnlhaGetVersion();
            ADD_FAILURE() << "no error";
        } catch (const Module1::BindingError &e) {
            EXPECT_EQ(e.library(), "unlha32");
            EXPECT_EQ(e.entry(), "");
            EXPECT_NE(std::string(e.what()).find("libunlha32.so"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(Module1::Unlha(1, "e a.lzh b/", g_empty, 0), Module1::BindingError);
    EXPECT_EQ(bound(), 0);
}

TEST(Module1, MissingEntryRaisesOnlyForThatEntry) {
    EXPECT_EQ(Module1::UnlhaGetVersion(), 99);
    try {
        Module1::Unlha(1, "e a.lzh b/", g_empty, 0);
        ADD_FAILURE() << "no error";
    } catch (const Module1::BindingError &e) {
        EXPECT_EQ(e.entry(), "Unlha");
        EXPECT_NE(std::string(e.what()).find("Unlha"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Module1::UnlhaGetVersion(), 99);
    EXPECT_EQ(bound(), 1);
}

int replacementVersion() {
    return 7;
}

TEST(Module1, EachEntryIsLookedUpOnItsOwnFirstCallOnly) {
    auto &version = *declared("UnlhaGetVersion");
    EXPECT_EQ(Module1::UnlhaGetVersion(), 100);
    EXPECT_EQ(bound(), 1);
    void *library = ::dlopen("libunlha32.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(version.address, ::dlsym(library, "UnlhaGetVersion"));

    // A later call goes where the record points, without a new look-up.
    void *found = version.address;
    version.address = reinterpret_cast<void *>(&replacementVersion);
    EXPECT_EQ(Module1::UnlhaGetVersion(), 7);
    version.address = found;

    EXPECT_EQ(Module1::Unlha(5, "e a.lzh b/", g_empty, 0), 0);
    EXPECT_EQ(declared("Unlha")->address, ::dlsym(library, "Unlha"));
    EXPECT_EQ(bound(), 2);
    ::dlclose(library);
}

} // namespace
