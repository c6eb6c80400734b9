#pragma once
// One extraction run: writes the members of a scanned archive under a
// destination, in archive order, while the pipeline decodes ahead.
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

    void extractFile(std::size_t index, std::size_t job, MemberOutcome &outcome);
    void extractFolder(const Entry &entry, MemberOutcome &outcome);
    void extractLink(const Entry &entry, MemberOutcome &outcome);
    void finishFolders();
    Choice askOverwrite(const std::string &name);
    bool cancelled() const;
    void fail(MemberOutcome &outcome, const WriteFailure &failure);
    void reportProgress(const std::string &name);

    const ArchiveSource &m_source;
    const std::vector<Entry> &m_entries;
    Destination &m_destination;
    const Options &m_options;
    std::optional<DecodePipeline> m_pipeline;
    Result m_result;
    std::vector<Folder> m_folders;
    bool m_replaceAll = false;
    bool m_skipAll = false;
    bool m_stopped = false;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
};

} // namespace lha
