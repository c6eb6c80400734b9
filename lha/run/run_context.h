// SPDX-License-Identifier: MIT
#pragma once
// What every run shares, whatever it does with the bytes: the caller's
// cancel flag, and progress over the original bytes the whole run decodes.
//
// Progress is throttled here, once for every caller: a report goes out at
// the start, then when a tenth of a second or a mebibyte has passed since
// the last one, and once at the end. The library's windows post each report
// to their user-interface thread and the tool redraws a line; neither needs
// one per member of an archive of small files, nor one per chunk.
#include "lha/lha.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace lha {

class RunContext {
public:
    static constexpr std::chrono::milliseconds kReportInterval{100};
    static constexpr uint64_t kReportBytes = 1024 * 1024;

    RunContext(const RunOptions &options, uint64_t total);

    bool cancelled() const {
        return m_options.cancel && m_options.cancel->load(std::memory_order_relaxed);
    }
    // Work on the member goes on, `bytes` more of it done.
    void advance(const std::string &member, uint64_t bytes = 0);
    // The last report, with the totals as the run ended, when the last one
    // sent was behind them.
    void finish();

private:
    void report(const std::string &member);

    const RunOptions &m_options;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    uint64_t m_doneReported = 0;
    std::string m_member; // the last member met, for the report at the end
    std::chrono::steady_clock::time_point m_reportedAt;
    bool m_reported = false;
};

} // namespace lha
