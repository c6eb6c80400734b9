// SPDX-License-Identifier: MIT
#pragma once
// Stored names and link targets may hold bytes no path can: a NUL would cut
// the name short where the system reads it, after the engine's checks read
// it whole. Such bytes are replaced once, before anything looks at the name.
#include <string>

namespace lha {

// name with each NUL written as "%00", the escape used for control
// characters in names.
std::string holdableName(std::string name);

} // namespace lha
