// SPDX-License-Identifier: MIT
#pragma once
// Carries out what the arguments asked for; returns the exit status.
#include "invocation.h"

#include <atomic>

namespace unlha {

int runList(const Invocation &invocation);
// cancel, when given, stops a run once it turns true.
int runTest(const Invocation &invocation, const std::atomic<bool> *cancel);
int runPrint(const Invocation &invocation, const std::atomic<bool> *cancel);
int runExtract(const Invocation &invocation, const std::atomic<bool> *cancel);

// Flushes standard output once everything is written. A write that failed
// there (a full disk, a closed pipe) fails the run: status, when it tells
// of no earlier failure, becomes that of a failed write.
int flushStandardOutput(int status);

} // namespace unlha
