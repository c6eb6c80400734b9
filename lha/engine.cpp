// The engine's entry points: list, test and extract an archive.
#include "charset.h"
#include "extractor.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "pipeline.h"
#include "scan.h"
#include "selection.h"

namespace lha {
namespace {

Result unreadable(const std::filesystem::path &archive, const std::string &why) {
    Result result;
    result.error = Error::ArchiveUnreadable;
    result.message = "cannot open " + printable(archive.string()) + ": " + why;
    return result;
}

// A damaged header ends the walk but keeps the members before it.
void addScanError(Result &result, const Scan &scan) {
    if (scan.error != Error::None && result.error == Error::None) {
        result.error = scan.error;
        result.message = scan.message;
    }
}

// sink, when given, takes every decoded byte: that is how print() works.
Result testSource(const ArchiveSource &source, const Options &options,
                  const ByteSink *sink = nullptr) {
    Result result;
    Scan scan = scanArchive(source);
    keepSelected(scan.entries, options);
    std::vector<std::size_t> jobs;
    uint64_t total = 0;
    for (std::size_t i = 0; i < scan.entries.size(); ++i) {
        const Entry &e = scan.entries[i];
        if (e.info.kind == MemberKind::File && findMethod(e.info.method)) {
            jobs.push_back(i);
            total += e.info.original_size;
        }
    }
    DecodePipeline pipeline(source, scan.entries, jobs, options.threads);
    std::size_t job = 0;
    uint64_t done = 0;
    Chunk chunk;
    for (std::size_t i = 0; i < scan.entries.size(); ++i) {
        const Entry &e = scan.entries[i];
        if (options.cancel && options.cancel->load()) {
            pipeline.stop();
            result.error = Error::Cancelled;
            result.message = "cancelled";
            break;
        }
        MemberOutcome outcome{e.info.name, Error::None, {}};
        if (e.info.kind != MemberKind::File) {
            result.members.push_back(std::move(outcome));
            continue;
        }
        if (job == jobs.size() || jobs[job] != i) {
            outcome.error = Error::UnsupportedMethod;
            outcome.message = "unknown method " + printable(e.info.method);
            result.members.push_back(std::move(outcome));
            continue;
        }
        if (options.progress)
            options.progress(Progress{e.info.name, done, total});
        while (pipeline.next(job, chunk)) {
            if (sink && !(*sink)(chunk.data(), chunk.size())) {
                pipeline.stop();
                result.error = Error::WriteFailed;
                result.message = "cannot write the output";
                break;
            }
            done += chunk.size();
            if (options.progress)
                options.progress(Progress{e.info.name, done, total});
        }
        if (result.error != Error::None) {
            outcome.error = result.error;
            outcome.message = result.message;
            result.members.push_back(std::move(outcome));
            break;
        }
        const auto decoded = pipeline.outcome(job++);
        outcome.error = decoded.error;
        outcome.message = decoded.message;
        result.members.push_back(std::move(outcome));
    }
    addScanError(result, scan);
    return result;
}

} // namespace

Result list(const std::filesystem::path &archive, std::vector<MemberInfo> &members) {
    members.clear();
    std::string why;
    auto source = FileSource::open(archive, why);
    if (!source)
        return unreadable(archive, why);
    const Scan scan = scanArchive(*source);
    for (const auto &entry : scan.entries)
        members.push_back(entry.info);
    Result result;
    addScanError(result, scan);
    return result;
}

Result test(const std::filesystem::path &archive, const Options &options) {
    std::string why;
    auto source = FileSource::open(archive, why);
    if (!source)
        return unreadable(archive, why);
    return testSource(*source, options);
}

Result testMemory(const uint8_t *data, std::size_t size, unsigned threads) {
    MemorySource source(data, size);
    Options options;
    options.threads = threads;
    return testSource(source, options);
}

Result print(const std::filesystem::path &archive, const Options &options, const ByteSink &sink) {
    std::string why;
    auto source = FileSource::open(archive, why);
    if (!source)
        return unreadable(archive, why);
    return testSource(*source, options, &sink);
}

Result extract(const std::filesystem::path &archive, const std::filesystem::path &destination,
               const Options &options) {
    std::string why;
    auto source = FileSource::open(archive, why);
    if (!source)
        return unreadable(archive, why);
    Scan scan = scanArchive(*source);
    keepSelected(scan.entries, options);
    if (options.ignoreFolders)
        dropStoredFolders(scan.entries);
    if (scan.entries.empty() && scan.error != Error::None) {
        Result result;
        addScanError(result, scan);
        return result;
    }
    auto target = Destination::open(destination, why);
    if (!target) {
        Result result;
        result.error = Error::WriteFailed;
        result.message =
            "cannot open the destination " + printable(destination.string()) + ": " + why;
        return result;
    }
    Result result = Extractor(*source, scan.entries, *target, options).run();
    addScanError(result, scan);
    return result;
}

} // namespace lha
