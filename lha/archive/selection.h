// SPDX-License-Identifier: MIT
#pragma once
// Narrows a scanned archive to what a run was asked for: the chosen members,
// and their names without folders when the stored folders are ignored.
#include "entry.h"
#include "path_hashes.h"

#include <string>
#include <vector>

namespace lha {

// Drops the entries options.select turns down; keeps all without one.
void keepSelected(std::vector<Entry> &entries, const Options &options);

// The names a run without folders remembers giving out. Members past that
// are refused rather than risk one member's file replacing another's.
constexpr std::size_t kMostNamesWithoutFolders = 512 * 1024;

// Reduces every path to its last component and drops folder entries. An
// entry whose reduced name an earlier one already took (this batch's or an
// earlier one's: taken holds them) is refused.
void dropStoredFolders(std::vector<Entry> &entries, PathHashSet &taken);

} // namespace lha
