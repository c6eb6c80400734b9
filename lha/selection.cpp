// SPDX-License-Identifier: MIT
#include "selection.h"

#include <algorithm>

namespace lha {

void keepSelected(std::vector<Entry> &entries, const Options &options) {
    if (!options.select)
        return;
    std::erase_if(entries, [&](const Entry &e) { return !options.select(e.info); });
}

void dropStoredFolders(std::vector<Entry> &entries, std::set<std::string> &taken) {
    std::erase_if(entries, [](const Entry &e) {
        return e.info.kind == MemberKind::Directory && e.refusal.empty();
    });
    for (Entry &e : entries) {
        if (!e.refusal.empty() || e.path.empty())
            continue;
        const std::string last = e.path.back();
        e.path = {last};
        if (!taken.insert(last).second)
            e.refusal = "another member is already written as " + printable(last) +
                        " when folders are ignored";
    }
}

} // namespace lha
