#pragma once
// Carries out what the arguments asked for; returns the exit status.
#include "invocation.h"

namespace unlha {

int runList(const Invocation &invocation);
int runTest(const Invocation &invocation);
int runPrint(const Invocation &invocation);
int runExtract(const Invocation &invocation);

} // namespace unlha
