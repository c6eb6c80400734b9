// SPDX-License-Identifier: MIT
#pragma once
// The run core under extract, test and print. It walks the members a run
// takes part in, in archive order, while one pipeline decodes their data a
// batch or two ahead; a strategy (the Extractor writes, the Tester checks or
// hands the bytes to a sink) decides what becomes of each member and of its
// bytes. What every run shares lives here: the checks made of a member
// before its data is decoded, the progress total, cancel, and passing the
// bytes on.
#include "cursor.h"
#include "member_checks.h"
#include "pipeline.h"
#include "run_context.h"
#include "scan.h"

#include <functional>

namespace lha {

class MemberRun {
public:
    // The job of a member whose data is not decoded.
    static constexpr std::size_t kNoData = SIZE_MAX;

    // What the pipeline's calling thread does for a run of this purpose. A
    // check whose bytes go nowhere (bytesWanted false) is given none: only
    // their count, through follow().
    static DecodePipeline::CallerWork callerWork(Purpose purpose, bool bytesWanted);
    // The pipeline is made for callerWork(purpose, ...), and may hold jobs
    // prefetched while the scan surveyed the archive.
    MemberRun(DecodePipeline &pipeline, Scan &scan, const RunOptions &options, Narrowing narrowing,
              Purpose purpose);

    // Hands each member to visit in archive order, with the job of its data
    // (kNoData when it is not decoded), until visit returns false. A job
    // visit did not finish with outcome() is dropped after it.
    void forEach(const std::function<bool(const Entry &, std::size_t job)> &visit);

    // Passes the member's bytes to take in order, counting them for
    // progress; false when take refused one or the run was cancelled.
    bool take(std::size_t job, const std::string &name, const ChunkTaker &take);
    // As take() for a run that wants no bytes: counts them for progress
    // as they are decoded; false when the run was cancelled.
    bool follow(std::size_t job, const std::string &name);
    // How the member's data checked out; the job is then finished.
    DecodeOutcome outcome(std::size_t job) {
        m_finished = job;
        return m_pipeline.outcome(job);
    }
    void drop(std::size_t job) { m_pipeline.drop(job); }
    // Large members of an extraction may be decoded early into files made
    // by `make`; see DecodePipeline::spoolWith.
    void spoolWith(DecodePipeline::SpoolMaker make) { m_pipeline.spoolWith(std::move(make)); }
    bool spooled(std::size_t job) { return m_pipeline.spooled(job); }
    // The member's spooled file and verified outcome; the job is then
    // finished.
    DecodePipeline::Spooled takeSpooled(std::size_t job) {
        m_finished = job;
        return m_pipeline.takeSpooled(job);
    }
    // A small member's bytes with its verified outcome, counted for
    // progress; the job is then finished. Nothing for a large member, whose
    // bytes take() passes on as they come.
    std::optional<DecodePipeline::WholeMember> takeWhole(std::size_t job, const std::string &name);
    // Stops the decoding ahead; on cancel and when the run cannot go on.
    void stop() { m_pipeline.stop(); }

    RunContext &context() { return m_context; }
    bool cancelled() const { return m_context.cancelled(); }

private:
    struct Batch {
        std::vector<Entry> entries;
        std::vector<std::size_t> jobs; // of each entry
    };
    Batch read(Cursor &cursor);
    uint64_t decodedTotal();

    Scan &m_scan;
    Narrowing m_narrowing;
    Purpose m_purpose;
    std::size_t m_finished = kNoData; // the last job outcome() was asked for
    DecodePipeline &m_pipeline;
    RunContext m_context;
};

} // namespace lha
