// SPDX-License-Identifier: MIT
#include "decode_jobs.h"

#include "decoder.h"

namespace lha {

DecodeJobs decodeJobs(const std::vector<Entry> &entries, bool includeRefused) {
    DecodeJobs jobs;
    jobs.jobOf.assign(entries.size(), DecodeJobs::kNone);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry &e = entries[i];
        if (!carriesData(e.info.kind) || e.truncated || !findMethod(e.info.method))
            continue;
        if (!includeRefused && !e.refusal.empty())
            continue;
        jobs.jobOf[i] = jobs.entries.size();
        jobs.entries.push_back(i);
        jobs.total += e.info.originalSize;
    }
    return jobs;
}

} // namespace lha
