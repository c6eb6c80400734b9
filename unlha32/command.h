// SPDX-License-Identifier: MIT
#pragma once
// Reads the one-line command that both the archive library and the unlha tool
// accept: "e ARCHIVE DEST/", "l ARCHIVE", "t ARCHIVE".
//
// The destination of "e" is marked by the separator that ends the line. Blanks
// inside either path need no quoting: the line is split where the archive part
// names an existing file and, among such splits, where the destination is an
// existing folder. A path may also be given in double quotes. A line longer
// than two of the longest paths the system accepts is refused.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace unlha {

enum class Verb { Extract, List, Test };

struct Command {
    Verb verb = Verb::Extract;
    std::filesystem::path archive;
    std::filesystem::path destination; // empty for List and Test
};

struct CommandResult {
    Command command;
    std::string error; // why the line could not be read; empty on success
    // How the line was read when it could be read more than one way, or
    // when the destination does not exist yet; empty otherwise.
    std::string choice;

    bool ok() const { return error.empty(); }
};

// Tells whether a path names an existing regular file (or folder). The
// defaults look at the file system; tests may pass their own.
using FileProbe = std::function<bool(const std::filesystem::path &)>;

// Verbs: "e" or "x" extract (both restore the archive's folders), "l" lists,
// "t" tests; upper case is accepted too.
CommandResult parseCommand(std::string_view line, const FileProbe &isFile = {},
                           const FileProbe &isFolder = {});

} // namespace unlha
