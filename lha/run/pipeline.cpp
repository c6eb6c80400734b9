// SPDX-License-Identifier: MIT
#include "pipeline.h"

#include "crc16.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/resource.h>

namespace lha {
namespace {

// Decoded bytes that may wait for the calling thread, over all members; the
// member being written may always hold a few chunks more, so that it can
// never wait on members behind it.
constexpr std::size_t kQueueBudget = 16 * 1024 * 1024;
constexpr std::size_t kHeadBudget = 4 * kChunkSize;
// A worker held back by the budget is woken once the queue has drained to
// this, not at every chunk taken: with small members that would be a wake-up
// (and a futex call or two) per member.
constexpr std::size_t kResumeLevel = kQueueBudget / 2;
// Members up to this size are decoded whole: one chunk at most.
constexpr uint64_t kWholeMember = kChunkSize;
// Chunks taken from a member still being decoded are let go of in groups,
// so that a long member's list neither grows with it nor shifts every time.
constexpr std::size_t kTakenKept = 16;

// How much nicer than the caller the decoding threads run while it writes: at
// 5 a decoding thread weighs about a third of the writing thread when both
// want one core. Where the scheduler weighs each session or program as a
// group (autogroup, cgroups), that only changes how the run's own threads
// share its time; elsewhere decoding also gives way to other programs.
constexpr int kWorkerNiceness = 5;
constexpr int kNicest = 19;

// The calling thread's priority (Linux gives each thread its own).
void lowerPriority() {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, 0, std::min(nice + kWorkerNiceness, kNicest));
}

// A worker's job that ended in an exception fails that member alone.
DecodeOutcome failedBy(const std::exception &e) {
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return {Error::OutOfMemory, describe(Error::OutOfMemory)};
    return {Error::Damaged, std::string("cannot decode: ") + e.what()};
}

} // namespace

std::thread startThread(std::function<void()> work) {
    return std::thread(std::move(work));
}

ThreadStarter startDecodingThread = startThread;

DecodePipeline::DecodePipeline(const ArchiveSource &source, const std::vector<Entry> &entries,
                               std::vector<std::size_t> jobs, unsigned threads,
                               CallerWork callerWork)
    : m_source(source), m_entries(entries), m_jobs(std::move(jobs)), m_slots(m_jobs.size()) {
    for (std::size_t job = 0; job < m_jobs.size(); ++job) {
        const Entry &entry = m_entries[m_jobs[job]];
        m_slots[job].whole = entry.info.originalSize <= kWholeMember;
        m_slots[job].crcByCaller =
            crcCoversChunks(entry) && (!m_slots[job].whole || callerWork == CallerWork::Checks);
    }
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, m_jobs.size()));
    // Reserved first: a thread started must never be dropped unjoined.
    m_workers.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        try {
            m_workers.push_back(startDecodingThread([this, callerWork] { work(callerWork); }));
        } catch (const std::exception &) {
            break; // as many as the system gives; none, and the caller decodes
        }
    }
}

DecodePipeline::~DecodePipeline() {
    stop();
    for (auto &worker : m_workers)
        worker.join();
}

void DecodePipeline::work(CallerWork callerWork) {
    if (callerWork == CallerWork::Writes)
        lowerPriority();
    while (true) {
        const std::size_t job = m_nextJob.fetch_add(1);
        if (job >= m_jobs.size())
            return;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return;
            if (m_slots[job].dropped) {
                m_slots[job].finished = true;
                m_produced.notify_all();
                continue;
            }
        }
        decodeJob(job);
    }
}

void DecodePipeline::decodeJob(std::size_t job) {
    try {
        if (m_slots[job].whole)
            decodeWhole(job);
        else
            decodeStreamed(job);
    } catch (const std::exception &e) {
        DecodeOutcome outcome = failedBy(e);
        std::lock_guard lock(m_mutex);
        m_slots[job].outcome = std::move(outcome);
        m_slots[job].finished = true;
        m_produced.notify_all();
    }
}

// Without decoding threads: the member is decoded as its bytes are taken,
// so that a large one never waits whole in memory.
void DecodePipeline::decodeHere(std::size_t job, const ChunkTaker &take) {
    Slot &slot = m_slots[job];
    const ChunkSink sink = [&](Chunk &&chunk) {
        if (slot.crcByCaller)
            slot.crc = crc16(slot.crc, chunk.data(), chunk.size());
        return take(chunk);
    };
    const Entry &entry = m_entries[m_jobs[job]];
    slot.outcome = slot.crcByCaller ? decodeEntryWithoutCrc(m_source, entry, sink)
                                    : decodeEntry(m_source, entry, sink);
    slot.finished = true;
}

bool DecodePipeline::take(std::size_t job, const ChunkTaker &take) {
    if (m_workers.empty()) {
        if (m_slots[job].finished)
            return true;
        bool taken = true;
        decodeHere(job, [&](const Chunk &chunk) { return taken = take(chunk); });
        return taken;
    }
    while (next(job, m_chunk))
        if (!take(m_chunk))
            return false;
    return true;
}

void DecodePipeline::decodeStreamed(std::size_t job) {
    const ChunkSink sink = [this, job](Chunk &&chunk) { return push(job, std::move(chunk)); };
    const Entry &entry = m_entries[m_jobs[job]];
    auto outcome = m_slots[job].crcByCaller ? decodeEntryWithoutCrc(m_source, entry, sink)
                                            : decodeEntry(m_source, entry, sink);
    std::lock_guard lock(m_mutex);
    m_slots[job].outcome = std::move(outcome);
    m_slots[job].finished = true;
    m_produced.notify_all();
}

// The member's chunk and outcome are handed over together, once there is
// room for them; the member being written always has room.
void DecodePipeline::decodeWhole(std::size_t job) {
    Slot &slot = m_slots[job];
    std::vector<Chunk> chunks;
    const ChunkSink sink = [&chunks](Chunk &&chunk) {
        chunks.push_back(std::move(chunk));
        return true;
    };
    const Entry &entry = m_entries[m_jobs[job]];
    DecodeOutcome outcome = slot.crcByCaller ? decodeEntryWithoutCrc(m_source, entry, sink)
                                             : decodeEntry(m_source, entry, sink);
    std::size_t bytes = 0;
    for (const Chunk &chunk : chunks)
        bytes += chunk.size();
    std::unique_lock lock(m_mutex);
    m_consumed.wait(lock, [&] {
        return m_stopped || slot.dropped || job == m_head || m_queuedBytes + bytes <= kQueueBudget;
    });
    if (!m_stopped && !slot.dropped) {
        slot.chunks = std::move(chunks);
        slot.bytes = bytes;
        m_queuedBytes += bytes;
    }
    slot.outcome = std::move(outcome);
    slot.finished = true;
    // The calling thread only ever waits for the head member.
    if (job == m_head)
        m_produced.notify_all();
}

bool DecodePipeline::push(std::size_t job, Chunk &&chunk) {
    std::unique_lock lock(m_mutex);
    Slot &slot = m_slots[job];
    m_consumed.wait(lock, [&] {
        if (m_stopped || slot.dropped)
            return true;
        if (job == m_head)
            return slot.bytes < kHeadBudget;
        return m_queuedBytes + chunk.size() <= kQueueBudget;
    });
    if (m_stopped || slot.dropped)
        return false;
    slot.bytes += chunk.size();
    m_queuedBytes += chunk.size();
    slot.chunks.push_back(std::move(chunk));
    if (job == m_head)
        m_produced.notify_all();
    return true;
}

void DecodePipeline::moveHead(std::size_t job) {
    if (job != m_head) {
        m_head = job;
        m_consumed.notify_all();
    }
}

bool DecodePipeline::next(std::size_t job, Chunk &chunk) {
    // The caller's last chunk is freed once the lock is let go: freeing
    // memory another thread allocated takes that thread's allocator lock.
    const Chunk previous = std::move(chunk);
    std::unique_lock lock(m_mutex);
    moveHead(job);
    Slot &slot = m_slots[job];
    const auto pending = [&] { return slot.taken < slot.chunks.size(); };
    m_produced.wait(lock, [&] { return pending() || slot.finished || m_stopped; });
    if (!pending())
        return false;
    chunk = std::move(slot.chunks[slot.taken++]);
    if (!pending() || slot.taken >= kTakenKept) {
        slot.chunks.erase(slot.chunks.begin(),
                          slot.chunks.begin() + static_cast<std::ptrdiff_t>(slot.taken));
        slot.taken = 0;
    }
    const bool headWasFull = slot.bytes >= kHeadBudget;
    const bool queueWasHigh = m_queuedBytes > kResumeLevel;
    slot.bytes -= chunk.size();
    m_queuedBytes -= chunk.size();
    if (headWasFull || (queueWasHigh && m_queuedBytes <= kResumeLevel))
        m_consumed.notify_all();
    lock.unlock();
    if (slot.crcByCaller)
        slot.crc = crc16(slot.crc, chunk.data(), chunk.size());
    return true;
}

DecodeOutcome DecodePipeline::outcome(std::size_t job) {
    if (m_workers.empty() && !m_slots[job].finished && !m_stopped)
        decodeHere(job, [](const Chunk &) { return true; });
    std::unique_lock lock(m_mutex);
    moveHead(job);
    Slot &slot = m_slots[job];
    m_produced.wait(lock, [&] { return slot.finished || m_stopped; });
    if (!slot.finished)
        return {Error::Cancelled, "stopped"};
    if (slot.crcByCaller && slot.outcome.error == Error::None &&
        slot.crc != m_entries[m_jobs[job]].info.crc)
        return crcMismatch(slot.outcome);
    return slot.outcome;
}

void DecodePipeline::drop(std::size_t job) {
    std::lock_guard lock(m_mutex);
    Slot &slot = m_slots[job];
    slot.dropped = true;
    m_queuedBytes -= slot.bytes;
    slot.bytes = 0;
    slot.chunks.clear();
    slot.taken = 0;
    if (job == m_head && job + 1 < m_slots.size())
        m_head = job + 1;
    m_consumed.notify_all();
}

void DecodePipeline::stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_consumed.notify_all();
    m_produced.notify_all();
}

} // namespace lha
