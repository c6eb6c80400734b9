// SPDX-License-Identifier: MIT
#include "commands.h"

#include "exit_status.h"
#include "listing.h"
#include "member_fields.h"
#include "member_patterns.h"
#include "overwrite_prompt.h"
#include "progress_line.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace unlha {
namespace {

// Prints each failure as "unlha: ARCHIVE: MEMBER: cause". A member kept
// because the user answered so is no failure.
void reportFailures(const Invocation &invocation, const lha::Result &result, bool skipsWereChosen) {
    const std::string archive = lha::printable(invocation.archive.string());
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
                     lha::printable(invocation.archive.string()).c_str(),
                     lha::printable(pattern).c_str());
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

// Options that choose members by the patterns and report to the progress
// line, when it is shown.
lha::Options runOptions(MemberPatterns &patterns, ProgressLine &progress,
                        const std::atomic<bool> *cancel) {
    lha::Options options;
    options.cancel = cancel;
    if (!patterns.empty())
        options.select = [&patterns](const lha::MemberInfo &m) { return patterns.matches(m); };
    if (progress.enabled())
        options.progress = [&progress](const lha::Progress &p) { progress.update(p); };
    return options;
}

bool showsProgress(const Invocation &invocation) {
    return !invocation.quiet && ::isatty(STDERR_FILENO);
}

// Each member goes through the checks of a real run, which decide the exit
// status as they would there.
int runDryRun(const Invocation &invocation) {
    MemberPatterns patterns(invocation.patterns);
    const std::string destination =
        invocation.destination.empty() ? "." : invocation.destination.string();
    lha::Options options;
    options.ignoreFolders = invocation.ignoreFolders;
    if (!patterns.empty())
        options.select = [&patterns](const lha::MemberInfo &m) { return patterns.matches(m); };
    options.tested = [&](const lha::MemberInfo &m, const lha::MemberOutcome &outcome) {
        if (outcome.error != lha::Error::None)
            return;
        std::string target = lha::printable(m.name);
        if (invocation.ignoreFolders)
            target = target.substr(target.find_last_of('/') + 1);
        std::printf("would extract %s as %s/%s\n", shownName(m).c_str(),
                    lha::printable(destination).c_str(), target.c_str());
    };
    const auto result = lha::dryRun(invocation.archive, options);
    return finish(invocation, result, patterns);
}

} // namespace

int runList(const Invocation &invocation) {
    MemberPatterns patterns(invocation.patterns);
    std::optional<MemberTable> table;
    if (!invocation.json)
        table.emplace(stdout, invocation.action == Action::VerboseList);
    const auto result = lha::list(invocation.archive, [&](const lha::MemberInfo &m) {
        if (!patterns.matches(m))
            return;
        if (table)
            table->add(m);
        else
            printJson(stdout, m);
    });
    if (table)
        table->finish();
    return finish(invocation, result, patterns);
}

int runTest(const Invocation &invocation, const std::atomic<bool> *cancel) {
    MemberPatterns patterns(invocation.patterns);
    ProgressLine progress(stderr, showsProgress(invocation));
    lha::Options options = runOptions(patterns, progress, cancel);
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
    const auto result = lha::test(invocation.archive, options);
    progress.clear();
    return finish(invocation, result, patterns);
}

int runPrint(const Invocation &invocation, const std::atomic<bool> *cancel) {
    MemberPatterns patterns(invocation.patterns);
    // The bytes go to standard output: a terminal there would show the line
    // in the middle of them.
    ProgressLine progress(stderr, showsProgress(invocation) && !::isatty(STDOUT_FILENO));
    lha::Options options = runOptions(patterns, progress, cancel);
    const auto result =
        lha::print(invocation.archive, options, [](const uint8_t *data, std::size_t size) {
            return std::fwrite(data, 1, size, stdout) == size;
        });
    progress.clear();
    if (std::fflush(stdout) != 0 && result.ok()) {
        std::fprintf(stderr, "unlha: cannot write to standard output\n");
        lha::Result failed = result;
        failed.error = lha::Error::WriteFailed;
        return exitStatus(failed);
    }
    return finish(invocation, result, patterns);
}

int runExtract(const Invocation &invocation, const std::atomic<bool> *cancel) {
    if (invocation.dryRun)
        return runDryRun(invocation);
    MemberPatterns patterns(invocation.patterns);
    ProgressLine progress(stderr, showsProgress(invocation));
    OverwritePrompt prompt(stdin, stderr);
    lha::Options options = runOptions(patterns, progress, cancel);
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
    const auto result = lha::extract(invocation.archive, destination, options);
    progress.clear();
    if (invocation.verbose && !invocation.quiet)
        printVerboseLines(result, "extracted");
    return finish(invocation, result, patterns, prompt.answered());
}

} // namespace unlha
