// SPDX-License-Identifier: MIT
#pragma once
// One extraction run: writes the members of a scanned archive under a
// destination, in archive order, while the pipeline decodes ahead.
#include "decode_jobs.h"
#include "destination.h"
#include "pipeline.h"
#include "scan.h"

#include <optional>
#include <vector>

namespace lha {

// Whether anything may be written for the member, by what the archive says
// of it: its name, its data not cut short, a method the engine knows, a link
// that stays inside. False with outcome saying why not. What the destination
// holds is met only when writing.
bool mayBeWritten(const Entry &entry, MemberOutcome &outcome);

class Extractor {
public:
    // Past this, waiting links are made and waiting folders get their times
    // and modes before the run ends. Links are still made after the files
    // before them, and no write follows one; only a later member inside a
    // folder whose mode or time was already set can then fail or change the
    // time.
    static constexpr std::size_t kMostPendingBytes = 4 * 1024 * 1024;

    // total: the original bytes of every member to be written, for progress.
    Extractor(const ArchiveSource &source, Destination &destination, const Options &options,
              uint64_t total);
    // Writes the next members of the archive, in order; links, and the times
    // and modes of folders, wait for finish() unless there are so many that
    // holding them would cost more than kMostPendingBytes.
    void extract(std::vector<Entry> batch);
    Result finish();

private:
    static constexpr std::size_t kMostPendingLinks = kMostPendingBytes / sizeof(Entry) + 1;
    struct Folder {
        std::vector<std::string> path;
        std::optional<uint32_t> mode;
        std::optional<timespec> mtime;
    };
    enum class Choice { Replace, Skip, Cancel };
    // A link, made once every file is written; its outcome is listed in
    // archive order and filled in then.
    struct PendingLink {
        Entry entry;
        std::size_t outcome;
        bool made = false; // early, for a later file of the same name
    };

    void extractMember(std::size_t index);
    void extractFile(const Entry &entry, std::size_t job, MemberOutcome &outcome);
    void placeOverExisting(const Entry &entry, OutputFile &out, MemberOutcome &outcome);
    bool writeData(const Entry &entry, std::size_t job, OutputFile &out, MemberOutcome &outcome);
    mode_t fileMode(const Entry &entry) const;
    void extractFolder(const Entry &entry, MemberOutcome &outcome);
    void extractLink(const Entry &entry, MemberOutcome &outcome);
    bool replaceWithLink(int folder, const Entry &entry, MemberOutcome &outcome);
    void notExtracted(std::size_t index);
    // Counts what a waiting link or folder holds; past the budget, makes
    // what waits.
    void hold(std::size_t bytes);
    void makeLinks();
    void makeLinksAt(const std::vector<std::string> &path);
    void finishFolders();
    Choice askOverwrite(const MemberInfo &member);
    void choseCancel(MemberOutcome &outcome);
    bool stopping() const;
    bool cancelled() const;
    void fail(MemberOutcome &outcome, const WriteFailure &failure);
    void reportProgress(const std::string &name);

    const ArchiveSource &m_source;
    std::vector<Entry> m_entries; // the batch being written
    Destination &m_destination;
    const Options &m_options;
    DecodeJobs m_jobs;
    std::optional<DecodePipeline> m_pipeline;
    Result m_result;
    std::vector<Folder> m_folders;
    std::vector<PendingLink> m_links;
    PathHashSet m_linkPaths{kMostPendingLinks}; // of m_links
    std::size_t m_pendingBytes = 0;             // held by m_folders and m_links
    uint64_t m_total = 0;
    bool m_replaceAll = false;
    bool m_skipAll = false;
    bool m_stopped = false;     // cancelled by the caller's answer, or the disk gave out
    bool m_diskGaveOut = false; // a failure that every later member would meet
    uint64_t m_done = 0;
};

} // namespace lha
