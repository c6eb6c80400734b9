// SPDX-License-Identifier: MIT
#pragma once
// The member tables of "l" and "v", and the JSON lines of --json.
#include "lha/lha.h"

#include <cstdio>
#include <vector>

namespace unlha {

// "l": sizes, ratio, method, CRC, time and name; "v" adds the header level,
// the OS, the permissions and the time to the second.
void printTable(std::FILE *out, const std::vector<lha::MemberInfo> &members, bool verbose);

// One JSON object per line and member. outcome, when given, is the member's
// test result.
void printJson(std::FILE *out, const lha::MemberInfo &member,
               const lha::MemberOutcome *outcome = nullptr);

} // namespace unlha
