// SPDX-License-Identifier: MIT
#pragma once
// A member's header fields as text, shared by the listings and the JSON.
#include "lha/lha.h"

#include <string>

namespace unlha {

// The system that wrote the member, from the header's OS letter.
std::string osName(char osId);
// "-rw-r--r--", "drwxr-xr-x"; empty when the header carries no permissions.
std::string permissions(const lha::MemberInfo &member);
// Local time, "2001-02-03 04:05" or with seconds; dashes when unknown.
std::string localTime(const std::optional<int64_t> &mtime, bool withSeconds);
// UTC, "2001-02-03T04:05:06Z"; empty when unknown.
std::string utcTime(const std::optional<int64_t> &mtime);
// "1a2b"; dashes when the header stores no CRC.
std::string crcText(const lha::MemberInfo &member);
// The name as shown: printable, "/" after a folder, " -> target" after a link.
std::string shownName(const lha::MemberInfo &member);

} // namespace unlha
