// SPDX-License-Identifier: MIT
#pragma once
// What a run decides about a member from the archive alone, before any byte
// of it is decoded or written: whether it takes part at all, and whether its
// data is decoded.
#include "entry.h"
#include "lha/lha.h"

namespace lha {

// What the run does with the members' bytes. A check (test, print) decodes
// every member with data whatever its name, since nothing is written; a
// write (extract, dry run) first refuses what must not be written.
enum class Purpose { Check, Write };

// Files and devices carry data (a check decodes a device's too); folders
// and links have none.
inline bool carriesData(MemberKind kind) {
    return kind == MemberKind::File || kind == MemberKind::Device;
}

// The member's outcome as far as the archive tells: None, or why nothing
// is done with it (a refused name or link, data cut short, an unknown
// method). What the destination holds and whether the data checks out are
// met later.
MemberOutcome checkMember(const Entry &entry, Purpose purpose);

// Whether the member's data is decoded: it has data and passed the checks.
bool decodesData(const Entry &entry, Purpose purpose);

} // namespace lha
