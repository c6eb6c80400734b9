// SPDX-License-Identifier: MIT
#include "holdable_name.h"

namespace lha {

std::string holdableName(std::string name) {
    std::size_t nul = name.find('\0');
    while (nul != std::string::npos) {
        name.replace(nul, 1, "%00");
        nul = name.find('\0', nul + 3);
    }
    return name;
}

} // namespace lha
