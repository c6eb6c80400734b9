// SPDX-License-Identifier: MIT
#pragma once
// Turns the bytes of a stored name into UTF-8. Whatever the input, the result
// is valid UTF-8: a byte that the charset cannot decode becomes "%XX".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lha {

enum class Charset {
    Cp932, // Shift-JIS as Windows writes it
    EucJp,
    Latin1,
    Utf8,
    Detect, // told from the names themselves (see detectCharset)
};

// The charset a producer fixes for its names, from its OS id; Detect when
// the id fixes none.
Charset charsetForOs(char osId);
// The charset a producer's names are usually in, for when the names
// themselves do not tell: Shift-JIS for MS-DOS, Windows, OS/2 and headers
// that name no OS; EUC-JP for the others.
Charset usualCharsetForOs(char osId);

// Which of UTF-8, EUC-JP and CP932 these bytes are in: UTF-8 when they are
// valid UTF-8 with some multi-byte character; else `fallback`, unless
// another charset's reading gives more kanji and kana and fewer half-width
// katakana without failing on more bytes.
Charset detectCharset(std::string_view bytes, Charset fallback);
std::string toUtf8(std::string_view bytes, Charset charset);
// For a Windows code page number; unknown pages fall back to detection.
std::string decodeCodePage(std::string_view bytes, uint32_t codePage);
// Little-endian UTF-16; a lone surrogate becomes "%XX%XX".
std::string decodeUtf16(std::string_view bytes);

} // namespace lha
