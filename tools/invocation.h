// SPDX-License-Identifier: MIT
#pragma once
// What the user asked unlha to do, read from its arguments.
//
// The classic LHA command letters, glued ("xqf") or dashed ("-x"), then the
// archive and the names or shell patterns of the members to work on:
//
//   unlha [-]CMD[OPTS][w=DIR] [w=DIR] [--json] ARCHIVE [PATTERN...]
//
// Each word is what the shell made of it: words are never joined, and after
// the archive every word names members, a folder too ("docs/"). The one
// exception is the line the archive library reads, "e ARCHIVE DEST/": after
// the command letter e, a last word ending in '/' is the destination, and
// blanks may split the archive's and the folder's names across words.
//
// The archive "-" is standard input.
#include "command.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace unlha {

// The archive name that stands for standard input.
inline constexpr std::string_view kStandardInput = "-";

enum class Action { Extract, List, VerboseList, Test, Print, Help, Version };

struct Invocation {
    Action action = Action::Help;
    bool quiet = false;                // q: no progress line, no per-member lines
    bool replace = false;              // f: replace existing files without asking
    bool ignoreFolders = false;        // i: write every member straight into the destination
    bool dryRun = false;               // n: tell what would be extracted, write nothing
    bool verbose = false;              // v: one line per member worked on
    bool json = false;                 // --json: one JSON object per member
    std::string charset;               // --charset NAME: how names are read; empty: guessed
    std::filesystem::path archive;     // kStandardInput: standard input
    std::filesystem::path destination; // empty: the current folder
    bool libraryForm = false;          // read as "e ARCHIVE DEST/"
    // How the classic "e ARCHIVE DEST/" form was read, when it could be read
    // more than one way or names a destination still to be made; else empty.
    std::string choice;
    std::vector<std::string> patterns; // empty: every member
};

struct ParsedArguments {
    Invocation invocation;
    std::string error; // why the arguments make no command; empty when they do

    bool ok() const { return error.empty(); }
};

// isFile tells whether a path names a regular file; the default asks the
// file system.
ParsedArguments parseArguments(const std::vector<std::string> &words,
                               const unlha::FileProbe &isFile = {});

} // namespace unlha
