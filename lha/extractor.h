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

class Extractor {
public:
    Extractor(const ArchiveSource &source, const std::vector<Entry> &entries,
              Destination &destination, const Options &options);
    Result run();

private:
    struct Folder {
        std::vector<std::string> path;
        std::optional<uint32_t> mode;
        std::optional<timespec> mtime;
    };
    enum class Choice { Replace, Skip, Cancel };

    void extractMember(std::size_t index, std::vector<std::size_t> &links);
    void extractFile(const Entry &entry, std::size_t job, MemberOutcome &outcome);
    void placeOverExisting(const Entry &entry, OutputFile &out, MemberOutcome &outcome);
    bool writeData(const Entry &entry, std::size_t job, OutputFile &out, MemberOutcome &outcome);
    mode_t fileMode(const Entry &entry) const;
    void extractFolder(const Entry &entry, MemberOutcome &outcome);
    void extractLink(const Entry &entry, MemberOutcome &outcome);
    bool replaceWithLink(int folder, const Entry &entry, MemberOutcome &outcome);
    void notExtracted(std::size_t index);
    void finishFolders();
    Choice askOverwrite(const std::string &name);
    void choseCancel(MemberOutcome &outcome);
    bool stopping() const;
    bool cancelled() const;
    void fail(MemberOutcome &outcome, const WriteFailure &failure);
    void reportProgress(const std::string &name);

    const ArchiveSource &m_source;
    const std::vector<Entry> &m_entries;
    Destination &m_destination;
    const Options &m_options;
    DecodeJobs m_jobs;
    std::optional<DecodePipeline> m_pipeline;
    Result m_result;
    std::vector<Folder> m_folders;
    bool m_replaceAll = false;
    bool m_skipAll = false;
    bool m_stopped = false;     // cancelled by the caller's answer, or the disk gave out
    bool m_diskGaveOut = false; // a failure that every later member would meet
    uint64_t m_done = 0;
};

} // namespace lha
