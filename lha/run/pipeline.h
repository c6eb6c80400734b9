// SPDX-License-Identifier: MIT
#pragma once
// Decodes members on worker threads while the calling thread takes their
// bytes in archive order. One pipeline serves a whole run: the run adds the
// members to decode as it reads them, a batch or two ahead of the one it
// takes, so the workers never wait for a batch boundary and start once.
// Memory stays bounded: decoded bytes waiting for the calling thread are
// capped, and a large member is passed on in chunks.
//
// Most members of a many-file archive are small: such a member is decoded
// whole and handed over in one step, outcome included, so that it costs one
// turn of the lock; a calling thread that waits for such members is woken
// once per batch of them.
#include "destination.h"
#include "member_data.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lha {

// Starts one decoding thread; throws std::system_error, as std::thread does,
// when the system has no thread to give. Tests put in one that fails.
using ThreadStarter = std::thread (*)(std::function<void()> work);
std::thread startThread(std::function<void()> work);
extern ThreadStarter startDecodingThread;

// Takes one chunk of a member's bytes; false to stop taking them.
using ChunkTaker = std::function<bool(const Chunk &chunk)>;

class DecodePipeline {
public:
    // What the calling thread does with the bytes. Checking them (a test)
    // leaves it little to do, so it also verifies each small member's
    // bytes (a large one's it always verifies). Writing them (an
    // extraction) is what the run waits for, so the decoding threads verify
    // the small members and run at a lower priority than the caller, which
    // then has a core whenever it has files to write. Wanting only the
    // verdicts (a test that passes the bytes nowhere), the caller gets no
    // bytes: the decoding threads verify every member and say how many bytes
    // they decoded, so that no decoded byte waits in memory, and one large
    // member at a time is started early, beside the small ones before it.
    // Writing, a large member is started early only into a file of its own
    // (see spoolWith).
    enum class CallerWork { Checks, Writes, Verdicts };

    // Up to `threads` decoding threads (0: one per core), started by
    // startWorkers(); as many as the system gives, and when it gives none,
    // each member is decoded on the calling thread as it takes its bytes.
    DecodePipeline(const ArchiveSource &source, unsigned threads, CallerWork callerWork);
    ~DecodePipeline();
    DecodePipeline(const DecodePipeline &) = delete;
    DecodePipeline &operator=(const DecodePipeline &) = delete;

    // Queues a member's data; its job number. Jobs count from 0 in the
    // order they are added, and the caller takes them in that order.
    std::size_t add(const MemberData &data);
    // For CallerWork::Verdicts, before the first add(), while the members
    // are still being surveyed: queues the data of what may be a member of
    // the run, in archive order, and starts decoding it. add() then claims
    // the job of the same data, and drops those it passes over (not files,
    // or not in the run); data it does not find ends the prefetching. One
    // core is left to the survey: of N threads wanted, N - 1 decode (at
    // least one), at a lower priority than the caller. An extraction does
    // not prefetch: its writing waits for the survey all the same, and
    // bytes decoded early would only wait in memory.
    void prefetch(const MemberData &data);
    // For CallerWork::Writes, before the first add(): makes the unnamed file
    // a large member started early is written to, so that none of its bytes
    // wait in memory; nullptr when none can be made, or when the destination
    // has no room for `bytes` (the member's and those of the members before
    // it that are still to be written), so that decoding ahead never takes
    // the room an earlier member needs. Called under the pipeline's lock, on
    // a decoding thread.
    using SpoolMaker = std::function<std::unique_ptr<OutputFile>(uint64_t bytes)>;
    void spoolWith(SpoolMaker make) { m_makeSpool = std::move(make); }
    // Whether the job's bytes went to a spooled file, which takeSpooled()
    // then hands over, rather than to take(); follow() tells of them as
    // they are decoded. The caller waits for this job from now on.
    bool spooled(std::size_t job);
    struct Spooled {
        std::unique_ptr<OutputFile> file;
        std::optional<WriteFailure> failure; // writing the spooled file failed
        DecodeOutcome outcome;
    };
    // The spooled file with the member's verified outcome; the caller is
    // then done with the job.
    Spooled takeSpooled(std::size_t job);
    // Starts the workers the jobs added so far call for; called once a batch
    // of them is queued, so that the walk over the headers is not slowed by
    // threads decoding beside it.
    void startWorkers();
    // Hands the chunks of `job` to take, in order, until the member ends or
    // take returns false; false in that case. Once the member ended,
    // outcome() tells how it went.
    bool take(std::size_t job, const ChunkTaker &take);
    // For CallerWork::Verdicts and for a spooled member, in place of
    // take(): hands the count of each batch of bytes decoded of `job` to
    // `decoded` until the member ends or decoded returns false; false in
    // that case.
    bool follow(std::size_t job, const std::function<bool(std::size_t bytes)> &decoded);
    // The member's outcome, verified; the caller is then done with the job.
    DecodeOutcome outcome(std::size_t job);
    // A small member is decoded whole: its bytes come with its verified
    // outcome, so that a file can be written knowing it checks out. The
    // caller is then done with the job. Nothing for a member decoded in a
    // stream, which take() and outcome() serve.
    struct WholeMember {
        std::vector<Chunk> chunks;
        DecodeOutcome outcome;
    };
    std::optional<WholeMember> takeWhole(std::size_t job);
    // The caller does not want this job's bytes (any more): its worker stops
    // early. Nothing to do for a job the caller is done with.
    void drop(std::size_t job);
    // Stops every worker; used on cancel and on a fatal write error.
    void stop();

private:
    struct Slot {
        explicit Slot(const MemberData &member) : data(member), stream(member) {}
        MemberData data;
        VerifiedStream stream;
        // Chunks before `taken` were handed to the caller already. A plain
        // vector: a deque would allocate for every slot.
        std::vector<Chunk> chunks;
        std::size_t taken = 0;
        std::size_t bytes = 0;
        // Verdicts and spooled members: bytes decoded, and how many of
        // them the caller was told of.
        uint64_t decodedBytes = 0;
        uint64_t followedBytes = 0;
        // Writes only: the file a member started early is written to.
        std::unique_ptr<OutputFile> spool;
        std::optional<WriteFailure> spoolFailure;
        bool finished = false; // the worker is done with the slot
        bool dropped = false;
        bool released = false; // the caller is done with the slot
        bool whole = false;    // small: decoded in one piece
        bool started = false;  // a worker took it
        bool early = false;    // started before the members ahead of it
        // Verified here, on the calling thread, as it takes the chunks: for
        // one large member that halves the decoding thread's work.
        bool verifiedByCaller = false;
        DecodeOutcome decoded;
    };

    Slot &slotOf(std::size_t job) { return m_slots[job - m_base]; }
    void startWorkersUpTo(std::size_t most, bool besideSurvey);
    std::size_t append(const MemberData &data);
    std::optional<std::size_t> claim(const MemberData &data);
    void dropLocked(std::size_t job);
    void work(bool besideSurvey);
    bool nextJob(std::size_t &job, Slot *&slot);
    bool hasJob();
    std::size_t pickJob();
    void decodeJob(std::size_t job, Slot &slot);
    void decodeHere(Slot &slot, const ChunkTaker &take);
    bool next(std::size_t job, Chunk &chunk);
    void decodeStreamed(std::size_t job, Slot &slot);
    void decodeWhole(std::size_t job, Slot &slot);
    void decodeCounted(std::size_t job, Slot &slot, OutputFile *spool);
    void finish(std::size_t job, Slot &slot, DecodeOutcome outcome);
    std::size_t wakeTarget(std::size_t job);
    bool push(std::size_t job, Slot &slot, Chunk &&chunk);
    void moveHead(std::size_t job);
    void releaseFront();

    const ArchiveSource &m_source;
    const CallerWork m_callerWork;
    unsigned m_threads = 0; // the most workers wanted
    // Jobs from m_base on; the front ones go once both sides are done with
    // them. A deque keeps every slot where it is while others come and go.
    std::deque<Slot> m_slots;
    std::size_t m_base = 0;
    std::size_t m_nextJob = 0; // the next job a worker takes
    // Prefetched jobs from m_claimNext up to m_prefetchEnd wait for add().
    std::size_t m_claimNext = 0;
    std::size_t m_prefetchEnd = 0;
    bool m_anyAdded = false;
    // Large members not yet started, to start early.
    std::deque<std::size_t> m_large;
    bool m_earlyBusy = false;
    std::size_t m_running = 0; // workers started
    SpoolMaker m_makeSpool;
    std::mutex m_mutex;
    std::condition_variable m_added;
    std::condition_variable m_produced;
    std::condition_variable m_consumed;
    std::size_t m_queuedBytes = 0;
    std::size_t m_head = 0;
    // Waiting for a small member's verdict, the caller is woken once this
    // one is decoded too: see wakeTarget().
    std::size_t m_wakeAt = 0;
    bool m_stopped = false;
    std::vector<std::thread> m_workers;
    Chunk m_chunk; // the chunk the caller holds
};

} // namespace lha
