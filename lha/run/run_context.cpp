// SPDX-License-Identifier: MIT
#include "run_context.h"

namespace lha {

RunContext::RunContext(const RunOptions &options, uint64_t total)
    : m_options(options), m_total(total) {}

void RunContext::advance(const std::string &member, uint64_t bytes) {
    m_done += bytes;
    if (!m_options.progress)
        return;
    if (m_reported && m_done - m_doneReported < kReportBytes &&
        std::chrono::steady_clock::now() - m_reportedAt < kReportInterval) {
        m_member = member;
        return;
    }
    report(member);
}

void RunContext::finish() {
    if (m_options.progress && m_reported && m_done != m_doneReported)
        report(m_member);
}

void RunContext::report(const std::string &member) {
    m_member = member;
    m_reported = true;
    m_doneReported = m_done;
    m_options.progress(Progress{member, m_done, m_total});
    // Timed from when the caller is done with it: a slow receiver is not
    // handed the next report at once.
    m_reportedAt = std::chrono::steady_clock::now();
}

} // namespace lha
