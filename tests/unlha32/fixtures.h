// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the library tests, over the engine tests' archive builder:
// fixture paths, calls through the C entry, folder trees with contents.
#include "archive_builder.h"
#include "unlha32.h"

#include <map>
#include <vector>

namespace fixtures {

namespace fs = std::filesystem;
using namespace lha::testing;

inline const fs::path kData = HOKORA_TEST_DATA_DIR; // archives/ made by jLHA from files/
inline const fs::path kLh5 = kData / "archives/method-lh5.lzh"; // text, large, tiny, empty

// "e ARCHIVE DEST/" as the program writes it.
inline std::string extractCommand(const fs::path &archive, const fs::path &destination) {
    return "e " + archive.string() + " " + destination.string() + "/";
}

struct Call {
    int code = 0;
    std::string report;
};
inline Call callUnlha(const std::string &command, uint32_t hwnd = 0) {
    std::vector<char> out(1 << 16);
    const int code = Unlha(hwnd, command.c_str(), out.data(), static_cast<uint32_t>(out.size()));
    return {code, out.data()};
}

// Relative path → content for files, "<dir>" for folders.
inline std::map<std::string, std::string> contentsOf(const fs::path &root) {
    std::map<std::string, std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        tree[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<dir>" : readFile(entry.path());
    return tree;
}

// One member stored as it is: archives larger or stranger than the fixtures.
inline std::string storedArchive(const std::string &name, const std::string &data,
                                 const std::string &method = "-lh0-") {
    Member member(name, data);
    member.method = method;
    member.level = 0;
    return buildArchive({member});
}

} // namespace fixtures
