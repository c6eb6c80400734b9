// SPDX-License-Identifier: MIT
#include "pipeline.h"

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
// A member this large is worth starting early, when no decoded byte waits
// for the caller: its long decoding then runs beside the small members
// before it instead of alone after them.
constexpr uint64_t kStartsEarly = 1024 * 1024;
// Small members whose verdicts the caller takes in one turn.
constexpr std::size_t kWakeBatch = 32;
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

DecodePipeline::DecodePipeline(const ArchiveSource &source, unsigned threads, CallerWork callerWork)
    : m_source(source), m_callerWork(callerWork),
      m_threads(threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency())) {}

DecodePipeline::~DecodePipeline() {
    stop();
    for (auto &worker : m_workers)
        worker.join();
}

// As many workers as members added, up to the number wanted: an archive of
// one member gets one.
void DecodePipeline::startWorkers() {
    startWorkersUpTo(m_threads, false);
}

void DecodePipeline::startWorkersUpTo(std::size_t most, bool besideSurvey) {
    // Reserved first: a thread started must never be dropped unjoined.
    m_workers.reserve(m_threads);
    while (m_workers.size() < std::min<std::size_t>(most, m_threads) &&
           m_workers.size() < m_base + m_slots.size()) {
        try {
            m_workers.push_back(startDecodingThread([this, besideSurvey] { work(besideSurvey); }));
        } catch (const std::exception &) {
            m_threads = static_cast<unsigned>(m_workers.size()); // as many as the system gives
        }
    }
    std::lock_guard lock(m_mutex);
    m_running = m_workers.size();
}

std::size_t DecodePipeline::add(const MemberData &data) {
    std::size_t job = 0;
    {
        std::lock_guard lock(m_mutex);
        m_anyAdded = true;
        const auto claimed = claim(data);
        job = claimed ? *claimed : append(data);
    }
    m_added.notify_one();
    return job;
}

void DecodePipeline::prefetch(const MemberData &data) {
    {
        std::lock_guard lock(m_mutex);
        m_prefetchEnd = append(data) + 1;
    }
    m_added.notify_one();
    // One core is left to the survey, which the run waits for.
    const std::size_t prefetching = m_threads > 1 ? m_threads - 1 : 1;
    if (m_workers.size() < prefetching)
        startWorkersUpTo(prefetching, true);
}

std::size_t DecodePipeline::append(const MemberData &data) {
    const std::size_t job = m_base + m_slots.size();
    Slot &slot = m_slots.emplace_back(data);
    const bool startsEarly =
        m_callerWork == CallerWork::Verdicts || (m_callerWork == CallerWork::Writes && m_makeSpool);
    if (startsEarly && data.originalSize >= kStartsEarly)
        m_large.push_back(job);
    if (m_callerWork != CallerWork::Verdicts) {
        slot.whole = data.originalSize <= kWholeMember;
        slot.verifiedByCaller = VerifiedStream::coversChunks(data) &&
                                (!slot.whole || m_callerWork == CallerWork::Checks);
    }
    return job;
}

// The prefetched job of this data, dropping those before it. Data the
// prefetching did not see ends it: the jobs left are dropped, so that jobs
// stay in the caller's order.
std::optional<std::size_t> DecodePipeline::claim(const MemberData &data) {
    while (m_claimNext < m_prefetchEnd) {
        const std::size_t job = m_claimNext++;
        Slot &slot = slotOf(job);
        if (slot.data == data)
            return job;
        if (slot.data.offset < data.offset) {
            dropLocked(job);
            continue;
        }
        for (std::size_t left = job; left < m_prefetchEnd; ++left)
            dropLocked(left);
        m_claimNext = m_prefetchEnd;
    }
    return std::nullopt;
}

void DecodePipeline::work(bool besideSurvey) {
    // A worker started while the calling thread surveys the headers gives
    // way to it as well: the run waits for the survey, not for prefetching.
    if (m_callerWork == CallerWork::Writes || besideSurvey)
        lowerPriority();
    std::size_t job = 0;
    Slot *slot = nullptr;
    while (nextJob(job, slot))
        decodeJob(job, *slot);
}

// The next job no worker has taken, waiting for the caller to add one;
// false once the pipeline stopped.
bool DecodePipeline::nextJob(std::size_t &job, Slot *&slot) {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_added.wait(lock, [&] { return m_stopped || hasJob(); });
        if (m_stopped)
            return false;
        job = pickJob();
        slot = &slotOf(job);
        slot->started = true;
        if (!slot->dropped)
            return true;
        slot->finished = true;
        releaseFront();
        m_produced.notify_all();
    }
}

// Whether a job is left to start; moves the next job in order past those
// started early.
bool DecodePipeline::hasJob() {
    m_nextJob = std::max(m_nextJob, m_base);
    while (m_nextJob < m_base + m_slots.size() && slotOf(m_nextJob).started)
        ++m_nextJob;
    return m_nextJob < m_base + m_slots.size();
}

// The next job in order, or a large member ahead of it when none is being
// decoded early and another worker is left for the members in order (or
// the caller waits for none yet: it is still surveying). The member the
// caller waits for is never started early: it is taken as it was told.
std::size_t DecodePipeline::pickJob() {
    while (!m_large.empty() &&
           (m_large.front() <= std::max(m_nextJob, m_head) || slotOf(m_large.front()).started))
        m_large.pop_front();
    if ((m_running < 2 && m_anyAdded) || m_earlyBusy || m_large.empty())
        return m_nextJob++;
    Slot &slot = slotOf(m_large.front());
    if (m_callerWork == CallerWork::Writes) {
        uint64_t bytes = 0;
        for (std::size_t job = std::max(m_head, m_base); job <= m_large.front(); ++job)
            bytes += slotOf(job).data.originalSize;
        slot.spool = m_makeSpool(bytes);
        if (!slot.spool)
            return m_nextJob++;
    }
    const std::size_t job = m_large.front();
    m_large.pop_front();
    slot.early = true;
    m_earlyBusy = true;
    return job;
}

void DecodePipeline::decodeJob(std::size_t job, Slot &slot) {
    try {
        if (m_callerWork == CallerWork::Verdicts || slot.spool)
            decodeCounted(job, slot, slot.spool.get());
        else if (slot.whole)
            decodeWhole(job, slot);
        else
            decodeStreamed(job, slot);
    } catch (const std::exception &e) {
        finish(job, slot, failedBy(e));
    }
}

// The worker is done with the slot; it never touches it again.
void DecodePipeline::finish(std::size_t job, Slot &slot, DecodeOutcome outcome) {
    std::lock_guard lock(m_mutex);
    if (slot.early)
        m_earlyBusy = false;
    slot.decoded = std::move(outcome);
    slot.finished = true;
    // Wanting verdicts only, the calling thread waits for the head member
    // and maybe a few after it. Writing, it is woken at every member:
    // measured, a writer woken only for its head member extracts a
    // fortieth slower.
    if (m_callerWork != CallerWork::Verdicts || job == m_head || job == m_wakeAt)
        m_produced.notify_all();
    releaseFront();
}

// Without decoding threads: the member is decoded as its bytes are taken,
// so that a large one never waits whole in memory.
void DecodePipeline::decodeHere(Slot &slot, const ChunkTaker &take) {
    const ChunkSink sink = [&](Chunk &&chunk) {
        if (slot.verifiedByCaller)
            slot.stream.add(chunk.data(), chunk.size());
        return take(chunk);
    };
    slot.decoded = decodeMember(m_source, slot.data, sink, slot.stream, !slot.verifiedByCaller);
    slot.finished = true;
}

bool DecodePipeline::take(std::size_t job, const ChunkTaker &take) {
    if (m_workers.empty()) {
        Slot &slot = slotOf(job);
        if (slot.finished)
            return true;
        bool taken = true;
        decodeHere(slot, [&](const Chunk &chunk) { return taken = take(chunk); });
        return taken;
    }
    while (next(job, m_chunk))
        if (!take(m_chunk))
            return false;
    return true;
}

void DecodePipeline::decodeStreamed(std::size_t job, Slot &slot) {
    const ChunkSink sink = [&](Chunk &&chunk) { return push(job, slot, std::move(chunk)); };
    finish(job, slot, decodeMember(m_source, slot.data, sink, slot.stream, !slot.verifiedByCaller));
}

// Verified here and let go of, or written to the spooled file; the caller
// hears how many bytes there were.
void DecodePipeline::decodeCounted(std::size_t job, Slot &slot, OutputFile *spool) {
    const ChunkSink sink = [&](Chunk &&chunk) {
        WriteFailure failure;
        if (spool && !spool->write(chunk.data(), chunk.size(), failure)) {
            slot.spoolFailure = failure;
            return false;
        }
        std::lock_guard lock(m_mutex);
        slot.decodedBytes += chunk.size();
        // A small member's one chunk is told of by finish().
        if (job == m_head && slot.data.originalSize > kChunkSize)
            m_produced.notify_all();
        return !m_stopped && !slot.dropped;
    };
    finish(job, slot, decodeMember(m_source, slot.data, sink, slot.stream, true));
}

// The member's chunk and outcome are handed over together, once there is
// room for them; the member being written always has room.
void DecodePipeline::decodeWhole(std::size_t job, Slot &slot) {
    std::vector<Chunk> chunks;
    const ChunkSink sink = [&chunks](Chunk &&chunk) {
        chunks.push_back(std::move(chunk));
        return true;
    };
    DecodeOutcome outcome =
        decodeMember(m_source, slot.data, sink, slot.stream, !slot.verifiedByCaller);
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
    slot.decoded = std::move(outcome);
    slot.finished = true;
    // The writer waits for its head member and for the end of a batch of
    // small ones (see takeWhole), or for the queue to fill.
    if (job == m_head || job == m_wakeAt || m_queuedBytes > kResumeLevel)
        m_produced.notify_all();
    releaseFront();
}

bool DecodePipeline::push(std::size_t job, Slot &slot, Chunk &&chunk) {
    std::unique_lock lock(m_mutex);
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
    Slot &slot = slotOf(job);
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
    // The slot stays: only the caller releases it.
    if (slot.verifiedByCaller)
        slot.stream.add(chunk.data(), chunk.size());
    return true;
}

bool DecodePipeline::follow(std::size_t job,
                            const std::function<bool(std::size_t bytes)> &decoded) {
    if (m_workers.empty())
        return take(job, [&](const Chunk &chunk) { return decoded(chunk.size()); });
    std::unique_lock lock(m_mutex);
    moveHead(job);
    Slot &slot = slotOf(job);
    const bool small = slot.data.originalSize <= kChunkSize;
    if (small)
        m_wakeAt = slot.finished ? job : wakeTarget(job);
    while (true) {
        m_produced.wait(lock, [&] {
            if (m_stopped)
                return true;
            if (small)
                return slot.finished && slotOf(m_wakeAt).finished;
            return slot.decodedBytes > slot.followedBytes || slot.finished;
        });
        const auto bytes = static_cast<std::size_t>(slot.decodedBytes - slot.followedBytes);
        if (bytes == 0)
            return true;
        slot.followedBytes = slot.decodedBytes;
        lock.unlock();
        if (!decoded(bytes))
            return false;
        lock.lock();
    }
}

// Small members follow one another quickly, and the caller has little to do
// with each (a verdict, or a small file to write): woken for each it would
// sleep again at once. It is woken once the small members up to kWakeBatch
// on are decoded as well, and takes them in one turn.
std::size_t DecodePipeline::wakeTarget(std::size_t job) {
    const std::size_t end = std::min(job + kWakeBatch, m_base + m_slots.size());
    std::size_t target = job;
    while (target + 1 < end && slotOf(target + 1).data.originalSize <= kChunkSize)
        ++target;
    return target;
}

bool DecodePipeline::spooled(std::size_t job) {
    std::lock_guard lock(m_mutex);
    moveHead(job);
    return slotOf(job).spool != nullptr;
}

DecodePipeline::Spooled DecodePipeline::takeSpooled(std::size_t job) {
    std::unique_lock lock(m_mutex);
    moveHead(job);
    Slot &slot = slotOf(job);
    m_produced.wait(lock, [&] { return slot.finished || m_stopped; });
    Spooled spooled;
    if (!slot.finished) {
        spooled.outcome = {Error::Cancelled, "stopped"};
        return spooled;
    }
    spooled.file = std::move(slot.spool);
    spooled.failure = slot.spoolFailure;
    spooled.outcome = slot.stream.verdict(slot.decoded);
    slot.released = true;
    releaseFront();
    return spooled;
}

DecodeOutcome DecodePipeline::outcome(std::size_t job) {
    if (m_workers.empty()) {
        Slot &slot = slotOf(job);
        if (!slot.finished && !m_stopped)
            decodeHere(slot, [](const Chunk &) { return true; });
    }
    std::unique_lock lock(m_mutex);
    moveHead(job);
    Slot &slot = slotOf(job);
    m_produced.wait(lock, [&] { return slot.finished || m_stopped; });
    if (!slot.finished)
        return {Error::Cancelled, "stopped"};
    DecodeOutcome outcome = slot.stream.verdict(slot.decoded);
    slot.released = true;
    releaseFront();
    return outcome;
}

std::optional<DecodePipeline::WholeMember> DecodePipeline::takeWhole(std::size_t job) {
    WholeMember member;
    if (m_workers.empty()) {
        Slot &slot = slotOf(job);
        if (!slot.whole)
            return std::nullopt;
        decodeHere(slot, [&](const Chunk &chunk) {
            member.chunks.push_back(chunk);
            return true;
        });
        member.outcome = slot.stream.verdict(slot.decoded);
        slot.released = true;
        releaseFront();
        return member;
    }
    std::unique_lock lock(m_mutex);
    Slot &slot = slotOf(job);
    if (!slot.whole)
        return std::nullopt;
    moveHead(job);
    // A writer that caught up with the decoding waits for a batch of small
    // members (see wakeTarget); a queue past kResumeLevel ends the wait
    // too, since the decoding threads may then be waiting for room.
    m_wakeAt = slot.finished ? job : wakeTarget(job);
    m_produced.wait(lock, [&] {
        return m_stopped ||
               (slot.finished && (slotOf(m_wakeAt).finished || m_queuedBytes > kResumeLevel));
    });
    if (!slot.finished)
        return WholeMember{{}, {Error::Cancelled, "stopped"}};
    member.chunks = std::move(slot.chunks);
    const bool queueWasHigh = m_queuedBytes > kResumeLevel;
    m_queuedBytes -= slot.bytes;
    if (queueWasHigh && m_queuedBytes <= kResumeLevel)
        m_consumed.notify_all();
    VerifiedStream stream = slot.stream;
    const bool verifyHere = slot.verifiedByCaller;
    const DecodeOutcome decoded = slot.decoded;
    slot.released = true;
    releaseFront();
    lock.unlock();
    if (verifyHere)
        for (const Chunk &chunk : member.chunks)
            stream.add(chunk.data(), chunk.size());
    member.outcome = stream.verdict(decoded);
    return member;
}

void DecodePipeline::drop(std::size_t job) {
    std::lock_guard lock(m_mutex);
    dropLocked(job);
}

void DecodePipeline::dropLocked(std::size_t job) {
    if (job < m_base || slotOf(job).released)
        return; // the caller is done with it already
    Slot &slot = slotOf(job);
    slot.dropped = true;
    m_queuedBytes -= slot.bytes;
    slot.bytes = 0;
    slot.chunks.clear();
    slot.taken = 0;
    if (job == m_head)
        m_head = job + 1;
    m_consumed.notify_all();
    slot.released = true;
    if (m_workers.empty())
        slot.finished = true;
    releaseFront();
}

// Lets go of the slots at the front that both sides are done with; called
// under the lock whenever either side finishes with one.
void DecodePipeline::releaseFront() {
    while (!m_slots.empty() && m_slots.front().finished && m_slots.front().released) {
        m_slots.pop_front();
        ++m_base;
    }
}

void DecodePipeline::stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_added.notify_all();
    m_consumed.notify_all();
    m_produced.notify_all();
}

} // namespace lha
