// SPDX-License-Identifier: MIT
#pragma once
// unlha's exit status: the archive library's result code for the same run, so
// that a script sees one number per cause whichever way it calls the engine.
#include "lha/lha.h"

#include <string>

namespace unlha {

// The command line could not be read, or a pattern matched no member.
int badCommandLine();

// Memory ran out, or something else no run should meet.
int unexpectedFailure();

// skipsWereChosen: the user answered an overwrite question, so members kept
// that way are the user's wish, not a failure.
int exitStatus(const lha::Result &result, bool skipsWereChosen = false);

// One line per exit status, "  N  what it means", as --help and the manual
// page show them.
std::string exitStatusTable();

} // namespace unlha
