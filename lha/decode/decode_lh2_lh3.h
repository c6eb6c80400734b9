// SPDX-License-Identifier: MIT
#pragma once
// The alphabet that -lh2- and -lh3- share: an 8 KiB window, one code for
// literals and match lengths with an escape for long matches, and a code for
// the distance's upper seven bits.
#include "decode_match_symbols.h"

namespace lha::lh2lh3 {

constexpr unsigned kWindowBits = 13;
constexpr unsigned kSymbols = 286;         // literals, lengths 3..31, and an escape
constexpr unsigned kEscape = kSymbols - 1; // followed by 8 bits: lengths 32..287
constexpr unsigned kMaxMatch = matchLength(kEscape + 255);
constexpr unsigned kDistanceCodes = 1u << (kWindowBits - 6);

} // namespace lha::lh2lh3
