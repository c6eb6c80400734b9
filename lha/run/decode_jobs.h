// SPDX-License-Identifier: MIT
#pragma once
// Which members of a scanned archive the pipeline decodes, in archive order.
#include "entry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lha {

struct DecodeJobs {
    static constexpr std::size_t kNone = SIZE_MAX;

    std::vector<std::size_t> entries; // the entry index of each job
    std::vector<std::size_t> jobOf;   // the job index of each entry, or kNone
    uint64_t total = 0;               // original bytes of all jobs
};

// Said of a member whose data the archive cuts short; such a member is
// not decoded, since its bytes would run on into whatever follows.
constexpr const char *kCutShort = "the archive ends inside this member";

// Files and devices carry data (a test checks a device's too); folders and
// links have none.
inline bool carriesData(MemberKind kind) {
    return kind == MemberKind::File || kind == MemberKind::Device;
}

// Members with data whose method the engine knows; a refused name is left out when
// nothing will be written for it anyway.
DecodeJobs decodeJobs(const std::vector<Entry> &entries, bool includeRefused);

} // namespace lha
