// SPDX-License-Identifier: MIT
#pragma once
// What unlha says about itself: usage, --help and --version.
#include <string>

namespace unlha {

std::string usageText();
std::string helpText();
std::string versionText();

} // namespace unlha
