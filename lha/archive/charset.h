// SPDX-License-Identifier: MIT
#pragma once
// Turns the bytes of a stored name into UTF-8. Whatever the input, the result
// is valid UTF-8: a byte that the charset cannot decode becomes "%XX".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

enum class Charset {
    Cp932, // Shift-JIS as Windows writes it
    EucJp,
    Latin1,
    Utf8,
    Cp437,    // MS-DOS in America
    Cp850,    // MS-DOS in Western Europe
    MacRoman, // the Macintosh outside Japan
    Cp1252,   // Windows outside Japan
    Detect,   // told from the names themselves (see detectCharset)
};

// The name shown for a charset ("cp932", "utf-8"); empty for Detect.
const char *charsetName(Charset charset);
// The charset a user names, in any letter case, with the usual aliases
// ("shift-jis", "windows-1252", "macintosh"); none for an unknown name.
std::optional<Charset> charsetNamed(std::string_view name);
// The 8-bit code pages of the Latin alphabets.
bool isWestern(Charset charset);
// Whether every byte is ASCII, which every charset here reads as itself.
bool isAscii(std::string_view bytes);
// The code page a producer outside Japan writes names in, from its OS id:
// CP437 for MS-DOS, OS/2 and headers that name no OS, Mac OS Roman for the
// Macintosh, Windows-1252 for Windows; Detect for the others.
Charset westernCharsetForOs(char osId);

// One character of a stored name as a charset reads it: where its bytes
// are, and what it is (kUndecodable when the byte at `start` begins no
// character the charset shows).
struct StoredCharacter {
    static constexpr char32_t kUndecodable = 0xFFFFFFFF;
    std::size_t start = 0;
    std::size_t length = 0;
    char32_t c = kUndecodable;
};
std::vector<StoredCharacter> readCharacters(std::string_view bytes, Charset charset);

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
// The charset of a Windows code page number, when it is one of these.
std::optional<Charset> charsetForCodePage(uint32_t codePage);
// For a Windows code page number; unknown pages fall back to detection.
std::string decodeCodePage(std::string_view bytes, uint32_t codePage);
// Little-endian UTF-16; a lone surrogate becomes "%XX%XX".
std::string decodeUtf16(std::string_view bytes);

// The one escape for names, on disk as on the screen: each byte of a
// character no name should hold becomes "%XX" (see escapeName). "%" itself
// stays, so that names stored with it come out as stored.
// A control character (C0, DEL, C1) or a bidirectional embedding, override
// or isolate, which would make a name read otherwise than it is.
bool needsEscape(char32_t c);
// text with every such character, and every byte that is not UTF-8,
// escaped.
std::string escapeName(std::string_view text);

} // namespace lha
