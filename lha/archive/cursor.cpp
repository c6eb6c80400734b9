// SPDX-License-Identifier: MIT
#include "cursor.h"

#include <algorithm>

namespace lha {
namespace {

// Members read at a time: a run holds the entries of a batch or two,
// whatever the archive's size.
constexpr std::size_t kBatch = 1024;
// Fewer when their names and paths are long.
constexpr std::size_t kBatchBytes = 4 * 1024 * 1024;

} // namespace

Cursor::Cursor(Scan &scan, Narrowing narrowing) : m_scan(scan), m_narrowing(std::move(narrowing)) {
    m_scan.rewind();
}

std::vector<Entry> Cursor::next() {
    // A batch narrowed down to nothing is not the end of the walk.
    while (true) {
        std::vector<Entry> entries = m_scan.next(kBatch, kBatchBytes);
        if (entries.empty())
            return entries;
        if (m_narrowing.select)
            std::erase_if(entries, [&](const Entry &e) { return !m_narrowing.select(e.info); });
        if (m_narrowing.ignoreFolders)
            dropStoredFolders(entries);
        if (!entries.empty())
            return entries;
    }
}

// An entry whose reduced name an earlier one already took is refused.
void Cursor::dropStoredFolders(std::vector<Entry> &entries) {
    std::erase_if(entries, [](const Entry &e) {
        return e.info.kind == MemberKind::Directory && e.refusal.empty();
    });
    for (Entry &e : entries) {
        if (!e.refusal.empty() || e.path.empty())
            continue;
        const std::string last = e.path.back();
        e.path = {last};
        switch (m_taken.insert(pathHash(e.path, 1))) {
        case PathHashSet::Inserted::New:
            break;
        case PathHashSet::Inserted::Present:
            e.refusal = "another member is already written as " + printable(last) +
                        " when folders are ignored";
            break;
        case PathHashSet::Inserted::Full:
            e.refusal = "too many members to write into one folder when folders are ignored";
            break;
        }
    }
}

} // namespace lha
