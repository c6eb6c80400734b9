// SPDX-License-Identifier: MIT
#pragma once
// The LHA engine: reads LHA-family archives, checks and writes their members
// under a destination directory. No UI: it reports through callbacks, which
// are always called on the thread that called the entry point.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

// Why an archive or a member failed. A member's failure does not stop the
// others; an archive-level error does.
enum class Error {
    None,
    ArchiveUnreadable, // missing, not a regular file, no permission, I/O error
    NotAnArchive,      // no valid header found
    Damaged,           // bad header, truncated data, corrupt stream, CRC mismatch
    UnsupportedMethod, // a method the engine does not know
    UnsafeName,        // refused: a name with "..", a link that leaves the destination
    WriteFailed,       // cannot create or write in the destination
    Exists,            // skipped: the file exists and was not replaced
    Cancelled,         // stopped by the caller
    OutOfMemory,       // the system gave no more memory; nothing was aborted
};

// A device is a device file, pipe or socket: listed as such, never created.
enum class MemberKind { File, Directory, Symlink, Device };

struct MemberInfo {
    std::string name;       // UTF-8, relative, '/' separators, as it will be written
    std::string linkTarget; // for symbolic links, UTF-8
    MemberKind kind = MemberKind::File;
    std::string method; // "-lh5-"
    uint64_t originalSize = 0;
    uint64_t packedSize = 0;
    uint16_t crc = 0;
    bool crcStored = true; // false for a header without a CRC field: only the size is checked
    int headerLevel = 0;
    char osId = 0;
    std::optional<int64_t> mtime;     // Unix seconds
    std::optional<uint32_t> unixMode; // type and permission bits from the Unix header
    std::string comment;              // the member's note, UTF-8; never part of a path
    std::string charset;              // what the stored name was read in: "cp932", "utf-16"
    // The name's bytes as stored (folder and name), kept when name or
    // linkTarget holds a "%", which may be stored or an escape.
    std::string storedName;
};

struct Progress {
    std::string member; // name of the member being worked on
    uint64_t done = 0;  // original bytes finished, over the whole archive
    uint64_t total = 0; // original bytes of all members
};

enum class OverwriteDecision { Replace, Skip, ReplaceAll, SkipAll, Cancel };

struct MemberOutcome {
    std::string name;
    Error error = Error::None;
    std::string message; // the cause, in English, for reports; empty on success
};

struct Result {
    // Outcomes listed in full: every one up to kListedOutcomes (and
    // kListedBytes of names and messages), then only failures up to
    // kListedMost (and kListedMostBytes), so that a run over millions of
    // members holds a bounded report. What is left out is counted.
    static constexpr std::size_t kListedOutcomes = 16 * 1024;
    static constexpr std::size_t kListedMost = 64 * 1024;
    static constexpr std::size_t kListedBytes = 2 * 1024 * 1024;
    static constexpr std::size_t kListedMostBytes = 8 * 1024 * 1024;
    static constexpr std::size_t kUnlisted = SIZE_MAX;

    Error error = Error::None;          // archive-level error, or None
    std::string message;                // its cause
    std::vector<MemberOutcome> members; // in archive order
    uint64_t unlistedSuccesses = 0;
    uint64_t unlistedFailures = 0;
    std::size_t listedBytes = 0; // what members holds
    // Something passed over that is not an error, such as members after the
    // end mark; empty when there is none.
    std::string warning = {};
    uint64_t archiveStart = 0; // where the first member starts: past a self-extractor's program

    // Adds a member's outcome; its index in members, or kUnlisted when it
    // was only counted. alwaysList keeps it whatever the count, for an
    // outcome to be filled in later.
    std::size_t add(MemberOutcome outcome, bool alwaysList = false);
    // Lists the outcomes from index `from` on again, as if they were added
    // only now that they are filled in; one with neither a name nor an
    // error is dropped (a member the run did not reach).
    void relist(std::size_t from);

    // True when the archive could be read and every member succeeded.
    bool ok() const;
    // The archive-level error, else the first member error, else None.
    Error firstError() const;
};

// What every entry point that walks the members takes.
struct RunOptions {
    // Called now and then with the running totals: at the start, at most
    // every tenth of a second or mebibyte after that, and once at the end.
    std::function<void(const Progress &)> progress;
    // Polled between chunks; when it turns true the run stops, removes the
    // partial file and reports Error::Cancelled.
    const std::atomic<bool> *cancel = nullptr;
    // Members decoded at once; 0 means one per core.
    unsigned threads = 0;
    // When set, only the members it accepts take part in the run and appear
    // in its Result; the others are passed over unread. It must give the
    // same answer for a member each time it is asked.
    std::function<bool(const MemberInfo &)> select;
    // The charset of names whose producer's own is not known (see
    // isCharsetName), read for every name stored in bytes; empty: guessed
    // from the names.
    std::string charset;
};

// Called with each member's outcome as it is known, in archive order, for
// callers that show every member whatever the count.
using MemberReport = std::function<void(const MemberInfo &, const MemberOutcome &)>;

// test() and print().
struct TestOptions : RunOptions {
    MemberReport tested;
};

// extract().
struct ExtractOptions : RunOptions {
    // Asked for each member whose file already exists, with the member's
    // facts (its name is member.name); without it the member is skipped and
    // reported as Error::Exists.
    std::function<OverwriteDecision(const MemberInfo &member)> overwrite;
    // Extraction writes every member straight into the destination under the
    // last component of its name, and makes no folders. A member whose name an
    // earlier member of the run already took is refused (Error::UnsafeName),
    // so that one member's file never replaces another's.
    bool ignoreFolders = false;
};

// dryRun(): what extract() would be given, and each member's outcome.
struct DryRunOptions : ExtractOptions {
    MemberReport tested;
};

// Whether RunOptions::charset takes this name: cp932 (shift-jis), euc-jp,
// utf-8, latin-1, cp437, cp850, mac-roman, cp1252 (windows-1252), in any
// letter case.
bool isCharsetName(std::string_view name);

// Takes a member's bytes in order; returns false when it cannot take more,
// which stops the run with Error::WriteFailed.
using ByteSink = std::function<bool(const uint8_t *data, std::size_t size)>;

// Lists the members without decoding them, handing each to `each` in
// archive order as it is read; nothing is held for the whole archive.
Result list(const std::filesystem::path &archive,
            const std::function<void(const MemberInfo &)> &each, const RunOptions &options = {});
// The same, gathering them.
Result list(const std::filesystem::path &archive, std::vector<MemberInfo> &members);
// Decodes every member and checks its size and CRC-16; writes nothing.
Result test(const std::filesystem::path &archive, const TestOptions &options = {});
// Extracts every member under destination, restoring the archive's folders.
Result extract(const std::filesystem::path &archive, const std::filesystem::path &destination,
               const ExtractOptions &options = {});

// What extract() would do, without decoding or writing anything: each member
// goes through the checks made of it before it is written (its name, its
// method, a link's target, names taken when folders are ignored), and its
// outcome is handed to options.tested in archive order. What the
// destination holds and whether the data checks out are not looked at.
Result dryRun(const std::filesystem::path &archive, const DryRunOptions &options = {});

// Decodes the members in archive order, handing each one's bytes to sink as
// they come and checking them as test() does. A member that fails its check
// has already been handed over up to the fault: its outcome says so.
Result print(const std::filesystem::path &archive, const TestOptions &options,
             const ByteSink &sink);

// A short English description of an error kind.
const char *describe(Error error);

// A name made safe to show on a terminal or in a report: each byte of a
// control character (C0, DEL, C1), of a bidirectional embedding, override or
// isolate (U+202A-U+202E, U+2066-U+2069), and each byte that is not UTF-8,
// becomes "%XX", the escape names get on disk; no escape sequence reaches
// the output and no name reads backwards. Names in Result messages are
// already shown this way.
std::string printable(std::string_view utf8);

} // namespace lha
