// SPDX-License-Identifier: MIT
// unlha: the LHA engine on the command line, with the command letters of the
// classic LHA tools. See invocation.h for the arguments and help_text.cpp
// for what the user is told.
#include "commands.h"
#include "exit_status.h"
#include "help_text.h"
#include "interrupt.h"
#include "invocation.h"
#include "process/heap.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

namespace {

int run(int argc, char **argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    const auto parsed = unlha::parseArguments(words);
    if (!parsed.ok()) {
        std::fprintf(stderr, "unlha: %s\n%sTry 'unlha --help' for more.\n", parsed.error.c_str(),
                     unlha::usageText().c_str());
        return unlha::badCommandLine();
    }
    const auto &invocation = parsed.invocation;
    int status = unlha::badCommandLine();
    switch (invocation.action) {
    case unlha::Action::Help:
        std::fputs(unlha::helpText().c_str(), stdout);
        status = 0;
        break;
    case unlha::Action::Version:
        std::fputs(unlha::versionText().c_str(), stdout);
        status = 0;
        break;
    case unlha::Action::List:
    case unlha::Action::VerboseList:
        status = unlha::runList(invocation);
        break;
    case unlha::Action::Test:
        status = unlha::runTest(invocation, unlha::cancelOnInterrupt());
        break;
    case unlha::Action::Print:
        status = unlha::runPrint(invocation, unlha::cancelOnInterrupt());
        break;
    case unlha::Action::Extract:
        status = unlha::runExtract(invocation, unlha::cancelOnInterrupt());
        break;
    }
    unlha::endIfInterrupted();
    return unlha::flushStandardOutput(status);
}

} // namespace

// The engine reports lack of memory itself; this catches what runs out
// around it, so that the tool ends with its status rather than an abort.
int main(int argc, char **argv) {
    // Past the file size limit a write fails with EFBIG, which fails that
    // member ("File too large") and leaves nothing partial, instead of the
    // signal ending the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    process::prepareHeap();
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc &) {
        std::fputs("unlha: out of memory\n", stderr);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "unlha: unexpected failure: %s\n", e.what());
    }
    return unlha::unexpectedFailure();
}
