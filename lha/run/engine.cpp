// SPDX-License-Identifier: MIT
// The engine's entry points: list, test and extract an archive.
#include "charset.h"
#include "cursor.h"
#include "extractor.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "member_checks.h"
#include "scan.h"
#include "tester.h"

#include <memory>
#include <new>

namespace lha {
namespace {

// What the walk over the headers found: where the archive starts, what it
// passed over, and a damaged header, which ends the walk but keeps the
// members before it.
void addScanFindings(Result &result, const Scan &scan) {
    const ScanFindings &found = scan.findings();
    result.archiveStart = found.start;
    result.warning = found.warning;
    if (found.error != Error::None && result.error == Error::None) {
        result.error = found.error;
        result.message = found.message;
    }
}

Result failed(Error error, std::string message) {
    Result result;
    result.error = error;
    result.message = std::move(message);
    return result;
}

// Runs one entry point. Memory running out anywhere in the run ends it with
// Error::OutOfMemory rather than taking the caller down; what the run wrote
// so far was checked, and a file being written is removed.
template <typename Run> Result guarded(Run run) {
    try {
        return run();
    } catch (const std::bad_alloc &) {
        return failed(Error::OutOfMemory, describe(Error::OutOfMemory));
    }
}

struct OpenArchive {
    std::unique_ptr<FileSource> source;
    // For a run that decodes: made before the scan, so that decoding starts
    // while the scan surveys the headers.
    std::unique_ptr<DecodePipeline> pipeline;
    std::unique_ptr<Scan> scan;
};

// Opens the archive and walks its headers, with a pipeline for a run whose
// calling thread does `decoding`; nullopt with failure set when it cannot be
// read at all.
std::optional<OpenArchive> openArchive(const std::filesystem::path &archive, Result &failure,
                                       const RunOptions &options,
                                       std::optional<DecodePipeline::CallerWork> decoding) {
    std::optional<Charset> charset;
    if (!options.charset.empty()) {
        charset = charsetNamed(options.charset);
        if (!charset) {
            failure =
                failed(Error::ArchiveUnreadable, "unknown charset " + printable(options.charset));
            return std::nullopt;
        }
    }
    std::string why;
    auto source = FileSource::open(archive, why);
    if (!source) {
        failure = failed(Error::ArchiveUnreadable,
                         "cannot open " + printable(archive.string()) + ": " + why);
        return std::nullopt;
    }
    OpenArchive opened{std::move(source), nullptr, nullptr};
    Scan::SurveyedData surveyed;
    if (decoding) {
        opened.pipeline =
            std::make_unique<DecodePipeline>(*opened.source, options.threads, *decoding);
        // Only a test that wants verdicts gains from decoding during the
        // survey (see DecodePipeline::prefetch), and which members a
        // selection takes is known only from their names.
        if (*decoding == DecodePipeline::CallerWork::Verdicts && !options.select)
            surveyed = [pipeline = opened.pipeline.get()](const MemberData &data) {
                pipeline->prefetch(data);
            };
    }
    opened.scan = std::make_unique<Scan>(*opened.source, charset, surveyed);
    return opened;
}

// Opens the archive and hands it to run, guarded; an archive that cannot be
// read at all is the result.
template <typename Run>
Result onArchive(const std::filesystem::path &archive, const RunOptions &options,
                 std::optional<DecodePipeline::CallerWork> decoding, Run run) {
    return guarded([&] {
        Result result;
        auto opened = openArchive(archive, result, options, decoding);
        if (!opened)
            return result;
        return run(*opened);
    });
}

DecodePipeline::CallerWork checking(const ByteSink *sink) {
    return MemberRun::callerWork(Purpose::Check, sink != nullptr);
}

// sink, when given, takes every decoded byte: that is how print() works.
Result testScanned(DecodePipeline &pipeline, Scan &scan, const TestOptions &options,
                   const ByteSink *sink = nullptr) {
    MemberRun run(pipeline, scan, options, Narrowing{options.select, false}, Purpose::Check);
    Result result = Tester(run, options, sink).testAll();
    addScanFindings(result, scan);
    return result;
}

} // namespace

bool isCharsetName(std::string_view name) {
    return charsetNamed(name).has_value();
}

Result list(const std::filesystem::path &archive,
            const std::function<void(const MemberInfo &)> &each, const RunOptions &options) {
    return onArchive(archive, options, std::nullopt, [&](OpenArchive &opened) {
        Result result;
        Scan &scan = *opened.scan;
        Cursor cursor(scan, {});
        for (auto entries = cursor.next(); !entries.empty(); entries = cursor.next())
            for (const auto &entry : entries)
                each(entry.info);
        addScanFindings(result, scan);
        return result;
    });
}

Result list(const std::filesystem::path &archive, std::vector<MemberInfo> &members) {
    members.clear();
    return list(archive, [&members](const MemberInfo &m) { members.push_back(m); });
}

Result test(const std::filesystem::path &archive, const TestOptions &options) {
    return onArchive(archive, options, checking(nullptr), [&](OpenArchive &opened) {
        return testScanned(*opened.pipeline, *opened.scan, options);
    });
}

Result print(const std::filesystem::path &archive, const TestOptions &options,
             const ByteSink &sink) {
    return onArchive(archive, options, checking(&sink), [&](OpenArchive &opened) {
        return testScanned(*opened.pipeline, *opened.scan, options, &sink);
    });
}

Result testMemory(const uint8_t *data, std::size_t size, const TestOptions &options) {
    return guarded([&] {
        MemorySource source(data, size);
        Scan scan(source);
        DecodePipeline pipeline(source, options.threads, checking(nullptr));
        return testScanned(pipeline, scan, options);
    });
}

Result testMemory(const uint8_t *data, std::size_t size, unsigned threads) {
    TestOptions options;
    options.threads = threads;
    return testMemory(data, size, options);
}

Result dryRun(const std::filesystem::path &archive, const DryRunOptions &options) {
    return onArchive(archive, options, std::nullopt, [&](OpenArchive &opened) {
        Result result;
        Scan &scan = *opened.scan;
        Cursor cursor(scan, Narrowing{options.select, options.ignoreFolders});
        for (auto entries = cursor.next(); !entries.empty(); entries = cursor.next())
            for (const Entry &e : entries) {
                MemberOutcome outcome = checkMember(e, Purpose::Write);
                if (options.tested)
                    options.tested(e.info, outcome);
                result.add(std::move(outcome));
            }
        addScanFindings(result, scan);
        return result;
    });
}

Result extract(const std::filesystem::path &archive, const std::filesystem::path &destination,
               const ExtractOptions &options) {
    const auto writing = MemberRun::callerWork(Purpose::Write, true);
    return onArchive(archive, options, writing, [&](OpenArchive &opened) {
        Result result;
        Scan &scan = *opened.scan;
        if (!scan.hasMembers() && scan.findings().error != Error::None) {
            addScanFindings(result, scan);
            return result;
        }
        std::string why;
        auto target = Destination::open(destination, why);
        if (!target)
            return failed(Error::WriteFailed, "cannot open the destination " +
                                                  printable(destination.string()) + ": " + why);
        MemberRun run(*opened.pipeline, scan, options,
                      Narrowing{options.select, options.ignoreFolders}, Purpose::Write);
        result = Extractor(run, *target, options).extractAll();
        addScanFindings(result, scan);
        return result;
    });
}

} // namespace lha
