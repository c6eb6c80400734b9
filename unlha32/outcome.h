// SPDX-License-Identifier: MIT
#pragma once
// Turns what the engine did into the library's result code and its
// plain-text report.
#include "lha/lha.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace unlha {

// The result code for one kind of failure.
int codeFor(lha::Error error);

// skipsWereChosen: the user answered the overwrite question, so a member
// skipped because its file exists is the user's wish, not a failure.
int resultCode(const lha::Result &result, bool skipsWereChosen);

// A short English description of a result code.
const char *describeCode(int code);

// One line per member, then "result N: description"; the preface, when
// given, comes first. Names are escaped as the unlha tool shows them, so
// that no control character (nor a NUL) reaches the caller's buffer.
std::string reportText(const lha::Result &result, int code, std::string_view preface = {});

// Copies as much of text as fits into out, never part of a UTF-8 character,
// and always ends it with NUL; with size 0 it leaves out alone.
void writeReport(std::string_view text, char *out, uint32_t size);

} // namespace unlha
