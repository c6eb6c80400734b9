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
    Detect, // UTF-8 when valid, else EUC-JP or CP932, whichever fits better
};

// The charset a producer's names are in, from its OS id.
Charset charsetForOs(char os_id);

// Which of UTF-8, EUC-JP and CP932 decodes these bytes with the fewest faults.
Charset detectCharset(std::string_view bytes);
std::string decode(std::string_view bytes, Charset charset);
// For a Windows code page number; unknown pages fall back to detection.
std::string decodeCodePage(std::string_view bytes, uint32_t code_page);
// Little-endian UTF-16; a lone surrogate becomes "%XX%XX".
std::string decodeUtf16(std::string_view bytes);

bool isValidUtf8(std::string_view text);

} // namespace lha
