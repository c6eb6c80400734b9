// SPDX-License-Identifier: MIT
#pragma once
// One test run: decodes the members of a scanned archive in archive order
// while the pipeline decodes ahead, checking each and, for print(), handing
// its bytes on.
#include "decode_jobs.h"
#include "pipeline.h"

#include <vector>

namespace lha {

class Tester {
public:
    // sink, when given, takes every decoded byte; total: the original bytes
    // of every member to be decoded, for progress.
    Tester(const ArchiveSource &source, const Options &options, const ByteSink *sink,
           uint64_t total);
    // Tests the next members of the archive, in order; false once the run
    // must stop (cancelled, or the sink refused bytes).
    bool test(const std::vector<Entry> &batch);
    Result finish();

private:
    MemberOutcome testMember(const Entry &entry, std::size_t job, DecodePipeline &pipeline);
    bool passBytes(const Entry &entry, std::size_t job, DecodePipeline &pipeline);
    void record(const Entry &entry, MemberOutcome outcome);
    void reportProgress(const std::string &name);
    bool cancelled() const;

    const ArchiveSource &m_source;
    const Options &m_options;
    const ByteSink *m_sink;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    Result m_result;
};

} // namespace lha
