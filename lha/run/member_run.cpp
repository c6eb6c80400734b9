// SPDX-License-Identifier: MIT
#include "member_run.h"

namespace lha {

DecodePipeline::CallerWork MemberRun::callerWork(Purpose purpose, bool bytesWanted) {
    if (purpose == Purpose::Write)
        return DecodePipeline::CallerWork::Writes;
    return bytesWanted ? DecodePipeline::CallerWork::Checks : DecodePipeline::CallerWork::Verdicts;
}

MemberRun::MemberRun(DecodePipeline &pipeline, Scan &scan, const RunOptions &options,
                     Narrowing narrowing, Purpose purpose)
    : m_scan(scan), m_narrowing(std::move(narrowing)), m_purpose(purpose), m_pipeline(pipeline),
      m_context(options, options.progress ? decodedTotal() : 0) {}

// The original bytes the run will decode, for progress: a walk of its own,
// made only when progress is reported.
uint64_t MemberRun::decodedTotal() {
    uint64_t total = 0;
    Cursor cursor(m_scan, m_narrowing);
    for (auto entries = cursor.next(); !entries.empty(); entries = cursor.next())
        for (const Entry &e : entries)
            if (decodesData(e, m_purpose))
                total += e.info.originalSize;
    return total;
}

MemberRun::Batch MemberRun::read(Cursor &cursor) {
    Batch batch{cursor.next(), {}};
    batch.jobs.reserve(batch.entries.size());
    for (const Entry &e : batch.entries)
        batch.jobs.push_back(decodesData(e, m_purpose) ? m_pipeline.add(memberData(e)) : kNoData);
    m_pipeline.startWorkers();
    return batch;
}

void MemberRun::forEach(const std::function<bool(const Entry &, std::size_t job)> &visit) {
    Cursor cursor(m_scan, m_narrowing);
    Batch current = read(cursor);
    while (!current.entries.empty()) {
        // The next batch is queued before this one is visited, so the
        // decoding threads always have members ahead of the caller.
        Batch following = read(cursor);
        for (std::size_t i = 0; i < current.entries.size(); ++i) {
            const bool goOn = visit(current.entries[i], current.jobs[i]);
            if (current.jobs[i] != kNoData && current.jobs[i] != m_finished)
                m_pipeline.drop(current.jobs[i]);
            if (!goOn)
                return;
        }
        current = std::move(following);
    }
}

std::optional<DecodePipeline::WholeMember> MemberRun::takeWhole(std::size_t job,
                                                                const std::string &name) {
    m_context.advance(name);
    auto member = m_pipeline.takeWhole(job);
    if (!member)
        return member;
    m_finished = job;
    if (m_context.cancelled())
        return DecodePipeline::WholeMember{{}, {Error::Cancelled, "cancelled"}};
    std::size_t bytes = 0;
    for (const Chunk &chunk : member->chunks)
        bytes += chunk.size();
    m_context.advance(name, bytes);
    return member;
}

bool MemberRun::take(std::size_t job, const std::string &name, const ChunkTaker &take) {
    m_context.advance(name);
    return m_pipeline.take(job, [&](const Chunk &chunk) {
        if (m_context.cancelled() || !take(chunk))
            return false;
        m_context.advance(name, chunk.size());
        return !m_context.cancelled();
    });
}

bool MemberRun::follow(std::size_t job, const std::string &name) {
    m_context.advance(name);
    return m_pipeline.follow(job, [&](std::size_t bytes) {
        m_context.advance(name, bytes);
        return !m_context.cancelled();
    });
}

} // namespace lha
