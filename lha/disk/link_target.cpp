// SPDX-License-Identifier: MIT
#include "link_target.h"

namespace lha {

bool linkStaysInside(const std::vector<std::string> &linkPath, const std::string &target,
                     std::string &why) {
    if (target.empty()) {
        why = "the link has no target";
        return false;
    }
    if (target.find('\0') != std::string::npos) {
        why = "the link target holds a NUL byte";
        return false;
    }
    if (target.front() == '/') {
        why = "the link points at an absolute path";
        return false;
    }
    // Climbing happens only through real folders (those above the link);
    // after a named component, ".." could climb through another link.
    const std::size_t depth = linkPath.empty() ? 0 : linkPath.size() - 1;
    std::size_t climbs = 0;
    bool named = false;
    std::size_t start = 0;
    while (start <= target.size()) {
        auto end = target.find('/', start);
        if (end == std::string::npos)
            end = target.size();
        const std::string part = target.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (named) {
                why = "the link target climbs with \"..\" after a folder name";
                return false;
            }
            if (++climbs > depth) {
                why = "the link points outside the destination";
                return false;
            }
            continue;
        }
        named = true;
    }
    return true;
}

} // namespace lha
