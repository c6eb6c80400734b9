// SPDX-License-Identifier: MIT
#pragma once
// The run strategy of extract(): writes each member under a destination, in
// archive order, while the run decodes ahead.
#include "destination.h"
#include "member_run.h"

#include <optional>
#include <vector>

namespace lha {

class Extractor {
public:
    // Past this, waiting links are made and waiting folders get their times
    // and modes before the run ends. Links are still made after the files
    // before them, and no write follows one; only a later member inside a
    // folder whose mode or time was already set can then fail or change the
    // time.
    static constexpr std::size_t kMostPendingBytes = 4 * 1024 * 1024;

    Extractor(MemberRun &run, Destination &destination, const ExtractOptions &options);
    // Writes every member of the run; links, and the times and modes of
    // folders, wait for the end unless there are so many that holding them
    // would cost more than kMostPendingBytes.
    Result extractAll();

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

    bool visit(const Entry &entry, std::size_t job);
    void extractMember(const Entry &entry, std::size_t job);
    void extractFile(const Entry &entry, std::size_t job, MemberOutcome &outcome);
    void extractSpooled(const Entry &entry, std::size_t job, MemberOutcome &outcome);
    void writeWhole(const Entry &entry, const DecodePipeline::WholeMember &member,
                    MemberOutcome &outcome);
    void commit(const Entry &entry, OutputFile &out, MemberOutcome &outcome);
    void placeOverExisting(const Entry &entry, OutputFile &out, MemberOutcome &outcome);
    bool writeData(const Entry &entry, std::size_t job, OutputFile &out, MemberOutcome &outcome);
    mode_t fileMode(const Entry &entry) const;
    void extractFolder(const Entry &entry, MemberOutcome &outcome);
    void extractLink(const Entry &entry, MemberOutcome &outcome);
    bool replaceWithLink(int folder, const Entry &entry, MemberOutcome &outcome);
    void notExtracted(const Entry &entry, std::size_t job);
    // Counts what a waiting link or folder holds; past the budget, makes
    // what waits.
    void hold(std::size_t bytes);
    void makeLinks();
    void makeLinksAt(const std::vector<std::string> &path);
    void finishFolders();
    Choice askOverwrite(const MemberInfo &member);
    void choseCancel(MemberOutcome &outcome);
    bool stopping() const;
    void fail(MemberOutcome &outcome, const WriteFailure &failure);

    MemberRun &m_run;
    Destination &m_destination;
    const ExtractOptions &m_options;
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
};

} // namespace lha
