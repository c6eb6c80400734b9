// SPDX-License-Identifier: MIT
#include "selection.h"

#include <algorithm>

namespace lha {

void keepSelected(std::vector<Entry> &entries, const Options &options) {
    if (!options.select)
        return;
    std::erase_if(entries, [&](const Entry &e) { return !options.select(e.info); });
}

void dropStoredFolders(std::vector<Entry> &entries, PathHashSet &taken) {
    std::erase_if(entries, [](const Entry &e) {
        return e.info.kind == MemberKind::Directory && e.refusal.empty();
    });
    for (Entry &e : entries) {
        if (!e.refusal.empty() || e.path.empty())
            continue;
        const std::string last = e.path.back();
        e.path = {last};
        switch (taken.insert(pathHash(e.path, 1))) {
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
