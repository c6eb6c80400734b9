#include "extractor.h"

#include "charset.h"
#include "link_target.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lha {

Extractor::Extractor(const ArchiveSource &source, const std::vector<Entry> &entries,
                     Destination &destination, const Options &options)
    : m_source(source), m_entries(entries), m_destination(destination), m_options(options) {}

bool Extractor::cancelled() const {
    return m_options.cancel && m_options.cancel->load(std::memory_order_relaxed);
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
        m_result.error = Error::WriteFailed;
        m_result.message = printable(outcome.name) + ": " + failure.message;
    }
}

Extractor::Choice Extractor::askOverwrite(const std::string &name) {
    if (m_replaceAll)
        return Choice::Replace;
    if (m_skipAll || !m_options.overwrite)
        return Choice::Skip;
    switch (m_options.overwrite(name)) {
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

Result Extractor::run() {
    std::vector<std::size_t> jobs;
    std::vector<std::size_t> jobOf(m_entries.size(), SIZE_MAX);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        if (e.info.kind == MemberKind::File && e.refusal.empty() && findMethod(e.info.method)) {
            jobOf[i] = jobs.size();
            jobs.push_back(i);
            m_total += e.info.original_size;
        }
    }
    m_pipeline.emplace(m_source, m_entries, jobs, m_options.threads);

    m_result.members.resize(m_entries.size());
    std::vector<std::size_t> links;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        MemberOutcome &outcome = m_result.members[i];
        if (m_stopped || cancelled()) {
            if (jobOf[i] != SIZE_MAX)
                m_pipeline->drop(jobOf[i]);
            continue;
        }
        outcome.name = e.info.name;
        if (!e.refusal.empty()) {
            outcome.error = Error::UnsafeName;
            outcome.message = e.refusal;
            continue;
        }
        switch (e.info.kind) {
        case MemberKind::Directory:
            extractFolder(e, outcome);
            break;
        case MemberKind::Symlink:
            links.push_back(i);
            break;
        case MemberKind::File:
            if (jobOf[i] == SIZE_MAX) {
                outcome.error = Error::UnsupportedMethod;
                outcome.message = "unknown method " + printable(e.info.method);
            } else {
                extractFile(i, jobOf[i], outcome);
            }
            break;
        }
    }
    m_pipeline.reset();
    // Links only now, so that no file of this archive is written through one.
    for (std::size_t i : links)
        if (!m_stopped && !cancelled())
            extractLink(m_entries[i], m_result.members[i]);
    if (!m_stopped && cancelled()) {
        m_result.error = Error::Cancelled;
        m_result.message = "cancelled";
    }
    // Cancelled or not, what was written keeps its folders' times and modes.
    finishFolders();
    // Members never reached keep no outcome.
    std::erase_if(m_result.members,
                  [](const MemberOutcome &m) { return m.name.empty() && m.error == Error::None; });
    return std::move(m_result);
}

void Extractor::extractFolder(const Entry &e, MemberOutcome &outcome) {
    if (e.path.empty())
        return; // the destination itself
    WriteFailure failure;
    const int fd = m_destination.openFolder(e.path, true, failure);
    if (fd < 0) {
        fail(outcome, failure);
        return;
    }
    ::close(fd);
    m_folders.push_back({e.path, e.info.unix_mode, e.mtime});
}

void Extractor::extractFile(std::size_t index, std::size_t job, MemberOutcome &outcome) {
    const Entry &e = m_entries[index];
    reportProgress(e.info.name);
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0) {
        m_pipeline->drop(job);
        fail(outcome, failure);
        return;
    }
    OutputFile out;
    auto opened = out.create(folder, e.path.back(), m_replaceAll, failure);
    if (opened == OutputFile::Opened::Exists) {
        switch (askOverwrite(e.info.name)) {
        case Choice::Skip:
            m_pipeline->drop(job);
            outcome.error = Error::Exists;
            outcome.message = "the file exists and was not replaced";
            return;
        case Choice::Cancel:
            m_pipeline->drop(job);
            m_stopped = true;
            outcome.error = m_result.error = Error::Cancelled;
            outcome.message = m_result.message = "cancelled";
            return;
        case Choice::Replace:
            opened = out.create(folder, e.path.back(), true, failure);
            break;
        }
    }
    if (opened != OutputFile::Opened::Ok) {
        m_pipeline->drop(job);
        fail(outcome, failure);
        return;
    }
    Chunk chunk;
    while (m_pipeline->next(job, chunk)) {
        if (!out.write(chunk.data(), chunk.size(), failure)) {
            out.discard();
            m_pipeline->drop(job);
            fail(outcome, failure);
            return;
        }
        m_done += chunk.size();
        if (cancelled()) {
            out.discard();
            m_pipeline->drop(job);
            outcome.error = Error::Cancelled;
            outcome.message = "cancelled";
            return;
        }
        reportProgress(e.info.name);
    }
    const DecodeOutcome decoded = m_pipeline->outcome(job);
    if (decoded.error != Error::None) {
        out.discard();
        outcome.error = decoded.error;
        outcome.message = decoded.message;
        return;
    }
    std::optional<mode_t> mode;
    if (e.info.unix_mode) {
        const mode_t wanted = m_destination.permissions(*e.info.unix_mode);
        // The file was created with 0666 under the umask; change it only when
        // the archive asks for something else.
        if (wanted != (0666 & ~m_destination.umask()))
            mode = wanted;
    }
    if (!out.commit(mode, e.mtime, e.atime, failure))
        fail(outcome, failure);
}

void Extractor::extractLink(const Entry &e, MemberOutcome &outcome) {
    std::string why;
    if (!linkStaysInside(e.path, e.info.link_target, why)) {
        outcome.error = Error::UnsafeName;
        outcome.message = why;
        return;
    }
    WriteFailure failure;
    const int folder = m_destination.folderOf(e.path, failure);
    if (folder < 0) {
        fail(outcome, failure);
        return;
    }
    const std::string &name = e.path.back();
    const char *target = e.info.link_target.c_str();
    if (::symlinkat(target, folder, name.c_str()) != 0) {
        if (errno != EEXIST) {
            fail(outcome, writeFailure(errno, "cannot create the link"));
            return;
        }
        struct stat st {};
        const bool isFolder =
            ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        const Choice choice = isFolder ? Choice::Skip : askOverwrite(e.info.name);
        if (choice != Choice::Replace) {
            outcome.error = choice == Choice::Cancel ? Error::Cancelled : Error::Exists;
            outcome.message =
                choice == Choice::Cancel ? "cancelled" : "the name exists and was not replaced";
            if (choice == Choice::Cancel)
                m_stopped = true, m_result.error = Error::Cancelled, m_result.message = "cancelled";
            return;
        }
        std::string temp(".");
        temp.append(name, 0, 200).append(".hokora-link");
        ::unlinkat(folder, temp.c_str(), 0);
        if (::symlinkat(target, folder, temp.c_str()) != 0 ||
            ::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
            fail(outcome, writeFailure(errno, "cannot replace with the link"));
            ::unlinkat(folder, temp.c_str(), 0);
            return;
        }
    }
    setTimes(folder, name, e.mtime, std::nullopt);
}

void Extractor::finishFolders() {
    // Deepest first, so that setting a folder's time is the last change in it.
    std::stable_sort(m_folders.begin(), m_folders.end(), [](const Folder &a, const Folder &b) {
        return a.path.size() > b.path.size();
    });
    for (const Folder &f : m_folders) {
        WriteFailure failure;
        const int fd = m_destination.openFolder(f.path, false, failure);
        if (fd < 0)
            continue;
        if (f.mode)
            ::fchmod(fd, m_destination.permissions(*f.mode));
        if (f.mtime) {
            const timespec times[2] = {{0, UTIME_OMIT}, *f.mtime};
            ::futimens(fd, times);
        }
        ::close(fd);
    }
}

} // namespace lha
