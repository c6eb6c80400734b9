// SPDX-License-Identifier: MIT
// The engine's entry points: list, test and extract an archive.
#include "charset.h"
#include "decode_jobs.h"
#include "extractor.h"
#include "in_memory.h"
#include "lha/lha.h"
#include "scan.h"
#include "selection.h"
#include "tester.h"

#include <memory>
#include <new>

namespace lha {
namespace {

// Members read, decoded and written at a time: a run holds the entries and
// pipeline slots of one batch, whatever the archive's size.
constexpr std::size_t kBatch = 1024;
// Fewer when their names and paths are long.
constexpr std::size_t kBatchBytes = 4 * 1024 * 1024;

// What the walk over the headers found: where the archive starts, what it
// passed over, and a damaged header, which ends the walk but keeps the
// members before it.
void addScanFindings(Result &result, const Scan &scan) {
    result.archiveStart = scan.start();
    result.warning = scan.warning;
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
    std::unique_ptr<Scan> scan;
};

// Opens the archive and walks its headers; nullopt with failure set when it
// cannot be read at all.
std::optional<OpenArchive> openArchive(const std::filesystem::path &archive, Result &failure,
                                       const Options &options) {
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
    auto scan = std::make_unique<Scan>(*source, charset);
    return OpenArchive{std::move(source), std::move(scan)};
}

// Opens the archive and hands it to run, guarded; an archive that cannot be
// read at all is the result.
template <typename Run>
Result onArchive(const std::filesystem::path &archive, const Options &options, Run run) {
    return guarded([&] {
        Result result;
        auto opened = openArchive(archive, result, options);
        if (!opened)
            return result;
        return run(*opened);
    });
}

bool cancelled(const Options &options) {
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// Hands each batch of the members the caller selected to work, in archive
// order, until it returns false.
template <typename Work> void forEachBatch(Scan &scan, const Options &options, Work work) {
    scan.rewind();
    for (auto entries = scan.next(kBatch, kBatchBytes); !entries.empty();
         entries = scan.next(kBatch, kBatchBytes)) {
        keepSelected(entries, options);
        if (!work(entries))
            return;
    }
}

// The original bytes the run will decode, for progress; a walk of its own
// only when progress is reported.
template <typename Prepare>
uint64_t decodedTotal(Scan &scan, const Options &options, bool includeRefused, Prepare prepare) {
    uint64_t total = 0;
    if (options.progress)
        forEachBatch(scan, options, [&](std::vector<Entry> &entries) {
            prepare(entries);
            total += decodeJobs(entries, includeRefused).total;
            return true;
        });
    return total;
}

// sink, when given, takes every decoded byte: that is how print() works.
Result testScanned(const ArchiveSource &source, Scan &scan, const Options &options,
                   const ByteSink *sink = nullptr) {
    const uint64_t total = decodedTotal(scan, options, true, [](std::vector<Entry> &) {});
    Tester tester(source, options, sink, total);
    forEachBatch(scan, options,
                 [&](const std::vector<Entry> &entries) { return tester.test(entries); });
    Result result = tester.finish();
    addScanFindings(result, scan);
    return result;
}

} // namespace

bool isCharsetName(std::string_view name) {
    return charsetNamed(name).has_value();
}

Result list(const std::filesystem::path &archive,
            const std::function<void(const MemberInfo &)> &each, const Options &options) {
    return onArchive(archive, options, [&](OpenArchive &opened) {
        Result result;
        Scan &scan = *opened.scan;
        forEachBatch(scan, Options{}, [&](const std::vector<Entry> &entries) {
            for (const auto &entry : entries)
                each(entry.info);
            return true;
        });
        addScanFindings(result, scan);
        return result;
    });
}

Result list(const std::filesystem::path &archive, std::vector<MemberInfo> &members) {
    members.clear();
    return list(archive, [&members](const MemberInfo &m) { members.push_back(m); });
}

Result test(const std::filesystem::path &archive, const Options &options) {
    return onArchive(archive, options, [&](OpenArchive &opened) {
        return testScanned(*opened.source, *opened.scan, options);
    });
}

Result print(const std::filesystem::path &archive, const Options &options, const ByteSink &sink) {
    return onArchive(archive, options, [&](OpenArchive &opened) {
        return testScanned(*opened.source, *opened.scan, options, &sink);
    });
}

Result testMemory(const uint8_t *data, std::size_t size, const Options &options) {
    return guarded([&] {
        MemorySource source(data, size);
        Scan scan(source);
        return testScanned(source, scan, options);
    });
}

Result testMemory(const uint8_t *data, std::size_t size, unsigned threads) {
    Options options;
    options.threads = threads;
    return testMemory(data, size, options);
}

Result dryRun(const std::filesystem::path &archive, const Options &options) {
    return onArchive(archive, options, [&](OpenArchive &opened) {
        Result result;
        Scan &scan = *opened.scan;
        PathHashSet taken{kMostNamesWithoutFolders};
        forEachBatch(scan, options, [&](std::vector<Entry> &entries) {
            if (options.ignoreFolders)
                dropStoredFolders(entries, taken);
            for (const Entry &e : entries) {
                MemberOutcome outcome{e.info.name, Error::None, {}};
                mayBeWritten(e, outcome);
                if (options.tested)
                    options.tested(e.info, outcome);
                result.add(std::move(outcome));
            }
            return true;
        });
        addScanFindings(result, scan);
        return result;
    });
}

Result extract(const std::filesystem::path &archive, const std::filesystem::path &destination,
               const Options &options) {
    return onArchive(archive, options, [&](OpenArchive &opened) {
        Result result;
        Scan &scan = *opened.scan;
        if (!scan.hasMembers() && scan.error != Error::None) {
            addScanFindings(result, scan);
            return result;
        }
        std::string why;
        auto target = Destination::open(destination, why);
        if (!target)
            return failed(Error::WriteFailed, "cannot open the destination " +
                                                  printable(destination.string()) + ": " + why);
        // Names taken when folders are ignored, over the whole run.
        PathHashSet taken{kMostNamesWithoutFolders};
        auto prepare = [&](std::vector<Entry> &entries) {
            if (options.ignoreFolders)
                dropStoredFolders(entries, taken);
        };
        const uint64_t total = decodedTotal(scan, options, false, prepare);
        taken = PathHashSet{kMostNamesWithoutFolders};
        Extractor extractor(*opened.source, *target, options, total);
        forEachBatch(scan, options, [&](std::vector<Entry> &entries) {
            prepare(entries);
            extractor.extract(std::move(entries));
            return !cancelled(options);
        });
        result = extractor.finish();
        addScanFindings(result, scan);
        return result;
    });
}

} // namespace lha
