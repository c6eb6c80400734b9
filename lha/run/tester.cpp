// SPDX-License-Identifier: MIT
#include "tester.h"

#include "charset.h"

namespace lha {

Tester::Tester(const ArchiveSource &source, const Options &options, const ByteSink *sink,
               uint64_t total)
    : m_source(source), m_options(options), m_sink(sink), m_total(total) {}

bool Tester::cancelled() const {
    return m_options.cancel && m_options.cancel->load(std::memory_order_relaxed);
}

void Tester::reportProgress(const std::string &name) {
    if (m_options.progress)
        m_options.progress(Progress{name, m_done, m_total});
}

void Tester::record(const Entry &e, MemberOutcome outcome) {
    if (m_options.tested)
        m_options.tested(e.info, outcome);
    m_result.add(std::move(outcome));
}

bool Tester::test(const std::vector<Entry> &batch) {
    const DecodeJobs jobs = decodeJobs(batch, true);
    DecodePipeline pipeline(m_source, batch, jobs.entries, m_options.threads);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        MemberOutcome outcome = testMember(batch[i], jobs.jobOf[i], pipeline);
        if (cancelled())
            break;
        const bool refused = m_result.error == Error::WriteFailed;
        record(batch[i], std::move(outcome));
        if (refused)
            break;
    }
    const bool goOn = !cancelled() && m_result.error == Error::None;
    if (!goOn)
        pipeline.stop();
    return goOn;
}

MemberOutcome Tester::testMember(const Entry &e, std::size_t job, DecodePipeline &pipeline) {
    MemberOutcome outcome{e.info.name, Error::None, {}};
    if (e.truncated) {
        outcome.error = Error::Damaged;
        outcome.message = kCutShort;
    } else if (carriesData(e.info.kind) && job == DecodeJobs::kNone) {
        outcome.error = Error::UnsupportedMethod;
        outcome.message = "unknown method " + printable(e.info.method);
    } else if (job != DecodeJobs::kNone) {
        if (!passBytes(e, job, pipeline)) {
            outcome.error = m_result.error;
            outcome.message = m_result.message;
        } else if (!cancelled()) {
            const DecodeOutcome decoded = pipeline.outcome(job);
            outcome.error = decoded.error;
            outcome.message = decoded.message;
        }
    }
    return outcome;
}

// Takes the member's bytes, handing them to the sink; false when the sink
// refused them, which ends the run.
bool Tester::passBytes(const Entry &e, std::size_t job, DecodePipeline &pipeline) {
    reportProgress(e.info.name);
    bool refused = false;
    pipeline.take(job, [&](const Chunk &chunk) {
        if (cancelled())
            return false;
        if (m_sink && !(*m_sink)(chunk.data(), chunk.size())) {
            refused = true;
            return false;
        }
        m_done += chunk.size();
        reportProgress(e.info.name);
        return true;
    });
    if (refused) {
        m_result.error = Error::WriteFailed;
        m_result.message = "cannot write the output";
    }
    return !refused;
}

Result Tester::finish() {
    if (cancelled()) {
        m_result.error = Error::Cancelled;
        m_result.message = "cancelled";
    }
    return std::move(m_result);
}

} // namespace lha
