// SPDX-License-Identifier: MIT
#pragma once
// Decodes members on worker threads while the calling thread takes their
// bytes in archive order and checks their CRC-16. Memory stays bounded:
// decoded bytes waiting for the calling thread are capped, and a large member
// is passed on in chunks.
//
// Most members of a many-file archive are small: such a member is decoded
// whole and handed over in one step, outcome included, so that it costs one
// turn of the lock and at most one wake-up of the calling thread.
#include "decode_entry.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
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
    // leaves it little to do, so it also checks each small member's CRC-16
    // (a large one's it always checks). Writing them (an extraction) is what
    // the run waits for, so the decoding threads check the small members'
    // CRC-16 and run at a lower priority than the caller, which then has a
    // core whenever it has files to write.
    enum class CallerWork { Checks, Writes };

    // jobs: indexes into entries, in the order the caller will take them.
    // Up to `threads` decoding threads (0: one per core); as many as the
    // system gives, and when it gives none, each member is decoded on the
    // calling thread as it takes the member's bytes.
    DecodePipeline(const ArchiveSource &source, const std::vector<Entry> &entries,
                   std::vector<std::size_t> jobs, unsigned threads,
                   CallerWork callerWork = CallerWork::Checks);
    ~DecodePipeline();
    DecodePipeline(const DecodePipeline &) = delete;
    DecodePipeline &operator=(const DecodePipeline &) = delete;

    // Hands the chunks of job `job` (jobs are taken in order) to take, in
    // order, until the member ends or take returns false; false in that
    // case. Once the member ended, outcome() tells how it went.
    bool take(std::size_t job, const ChunkTaker &take);
    DecodeOutcome outcome(std::size_t job);
    // The caller does not want this job's bytes: its worker stops early.
    void drop(std::size_t job);
    // Stops every worker; used on cancel and on a fatal write error.
    void stop();

private:
    struct Slot {
        // Chunks before `taken` were handed to the caller already. A plain
        // vector: a deque would allocate for every slot of every batch.
        std::vector<Chunk> chunks;
        std::size_t taken = 0;
        std::size_t bytes = 0;
        bool finished = false;
        bool dropped = false;
        bool whole = false; // small: decoded in one piece
        // The CRC-16 checked here, on the calling thread, as it takes the
        // chunks: for one large member that halves the decoding thread's work.
        bool crcByCaller = false;
        uint16_t crc = 0;
        DecodeOutcome outcome;
    };

    void work(CallerWork callerWork);
    void decodeJob(std::size_t job);
    void decodeHere(std::size_t job, const ChunkTaker &take);
    bool next(std::size_t job, Chunk &chunk);
    void decodeStreamed(std::size_t job);
    void decodeWhole(std::size_t job);
    bool push(std::size_t job, Chunk &&chunk);
    void moveHead(std::size_t job);

    const ArchiveSource &m_source;
    const std::vector<Entry> &m_entries;
    std::vector<std::size_t> m_jobs;
    std::vector<Slot> m_slots;
    std::atomic<std::size_t> m_nextJob{0};
    std::mutex m_mutex;
    std::condition_variable m_produced;
    std::condition_variable m_consumed;
    std::size_t m_queuedBytes = 0;
    std::size_t m_head = 0;
    bool m_stopped = false;
    std::vector<std::thread> m_workers;
    Chunk m_chunk; // the chunk the caller holds
};

} // namespace lha
