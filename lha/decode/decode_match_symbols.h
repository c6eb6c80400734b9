// SPDX-License-Identifier: MIT
#pragma once
// The literal/length alphabet of the LHA methods (-lh1- to -lh7-): symbols
// below 256 are literal bytes, and symbol 256 + n is a match of n + 3 bytes.

namespace lha {

constexpr unsigned kFirstMatchSymbol = 256;
constexpr unsigned kMinMatch = 3;

constexpr unsigned matchLength(unsigned symbol) {
    return symbol - kFirstMatchSymbol + kMinMatch;
}

} // namespace lha
