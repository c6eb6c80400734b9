// Module1 declares its 43 entries in order, each bound to "unlha32", and
// touches nothing of the library until a call.
#include "extract/Module1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Module1Declarations, AllEntriesInOrderAndNothingBoundAtStart) {
    const std::vector<std::string> expected = {
        "UnlhaGetVersion",
        "UnlhaGetSubVersion",
        "UnlhaGetRunning",
        "UnlhaGetBackGroundMode",
        "UnlhaSetBackGroundMode",
        "UnlhaGetCursorMode",
        "UnlhaSetCursorMode",
        "UnlhaGetCursorInterval",
        "UnlhaSetCursorInterval",
        "Unlha",
        "UnlhaExtractMem",
        "UnlhaCompressMem",
        "UnlhaCheckArchive",
        "UnlhaConfigDialog",
        "UnlhaGetFileCount",
        "UnlhaOpenArchive",
        "UnlhaCloseArchive",
        "UnlhaFindFirst",
        "UnlhaFindNext",
        "UnlhaGetArcFileName",
        "UnlhaGetArcFileSize",
        "UnlhaGetArcOriginalSize",
        "UnlhaGetArcCompressedSize",
        "UnlhaGetArcRatio",
        "UnlhaGetArcDate",
        "UnlhaGetArcTime",
        "UnlhaGetArcOSType",
        "UnlhaGetFileName",
        "UnlhaGetMethod",
        "UnlhaGetOriginalSize",
        "UnlhaGetCompressedSize",
        "UnlhaGetRatio",
        "UnlhaGetDate",
        "UnlhaGetTime",
        "UnlhaGetWriteTime",
        "UnlhaGetAccessTime",
        "UnlhaGetCreateTime",
        "UnlhaGetCRC",
        "UnlhaGetAttribute",
        "UnlhaGetOSType",
        "UnlhaQueryFunctionList",
        "UnlhaSetOwnerWindow",
        "UnlhaClearOwnerWindow",
    };
    std::vector<std::string> declared;
    for (const auto &d : Module1::declarations()) {
        declared.push_back(d.entry);
        EXPECT_STREQ(d.library, "unlha32");
        EXPECT_EQ(d.address, nullptr) << d.entry;
    }
    EXPECT_EQ(declared, expected);
    EXPECT_EQ(Module1::libraryFileName("unlha32"), "libunlha32.so");
}

} // namespace
