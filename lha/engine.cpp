// SPDX-License-Identifier: MIT
// The engine's entry points: list, test and extract an archive.
#include "charset.h"
#include "decode_jobs.h"
#include "extractor.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "pipeline.h"
#include "scan.h"
#include "selection.h"

namespace lha {
namespace {

// A damaged header ends the walk but keeps the members before it.
void addScanError(Result &result, const Scan &scan) {
    if (scan.error != Error::None && result.error == Error::None) {
        result.error = scan.error;
        result.message = scan.message;
    }
}

Result failed(Error error, std::string message) {
    Result result;
    result.error = error;
    result.message = std::move(message);
    return result;
}

struct OpenArchive {
    std::unique_ptr<FileSource> source;
    Scan scan;
};

// Opens the archive and reads the headers of the members the caller
// selected; nullopt with failure set when it cannot be read at all.
std::optional<OpenArchive> openArchive(const std::filesystem::path &archive, const Options &options,
                                       Result &failure) {
    std::string why;
    auto source = FileSource::open(archive, why);
    if (!source) {
        failure = failed(Error::ArchiveUnreadable,
                         "cannot open " + printable(archive.string()) + ": " + why);
        return std::nullopt;
    }
    Scan scan = scanArchive(*source);
    keepSelected(scan.entries, options);
    return OpenArchive{std::move(source), std::move(scan)};
}

bool cancelled(const Options &options) {
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// sink, when given, takes every decoded byte: that is how print() works.
Result testScanned(const ArchiveSource &source, const Scan &scan, const Options &options,
                   const ByteSink *sink = nullptr) {
    Result result;
    const DecodeJobs jobs = decodeJobs(scan.entries, true);
    DecodePipeline pipeline(source, scan.entries, jobs.entries, options.threads);
    uint64_t done = 0;
    auto progress = [&](const std::string &name) {
        if (options.progress)
            options.progress(Progress{name, done, jobs.total});
    };
    Chunk chunk;
    for (std::size_t i = 0; i < scan.entries.size() && !cancelled(options); ++i) {
        const Entry &e = scan.entries[i];
        MemberOutcome outcome{e.info.name, Error::None, {}};
        const std::size_t job = jobs.jobOf[i];
        if (e.truncated) {
            outcome.error = Error::Damaged;
            outcome.message = kCutShort;
        } else if (e.info.kind == MemberKind::File && job == DecodeJobs::kNone) {
            outcome.error = Error::UnsupportedMethod;
            outcome.message = "unknown method " + printable(e.info.method);
        } else if (job != DecodeJobs::kNone) {
            progress(e.info.name);
            while (!cancelled(options) && pipeline.next(job, chunk)) {
                if (sink && !(*sink)(chunk.data(), chunk.size())) {
                    result.error = Error::WriteFailed;
                    result.message = "cannot write the output";
                    break;
                }
                done += chunk.size();
                progress(e.info.name);
            }
            if (result.error != Error::None) {
                pipeline.stop();
                result.members.push_back({e.info.name, result.error, result.message});
                break;
            }
            if (cancelled(options))
                break;
            const auto decoded = pipeline.outcome(job);
            outcome.error = decoded.error;
            outcome.message = decoded.message;
        }
        result.members.push_back(std::move(outcome));
    }
    if (cancelled(options)) {
        pipeline.stop();
        result.error = Error::Cancelled;
        result.message = "cancelled";
    }
    addScanError(result, scan);
    return result;
}

} // namespace

Result list(const std::filesystem::path &archive, std::vector<MemberInfo> &members) {
    members.clear();
    Result result;
    auto opened = openArchive(archive, {}, result);
    if (!opened)
        return result;
    members.reserve(opened->scan.entries.size());
    for (auto &entry : opened->scan.entries)
        members.push_back(std::move(entry.info));
    addScanError(result, opened->scan);
    return result;
}

Result test(const std::filesystem::path &archive, const Options &options) {
    Result result;
    auto opened = openArchive(archive, options, result);
    if (!opened)
        return result;
    return testScanned(*opened->source, opened->scan, options);
}

Result print(const std::filesystem::path &archive, const Options &options, const ByteSink &sink) {
    Result result;
    auto opened = openArchive(archive, options, result);
    if (!opened)
        return result;
    return testScanned(*opened->source, opened->scan, options, &sink);
}

Result testMemory(const uint8_t *data, std::size_t size, const Options &options) {
    MemorySource source(data, size);
    Scan scan = scanArchive(source);
    keepSelected(scan.entries, options);
    return testScanned(source, scan, options);
}

Result testMemory(const uint8_t *data, std::size_t size, unsigned threads) {
    Options options;
    options.threads = threads;
    return testMemory(data, size, options);
}

Result extract(const std::filesystem::path &archive, const std::filesystem::path &destination,
               const Options &options) {
    Result result;
    auto opened = openArchive(archive, options, result);
    if (!opened)
        return result;
    Scan &scan = opened->scan;
    if (options.ignoreFolders)
        dropStoredFolders(scan.entries);
    if (scan.entries.empty() && scan.error != Error::None) {
        addScanError(result, scan);
        return result;
    }
    std::string why;
    auto target = Destination::open(destination, why);
    if (!target)
        return failed(Error::WriteFailed, "cannot open the destination " +
                                              printable(destination.string()) + ": " + why);
    result = Extractor(*opened->source, scan.entries, *target, options).run();
    addScanError(result, scan);
    return result;
}

} // namespace lha
