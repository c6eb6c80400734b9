// SPDX-License-Identifier: MIT
#include "commands.h"

#include "archive_input.h"
#include "exit_status.h"
#include "folder_chain.h"
#include "listing.h"
#include "member_fields.h"
#include "member_patterns.h"
#include "overwrite_prompt.h"
#include "progress_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace unlha {
namespace {

// Prints each failure as "unlha: ARCHIVE: MEMBER: cause". A member kept
// because the user answered so is no failure.
void reportFailures(const Invocation &invocation, const lha::Result &result, bool skipsWereChosen) {
    const std::string archive = shownArchive(invocation.archive);
    for (const auto &member : result.members) {
        if (member.error == lha::Error::None ||
            (member.error == lha::Error::Exists && skipsWereChosen))
            continue;
        std::fprintf(stderr, "unlha: %s: %s: %s\n", archive.c_str(),
                     lha::printable(member.name).c_str(),
                     member.message.empty() ? lha::describe(member.error) : member.message.c_str());
    }
    if (result.unlistedFailures > 0)
        std::fprintf(stderr, "unlha: %s: %llu more members failed\n", archive.c_str(),
                     static_cast<unsigned long long>(result.unlistedFailures));
    if (!result.warning.empty())
        std::fprintf(stderr, "unlha: %s: warning: %s\n", archive.c_str(), result.warning.c_str());
    if (result.error != lha::Error::None)
        std::fprintf(stderr, "unlha: %s: %s\n", archive.c_str(),
                     result.message.empty() ? lha::describe(result.error) : result.message.c_str());
}

// The exit status of a finished run, after its failures and the patterns
// that found nothing are reported.
int finish(const Invocation &invocation, const lha::Result &result, const MemberPatterns &patterns,
           bool skipsWereChosen = false) {
    reportFailures(invocation, result, skipsWereChosen);
    const int status = exitStatus(result, skipsWereChosen);
    if (status != EXIT_SUCCESS)
        return status;
    const auto missing = patterns.unmatched();
    for (const auto &pattern : missing)
        std::fprintf(stderr, "unlha: %s: no member matches %s\n",
                     shownArchive(invocation.archive).c_str(), lha::printable(pattern).c_str());
    return missing.empty() ? status : badCommandLine();
}

void printVerboseLines(const lha::Result &result, const char *done) {
    for (const auto &member : result.members)
        if (member.error == lha::Error::None)
            std::printf("%s %s\n", done, lha::printable(member.name).c_str());
    if (result.unlistedSuccesses > 0)
        std::printf("%s %llu more members\n", done,
                    static_cast<unsigned long long>(result.unlistedSuccesses));
}

// Options that read the names as the user asked.
lha::RunOptions nameOptions(const Invocation &invocation) {
    lha::RunOptions options;
    options.charset = invocation.charset;
    return options;
}

// Sets what every run takes: the names' charset, cancel, the members the
// patterns choose, and reports to the progress line when there is one shown.
void setRunOptions(lha::RunOptions &options, const Invocation &invocation, MemberPatterns &patterns,
                   ProgressLine *progress, const std::atomic<bool> *cancel) {
    options = nameOptions(invocation);
    options.cancel = cancel;
    if (!patterns.empty())
        options.select = [&patterns](const lha::MemberInfo &m) { return patterns.matches(m); };
    if (progress && progress->enabled())
        options.progress = [progress](const lha::Progress &p) { progress->update(p); };
}

bool showsProgress(const Invocation &invocation) {
    return !invocation.quiet && ::isatty(STDERR_FILENO);
}

// Each member goes through the checks of a real run, which decide the exit
// status as they would there.
int runDryRun(const Invocation &invocation, const std::atomic<bool> *cancel) {
    MemberPatterns patterns(invocation.patterns);
    const ArchiveInput input(invocation.archive, cancel);
    if (!input.failure().ok())
        return finish(invocation, input.failure(), patterns);
    const std::string destination =
        invocation.destination.empty() ? "." : invocation.destination.string();
    lha::DryRunOptions options;
    setRunOptions(options, invocation, patterns, nullptr, cancel);
    options.ignoreFolders = invocation.ignoreFolders;
    options.tested = [&](const lha::MemberInfo &m, const lha::MemberOutcome &outcome) {
        if (outcome.error != lha::Error::None)
            return;
        std::string target = lha::printable(m.name);
        if (invocation.ignoreFolders)
            target = target.substr(target.find_last_of('/') + 1);
        std::printf("would extract %s as %s/%s\n", shownName(m).c_str(),
                    lha::printable(destination).c_str(), target.c_str());
    };
    const auto result = lha::dryRun(input.path(), options);
    return finish(invocation, result, patterns);
}

} // namespace

int runList(const Invocation &invocation) {
    MemberPatterns patterns(invocation.patterns);
    const ArchiveInput input(invocation.archive, nullptr);
    if (!input.failure().ok())
        return finish(invocation, input.failure(), patterns);
    // The table starts with its first member, so that an archive that
    // cannot be read at all shows only the error.
    std::optional<MemberTable> table;
    const bool verbose = invocation.action == Action::VerboseList;
    const auto result = lha::list(
        input.path(),
        [&](const lha::MemberInfo &m) {
            if (!patterns.matches(m))
                return;
            if (invocation.json) {
                printJson(stdout, m);
                return;
            }
            if (!table)
                table.emplace(stdout, verbose);
            table->add(m);
        },
        nameOptions(invocation));
    if (!table && !invocation.json && result.error == lha::Error::None)
        table.emplace(stdout, verbose);
    if (table)
        table->finish(result.archiveStart);
    return finish(invocation, result, patterns);
}

int runTest(const Invocation &invocation, const std::atomic<bool> *cancel) {
    MemberPatterns patterns(invocation.patterns);
    const ArchiveInput input(invocation.archive, cancel);
    if (!input.failure().ok())
        return finish(invocation, input.failure(), patterns);
    ProgressLine progress(stderr, showsProgress(invocation));
    lha::TestOptions options;
    setRunOptions(options, invocation, patterns, &progress, cancel);
    // Each member is shown as its test ends, so that nothing is held for all of them.
    if (invocation.json)
        options.tested = [](const lha::MemberInfo &m, const lha::MemberOutcome &outcome) {
            printJson(stdout, m, &outcome);
        };
    else if (invocation.verbose && !invocation.quiet)
        options.tested = [&progress](const lha::MemberInfo &, const lha::MemberOutcome &outcome) {
            if (outcome.error != lha::Error::None)
                return;
            progress.clear();
            std::printf("tested %s\n", lha::printable(outcome.name).c_str());
        };
    const auto result = lha::test(input.path(), options);
    progress.clear();
    return finish(invocation, result, patterns);
}

int runPrint(const Invocation &invocation, const std::atomic<bool> *cancel) {
    MemberPatterns patterns(invocation.patterns);
    const ArchiveInput input(invocation.archive, cancel);
    if (!input.failure().ok())
        return finish(invocation, input.failure(), patterns);
    // The bytes go to standard output: a terminal there would show the line
    // in the middle of them.
    ProgressLine progress(stderr, showsProgress(invocation) && !::isatty(STDOUT_FILENO));
    lha::TestOptions options;
    setRunOptions(options, invocation, patterns, &progress, cancel);
    const auto result =
        lha::print(input.path(), options, [](const uint8_t *data, std::size_t size) {
            return std::fwrite(data, 1, size, stdout) == size;
        });
    progress.clear();
    return finish(invocation, result, patterns);
}

int runExtract(const Invocation &invocation, const std::atomic<bool> *cancel) {
    if (invocation.dryRun)
        return runDryRun(invocation, cancel);
    MemberPatterns patterns(invocation.patterns);
    const ArchiveInput input(invocation.archive, cancel);
    if (!input.failure().ok())
        return finish(invocation, input.failure(), patterns);
    // w=DIR is made whole, as "mkdir -p" would; the library's own form
    // "e ARCHIVE DEST/" keeps its rule that DEST's parent must exist.
    FolderChain folders;
    if (!invocation.destination.empty() && !invocation.libraryForm) {
        std::string why;
        if (!folders.make(invocation.destination, why)) {
            lha::Result failed;
            failed.error = lha::Error::WriteFailed;
            failed.message = why;
            return finish(invocation, failed, patterns);
        }
    }
    ProgressLine progress(stderr, showsProgress(invocation));
    OverwritePrompt prompt(stdin, stderr);
    lha::ExtractOptions options;
    setRunOptions(options, invocation, patterns, &progress, cancel);
    options.ignoreFolders = invocation.ignoreFolders;
    if (invocation.replace)
        options.overwrite = [](const lha::MemberInfo &) {
            return lha::OverwriteDecision::ReplaceAll;
        };
    else if (::isatty(STDIN_FILENO))
        options.overwrite = [&](const lha::MemberInfo &member) {
            progress.clear();
            return prompt.ask(member.name);
        };
    const std::filesystem::path destination =
        invocation.destination.empty() ? "." : invocation.destination;
    if (!invocation.choice.empty() && !invocation.quiet)
        std::fprintf(stderr, "unlha: %s\n", lha::printable(invocation.choice).c_str());
    const auto result = lha::extract(input.path(), destination, options);
    progress.clear();
    // An archive that could not be read leaves no folders behind.
    if (result.members.empty() && result.unlistedSuccesses == 0 && result.unlistedFailures == 0 &&
        result.error != lha::Error::None)
        folders.removeEmpty();
    if (invocation.verbose && !invocation.quiet) {
        for (const auto &folder : folders.made())
            std::printf("created %s/\n", lha::printable(folder.string()).c_str());
        printVerboseLines(result, "extracted");
    }
    return finish(invocation, result, patterns, prompt.answered());
}

int flushStandardOutput(int status) {
    const bool flushed = std::fflush(stdout) == 0;
    const int cause = errno;
    if (flushed && !std::ferror(stdout))
        return status;
    std::fprintf(stderr, "unlha: cannot write to standard output%s%s\n", flushed ? "" : ": ",
                 flushed ? "" : std::strerror(cause));
    if (status != EXIT_SUCCESS)
        return status;
    lha::Result failed;
    failed.error = lha::Error::WriteFailed;
    return exitStatus(failed);
}

} // namespace unlha
