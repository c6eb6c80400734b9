// SPDX-License-Identifier: MIT
#pragma once
// Walks an archive's headers from the first valid one to the end mark.
#include "entry.h"
#include "source.h"

#include <string>
#include <vector>

namespace lha {

struct Scan {
    std::vector<Entry> entries;
    Error error = Error::None; // NotAnArchive, Damaged or ArchiveUnreadable
    std::string message;
};

// The first header may sit after a self-extracting program: it is searched for
// within the first 64 KiB.
Scan scanArchive(const ArchiveSource &source);

} // namespace lha
