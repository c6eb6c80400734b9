// SPDX-License-Identifier: MIT
#pragma once
// Decides whether a symbolic link from the archive may be created.
#include <string>
#include <vector>

namespace lha {

// True when a link at linkPath (components under the destination) pointing
// at target resolves inside the destination whatever other links it passes:
// target must be relative, and ".." may only lead it, climbing no higher
// than the link's own folder depth. Otherwise why says what is wrong.
bool linkStaysInside(const std::vector<std::string> &linkPath, const std::string &target,
                     std::string &why);

} // namespace lha
