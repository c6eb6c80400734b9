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

Extractor::Extractor(MemberRun &run, Destination &destination, const ExtractOptions &options)
    : m_run(run), m_destination(destination), m_options(options) {
    // A large member decoded ahead of its turn waits in an unnamed file in
    // the destination rather than in memory.
    m_run.spoolWith([&destination](uint64_t bytes) -> std::unique_ptr<OutputFile> {
        if (!destination.hasRoomFor(bytes))
            return nullptr;
        auto file = std::make_unique<OutputFile>();
        WriteFailure failure;
        return file->spool(destination.root(), failure) ? std::move(file) : nullptr;
    });
}

bool Extractor::stopping() const {
    return m_stopped || m_run.cancelled();
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

Result Extractor::extractAll() {
    m_run.forEach([this](const Entry &e, std::size_t job) { return visit(e, job); });
    m_run.context().finish();
    makeLinks();
    if (!m_stopped && m_run.cancelled()) {
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

// After a cancel the members left are not reached; after the disk gave out
// they are listed as not extracted.
bool Extractor::visit(const Entry &e, std::size_t job) {
    if (stopping())
        notExtracted(e, job);
    else
        extractMember(e, job);
    if (!stopping())
        return true;
    m_run.stop();
    // Past a full disk the walk goes on, to list what was not extracted.
    return m_diskGaveOut && !m_run.cancelled();
}

void Extractor::extractMember(const Entry &e, std::size_t job) {
    MemberOutcome outcome = checkMember(e, Purpose::Write);
    if (outcome.error == Error::None) {
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
                notExtracted(e, job);
                return;
            }
            extractFile(e, job, outcome);
            break;
        case MemberKind::Device:
            break; // never created: refused with the entry
        }
    }
    m_result.add(std::move(outcome));
}

// After the disk gave out, every member left is listed, so that the report
// says what is missing; after a cancel they are simply not reached.
void Extractor::notExtracted(const Entry &e, std::size_t job) {
    if (job != MemberRun::kNoData)
        m_run.drop(job);
    if (m_diskGaveOut)
        m_result.add({e.info.name, Error::WriteFailed, "not extracted: the run stopped before it"});
}

void Extractor::extractFolder(const Entry &e, MemberOutcome &outcome) {
    if (e.path.empty())
        return; // the destination itself
    WriteFailure failure;
    if (m_destination.folder(e.path, e.path.size(), true, failure) < 0) {
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
    if (auto whole = m_run.takeWhole(job, e.info.name)) {
        writeWhole(e, *whole, outcome);
        return;
    }
    if (m_run.spooled(job)) {
        extractSpooled(e, job, outcome);
        return;
    }
    OutputFile out;
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0 ||
        !out.create(folder, e.path.back(), fileMode(e), m_destination.fileCreation(), failure)) {
        fail(outcome, failure);
        m_run.drop(job);
        return;
    }
    if (!writeData(e, job, out, outcome)) {
        out.discard();
        m_run.drop(job);
        return;
    }
    const DecodeOutcome decoded = m_run.outcome(job);
    if (decoded.error != Error::None) {
        out.discard();
        outcome.error = decoded.error;
        outcome.message = decoded.message;
        return;
    }
    commit(e, out, outcome);
}

// A member decoded early into an unnamed file: once it checks out, the file
// takes its place and name. One that failed its check leaves nothing.
void Extractor::extractSpooled(const Entry &e, std::size_t job, MemberOutcome &outcome) {
    if (!m_run.follow(job, e.info.name)) {
        m_run.drop(job);
        outcome.error = Error::Cancelled;
        outcome.message = "cancelled";
        return;
    }
    DecodePipeline::Spooled spooled = m_run.takeSpooled(job);
    if (spooled.failure) {
        fail(outcome, *spooled.failure);
        return;
    }
    if (spooled.outcome.error != Error::None) {
        outcome.error = spooled.outcome.error;
        outcome.message = spooled.outcome.message;
        return;
    }
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0 || !spooled.file->place(folder, e.path.back(), fileMode(e),
                                           m_destination.fileCreation(), failure)) {
        fail(outcome, failure);
        return;
    }
    commit(e, *spooled.file, outcome);
}

// A small member whose bytes checked out before anything is written: the
// file is created under its name at once. One that failed its check leaves
// nothing behind, not even its folder.
void Extractor::writeWhole(const Entry &e, const DecodePipeline::WholeMember &member,
                           MemberOutcome &outcome) {
    if (member.outcome.error != Error::None) {
        outcome.error = member.outcome.error;
        outcome.message = member.outcome.message;
        return;
    }
    std::vector<std::span<const uint8_t>> content;
    for (const Chunk &chunk : member.chunks)
        content.emplace_back(chunk.data(), chunk.size());
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0) {
        fail(outcome, failure);
        return;
    }
    switch (OutputFile::createWhole(folder, e.path.back(), fileMode(e), content, e.mtime, e.atime,
                                    failure)) {
    case OutputFile::Committed::Ok:
        return;
    case OutputFile::Committed::Failed:
        fail(outcome, failure);
        return;
    case OutputFile::Committed::Exists:
        break;
    }
    // The name is taken: written beside it first, as a large member is, then
    // put in its place if the caller says so.
    OutputFile out;
    if (!out.create(folder, e.path.back(), fileMode(e), m_destination.fileCreation(), failure)) {
        fail(outcome, failure);
        return;
    }
    for (const auto &piece : content)
        if (!out.write(piece.data(), piece.size(), failure)) {
            out.discard();
            fail(outcome, failure);
            return;
        }
    commit(e, out, outcome);
}

// Gives the checked file its name, or asks what to do when the name is taken.
void Extractor::commit(const Entry &e, OutputFile &out, MemberOutcome &outcome) {
    WriteFailure failure;
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
    const bool written = m_run.take(job, e.info.name, [&](const Chunk &chunk) {
        WriteFailure failure;
        if (out.write(chunk.data(), chunk.size(), failure))
            return true;
        fail(outcome, failure);
        return false;
    });
    if (!written && outcome.error == Error::None) {
        outcome.error = Error::Cancelled;
        outcome.message = "cancelled";
    }
    return written;
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
        const int fd = m_destination.folder(f.path, f.path.size(), false, failure);
        if (fd < 0)
            continue;
        if (f.mode)
            ::fchmod(fd, m_destination.permissions(*f.mode));
        if (f.mtime) {
            const timespec times[2] = {{0, UTIME_OMIT}, *f.mtime};
            ::futimens(fd, times);
        }
    }
    m_folders.clear();
    m_pendingBytes = 0;
}

} // namespace lha
