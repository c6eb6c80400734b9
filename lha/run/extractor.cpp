// SPDX-License-Identifier: MIT
#include "extractor.h"

#include "charset.h"
#include "decoder.h"
#include "link_target.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lha {

bool mayBeWritten(const Entry &e, MemberOutcome &outcome) {
    std::string why;
    if (!e.refusal.empty()) {
        outcome.error = Error::UnsafeName;
        outcome.message = e.refusal;
    } else if (e.truncated) {
        outcome.error = Error::Damaged;
        outcome.message = kCutShort;
    } else if (carriesData(e.info.kind) && !findMethod(e.info.method)) {
        outcome.error = Error::UnsupportedMethod;
        outcome.message = "unknown method " + printable(e.info.method);
    } else if (e.info.kind == MemberKind::Symlink &&
               !linkStaysInside(e.path, e.info.linkTarget, why)) {
        outcome.error = Error::UnsafeName;
        outcome.message = why;
    }
    return outcome.error == Error::None;
}

Extractor::Extractor(const ArchiveSource &source, Destination &destination, const Options &options,
                     uint64_t total)
    : m_source(source), m_destination(destination), m_options(options), m_total(total) {}

bool Extractor::cancelled() const {
    return m_options.cancel && m_options.cancel->load(std::memory_order_relaxed);
}

bool Extractor::stopping() const {
    return m_stopped || cancelled();
}

void Extractor::reportProgress(const std::string &name) {
    if (m_options.progress)
        m_options.progress(Progress{name, m_done, m_total});
}

void Extractor::fail(MemberOutcome &outcome, const WriteFailure &failure) {
    outcome.error = failure.error;
    outcome.message = failure.message;
    if (failure.fatal && !m_stopped) {
        m_stopped = true;
        m_diskGaveOut = true;
        m_result.error = Error::WriteFailed;
        m_result.message = printable(outcome.name) + ": " + failure.message;
    }
}

void Extractor::choseCancel(MemberOutcome &outcome) {
    m_stopped = true;
    outcome.error = m_result.error = Error::Cancelled;
    outcome.message = m_result.message = "cancelled";
}

Extractor::Choice Extractor::askOverwrite(const MemberInfo &member) {
    if (m_replaceAll)
        return Choice::Replace;
    if (m_skipAll || !m_options.overwrite)
        return Choice::Skip;
    switch (m_options.overwrite(member)) {
    case OverwriteDecision::ReplaceAll:
        m_replaceAll = true;
        return Choice::Replace;
    case OverwriteDecision::Replace:
        return Choice::Replace;
    case OverwriteDecision::SkipAll:
        m_skipAll = true;
        return Choice::Skip;
    case OverwriteDecision::Skip:
        return Choice::Skip;
    case OverwriteDecision::Cancel:
        break;
    }
    return Choice::Cancel;
}

void Extractor::extract(std::vector<Entry> batch) {
    m_entries = std::move(batch);
    m_jobs = decodeJobs(m_entries, false);
    m_pipeline.emplace(m_source, m_entries, m_jobs.entries, m_options.threads,
                       DecodePipeline::CallerWork::Writes);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (stopping())
            notExtracted(i);
        else
            extractMember(i);
    }
    m_pipeline.reset();
}

Result Extractor::finish() {
    makeLinks();
    if (!m_stopped && cancelled()) {
        m_result.error = Error::Cancelled;
        m_result.message = "cancelled";
    }
    // Cancelled or not, what was written keeps its folders' times and modes.
    finishFolders();
    return std::move(m_result);
}

// Links only after the files before them, so that no file of this archive
// is written through one.
void Extractor::makeLinks() {
    if (m_links.empty())
        return;
    const std::size_t firstOutcome = m_links.front().outcome;
    for (PendingLink &link : m_links) {
        MemberOutcome &outcome = m_result.members[link.outcome];
        if (link.made)
            continue;
        if (!stopping())
            extractLink(link.entry, outcome);
        else if (m_diskGaveOut)
            outcome = {link.entry.info.name, Error::WriteFailed,
                       "not extracted: the run stopped before it"};
        else
            outcome.name.clear(); // not reached: no outcome
    }
    m_links.clear();
    m_linkPaths = PathHashSet{kMostPendingLinks};
    // Listed whatever the count until now, to be filled in.
    m_result.relist(firstOutcome);
}

// A file after a link of the same name finds the link in its place, as it
// would in archive order: it replaces the link itself when the caller says
// so, and is never written through it.
void Extractor::makeLinksAt(const std::vector<std::string> &path) {
    if (m_links.empty() || !m_linkPaths.contains(pathHash(path, path.size())))
        return;
    for (PendingLink &link : m_links) {
        if (link.made || link.entry.path != path)
            continue;
        link.made = true;
        if (!stopping())
            extractLink(link.entry, m_result.members[link.outcome]);
    }
}

void Extractor::extractMember(std::size_t index) {
    const Entry &e = m_entries[index];
    MemberOutcome outcome{e.info.name, Error::None, {}};
    if (mayBeWritten(e, outcome)) {
        switch (e.info.kind) {
        case MemberKind::Directory:
            extractFolder(e, outcome);
            break;
        case MemberKind::Symlink:
            m_links.push_back({e, m_result.add(std::move(outcome), true)});
            m_linkPaths.insert(pathHash(e.path, e.path.size()));
            hold(heldBytes(e));
            return;
        case MemberKind::File:
            makeLinksAt(e.path);
            if (stopping()) {
                notExtracted(index);
                return;
            }
            extractFile(e, m_jobs.jobOf[index], outcome);
            break;
        case MemberKind::Device:
            break; // never created: refused with the entry
        }
    }
    m_result.add(std::move(outcome));
}

// After the disk gave out, every member left is listed, so that the report
// says what is missing; after a cancel they are simply not reached.
void Extractor::notExtracted(std::size_t index) {
    if (m_jobs.jobOf[index] != DecodeJobs::kNone && m_pipeline)
        m_pipeline->drop(m_jobs.jobOf[index]);
    if (m_diskGaveOut)
        m_result.add({m_entries[index].info.name, Error::WriteFailed,
                      "not extracted: the run stopped before it"});
}

void Extractor::extractFolder(const Entry &e, MemberOutcome &outcome) {
    if (e.path.empty())
        return; // the destination itself
    WriteFailure failure;
    if (!m_destination.openFolder(e.path, true, failure)) {
        fail(outcome, failure);
        return;
    }
    m_folders.push_back({e.path, e.info.unixMode, e.mtime});
    hold(sizeof(Folder) + heldBytes(e.path));
}

void Extractor::hold(std::size_t bytes) {
    m_pendingBytes += bytes;
    if (m_pendingBytes <= kMostPendingBytes)
        return;
    makeLinks();
    finishFolders();
}

void Extractor::extractFile(const Entry &e, std::size_t job, MemberOutcome &outcome) {
    reportProgress(e.info.name);
    OutputFile out;
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0 ||
        !out.create(folder, e.path.back(), fileMode(e), m_destination.fileCreation(), failure)) {
        fail(outcome, failure);
        m_pipeline->drop(job);
        return;
    }
    if (!writeData(e, job, out, outcome)) {
        out.discard();
        m_pipeline->drop(job);
        return;
    }
    const DecodeOutcome decoded = m_pipeline->outcome(job);
    if (decoded.error != Error::None) {
        out.discard();
        outcome.error = decoded.error;
        outcome.message = decoded.message;
        return;
    }
    const OutputFile::Committed committed = out.commit(e.mtime, e.atime, failure);
    if (committed == OutputFile::Committed::Exists)
        placeOverExisting(e, out, outcome);
    else if (committed == OutputFile::Committed::Failed)
        fail(outcome, failure);
}

// The member's name is taken: asks whether to replace what has it.
void Extractor::placeOverExisting(const Entry &e, OutputFile &out, MemberOutcome &outcome) {
    WriteFailure failure;
    switch (askOverwrite(e.info)) {
    case Choice::Skip:
        out.discard();
        outcome.error = Error::Exists;
        outcome.message = "the file exists and was not replaced";
        break;
    case Choice::Cancel:
        out.discard();
        choseCancel(outcome);
        break;
    case Choice::Replace:
        if (!out.replace(failure))
            fail(outcome, failure);
        break;
    }
}

// Writes the decoded chunks as they come; false when writing failed or the
// caller cancelled, with outcome saying which.
bool Extractor::writeData(const Entry &e, std::size_t job, OutputFile &out,
                          MemberOutcome &outcome) {
    return m_pipeline->take(job, [&](const Chunk &chunk) {
        WriteFailure failure;
        if (!out.write(chunk.data(), chunk.size(), failure)) {
            fail(outcome, failure);
            return false;
        }
        m_done += chunk.size();
        if (cancelled()) {
            outcome.error = Error::Cancelled;
            outcome.message = "cancelled";
            return false;
        }
        reportProgress(e.info.name);
        return true;
    });
}

mode_t Extractor::fileMode(const Entry &e) const {
    return e.info.unixMode ? m_destination.permissions(*e.info.unixMode)
                           : 0666 & ~m_destination.umask();
}

void Extractor::extractLink(const Entry &e, MemberOutcome &outcome) {
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0) {
        fail(outcome, failure);
        return;
    }
    const std::string &name = e.path.back();
    if (::symlinkat(e.info.linkTarget.c_str(), folder, name.c_str()) != 0) {
        if (errno != EEXIST) {
            fail(outcome, writeFailure(errno, "cannot create the link"));
            return;
        }
        if (!replaceWithLink(folder, e, outcome))
            return;
    }
    setTimes(folder, name, e.mtime, std::nullopt);
}

// The link's name is taken: a folder is kept, anything else is replaced
// when the caller says so.
bool Extractor::replaceWithLink(int folder, const Entry &e, MemberOutcome &outcome) {
    const std::string &name = e.path.back();
    struct stat st {};
    const bool isFolder =
        ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    const Choice choice = isFolder ? Choice::Skip : askOverwrite(e.info);
    if (choice == Choice::Cancel) {
        choseCancel(outcome);
        return false;
    }
    if (choice == Choice::Skip) {
        outcome.error = Error::Exists;
        outcome.message = "the name exists and was not replaced";
        return false;
    }
    WriteFailure failure;
    if (!replaceWithSymlink(folder, name, e.info.linkTarget, failure)) {
        fail(outcome, failure);
        return false;
    }
    return true;
}

// Only folders this run created: one that was there before belongs to
// someone else, and a folder member must not change its mode or time.
void Extractor::finishFolders() {
    // Deepest first, so that setting a folder's time is the last change in it.
    std::stable_sort(m_folders.begin(), m_folders.end(), [](const Folder &a, const Folder &b) {
        return a.path.size() > b.path.size();
    });
    for (const Folder &f : m_folders) {
        if (!m_destination.created(f.path))
            continue;
        WriteFailure failure;
        const UniqueFd fd = m_destination.openFolder(f.path, false, failure);
        if (!fd)
            continue;
        if (f.mode)
            ::fchmod(fd.get(), m_destination.permissions(*f.mode));
        if (f.mtime) {
            const timespec times[2] = {{0, UTIME_OMIT}, *f.mtime};
            ::futimens(fd.get(), times);
        }
    }
    m_folders.clear();
    m_pendingBytes = 0;
}

} // namespace lha
