// SPDX-License-Identifier: MIT
#pragma once
// The members a run takes part in, in archive order: the scan's walk
// narrowed to what the caller chose, and names without their folders when
// the stored folders are ignored.
#include "entry.h"
#include "path_hashes.h"
#include "scan.h"

#include <functional>
#include <string>
#include <vector>

namespace lha {

// What a run narrows the archive to. select must give the same answer for
// the same member every time: a run may walk the members twice (once for
// its progress total).
struct Narrowing {
    // Members it turns down are passed over unread; all take part without one.
    std::function<bool(const MemberInfo &)> select;
    // Every path is reduced to its last component, and folders are dropped.
    bool ignoreFolders = false;
};

// The names a run without folders remembers giving out. Members past that
// are refused rather than risk one member's file replacing another's.
constexpr std::size_t kMostNamesWithoutFolders = 512 * 1024;

// A walk over the members a run takes part in, a batch at a time. It starts
// the scan's walk over from the first member: one cursor walks a scan at a
// time. What it holds (a batch, the names given out without folders) is
// bounded, whatever the archive's size.
class Cursor {
public:
    Cursor(Scan &scan, Narrowing narrowing);
    // The next members, in archive order; empty once the walk is over.
    std::vector<Entry> next();

private:
    void dropStoredFolders(std::vector<Entry> &entries);

    Scan &m_scan;
    Narrowing m_narrowing;
    // Names given out when folders are ignored, over the whole walk.
    PathHashSet m_taken{kMostNamesWithoutFolders};
};

} // namespace lha
