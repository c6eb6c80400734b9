// SPDX-License-Identifier: MIT
#include "tester.h"

namespace lha {

Tester::Tester(MemberRun &run, const TestOptions &options, const ByteSink *sink)
    : m_run(run), m_options(options), m_sink(sink) {}

Result Tester::testAll() {
    m_run.forEach([this](const Entry &e, std::size_t job) { return testMember(e, job); });
    m_run.context().finish();
    if (m_run.cancelled()) {
        m_result.error = Error::Cancelled;
        m_result.message = "cancelled";
    }
    return std::move(m_result);
}

// False once the run must stop: cancelled, or the sink refused bytes.
bool Tester::testMember(const Entry &e, std::size_t job) {
    MemberOutcome outcome = checkMember(e, Purpose::Check);
    bool refused = false;
    if (job != MemberRun::kNoData) {
        if (!passBytes(e, job)) {
            refused = !m_run.cancelled();
            if (refused) {
                outcome.error = m_result.error = Error::WriteFailed;
                outcome.message = m_result.message = "cannot write the output";
            }
        } else if (!m_run.cancelled()) {
            const DecodeOutcome decoded = m_run.outcome(job);
            outcome.error = decoded.error;
            outcome.message = decoded.message;
        }
    }
    if (m_run.cancelled()) {
        m_run.stop();
        return false;
    }
    if (m_options.tested)
        m_options.tested(e.info, outcome);
    m_result.add(std::move(outcome));
    if (refused)
        m_run.stop();
    return !refused;
}

// Takes the member's bytes, handing them to the sink; false when the sink
// refused them or the run was cancelled.
bool Tester::passBytes(const Entry &e, std::size_t job) {
    if (!m_sink)
        return m_run.follow(job, e.info.name);
    return m_run.take(job, e.info.name,
                      [&](const Chunk &chunk) { return (*m_sink)(chunk.data(), chunk.size()); });
}

} // namespace lha
