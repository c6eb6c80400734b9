// SPDX-License-Identifier: MIT
#include "charset.h"

#include "lha/lha.h"
#include "path_hashes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <iconv.h>
#include <map>
#include <memory>

namespace lha {
namespace {

constexpr std::size_t kMostUnknownCodePages = 4096;

void appendEscape(std::string &out, uint8_t byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<uint8_t>(s[i]);
    if (b < 0x80)
        return 1;
    std::size_t len;
    char32_t min;
    char32_t c;
    if ((b & 0xE0) == 0xC0) {
        len = 2, min = 0x80, c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3, min = 0x800, c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, c = b & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto t = static_cast<uint8_t>(s[i + k]);
        if ((t & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return len;
}

// The code point of the valid sequence of `len` bytes at s[i].
char32_t codePointAt(std::string_view s, std::size_t i, std::size_t len) {
    static constexpr uint8_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<uint8_t>(s[i]) & kLeadMask[len];
    for (std::size_t k = 1; k < len; ++k)
        c = (c << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    return c;
}

std::string decodeUtf8(std::string_view bytes, std::size_t &bad) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto len = utf8SequenceLength(bytes, i);
        if (len == 0) {
            appendEscape(out, static_cast<uint8_t>(bytes[i++]));
            ++bad;
            continue;
        }
        out.append(bytes.substr(i, len));
        i += len;
    }
    return out;
}

std::string decodeLatin1(std::string_view bytes) {
    std::string out;
    for (char ch : bytes)
        appendUtf8(out, static_cast<uint8_t>(ch));
    return out;
}

// iconv descriptors are costly to open and not safe to share between
// threads: each thread keeps its own, one per charset it could open. A name
// iconv does not know is not kept, and past kMostConverters the kept ones
// are all closed, so that no archive can make the cache grow.
constexpr std::size_t kMostConverters = 64;

iconv_t converterFor(const char *name) {
    struct Closer {
        std::map<std::string, iconv_t> open;
        void closeAll() {
            for (auto &[n, cd] : open)
                iconv_close(cd);
            open.clear();
        }
        ~Closer() { closeAll(); }
    };
    thread_local Closer cache;
    auto it = cache.open.find(name);
    if (it != cache.open.end())
        return it->second;
    const iconv_t cd = iconv_open("UTF-8", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return cd;
    if (cache.open.size() >= kMostConverters)
        cache.closeAll();
    cache.open.emplace(name, cd);
    return cd;
}

// A character that the legacy charsets map to a C1 control or to the
// private use area shows nothing a reader could recognise.
bool isShowable(const char *utf8, std::size_t n) {
    char32_t c = 0;
    const auto b = static_cast<uint8_t>(utf8[0]);
    if (n == 2)
        c = ((b & 0x1Fu) << 6) | (static_cast<uint8_t>(utf8[1]) & 0x3Fu);
    else if (n == 3)
        c = ((b & 0x0Fu) << 12) | ((static_cast<uint8_t>(utf8[1]) & 0x3Fu) << 6) |
            (static_cast<uint8_t>(utf8[2]) & 0x3Fu);
    else
        return n == 4;
    return !(c >= 0x80 && c <= 0x9F) && !(c >= 0xE000 && c <= 0xF8FF);
}

// Decodes with iconv one character at a time; each byte that starts no
// showable character is escaped and skipped. Returns false when the charset
// is not available at all.
bool decodeIconv(std::string_view bytes, const char *charset, std::string &out, std::size_t &bad) {
    iconv_t cd = converterFor(charset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto lead = static_cast<uint8_t>(bytes[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        bool decoded = false;
        for (std::size_t len = 1; len <= 4 && pos + len <= bytes.size(); ++len) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char buffer[16];
            auto in = const_cast<char *>(bytes.data() + pos);
            std::size_t inLeft = len;
            char *dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
            if (rc == static_cast<std::size_t>(-1) && errno == EINVAL)
                continue; // incomplete: try one byte more
            const std::size_t produced = sizeof buffer - dstLeft;
            if (rc != static_cast<std::size_t>(-1) && inLeft == 0 && produced > 0 &&
                isShowable(buffer, produced)) {
                out.append(buffer, produced);
                pos += len;
                decoded = true;
            }
            break;
        }
        if (!decoded) {
            appendEscape(out, lead);
            ++pos;
            ++bad;
        }
    }
    return true;
}

std::string decodeWith(std::string_view bytes, const char *charset, std::size_t &bad) {
    std::string out;
    if (!decodeIconv(bytes, charset, out, bad))
        return decodeUtf8(bytes, bad);
    return out;
}

// How much a decoding reads like Japanese text: kanji, kana and full-width
// forms count for it; half-width katakana, which a wrong charset produces
// from the other's lead and trail bytes, and bytes it cannot decode count
// against it.
int readability(std::string_view utf8, std::size_t undecodable) {
    int score = -4 * static_cast<int>(undecodable);
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = std::max<std::size_t>(1, utf8SequenceLength(utf8, i));
        const char32_t c = codePointAt(utf8, i, len);
        i += len;
        if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) ||
            (c >= 0xFF01 && c <= 0xFF5E))
            ++score;
        else if (c >= 0xFF61 && c <= 0xFF9F)
            --score;
    }
    return score;
}

} // namespace

Charset charsetForOs(char osId) {
    return osId == 'A' ? Charset::Latin1 : Charset::Detect; // the Amiga writes ISO-8859-1
}

Charset usualCharsetForOs(char osId) {
    switch (osId) {
    case 0:
    case 'M': // MS-DOS
    case 'w': // Windows 95
    case 'W': // Windows NT
    case '2': // OS/2
        return Charset::Cp932;
    default:
        return Charset::EucJp;
    }
}

Charset detectCharset(std::string_view bytes, Charset fallback) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<uint8_t>(c) < 0x80; }))
        return fallback;
    std::size_t badUtf8 = 0;
    const std::string utf8 = decodeUtf8(bytes, badUtf8);
    if (badUtf8 == 0)
        return Charset::Utf8;
    std::size_t badEuc = 0;
    std::size_t badSjis = 0;
    const std::string euc = decodeWith(bytes, "EUC-JP-MS", badEuc);
    const std::string sjis = decodeWith(bytes, "CP932", badSjis);
    struct Reading {
        Charset charset;
        std::size_t undecodable;
        int score;
    };
    const Reading readings[] = {{Charset::Cp932, badSjis, readability(sjis, badSjis)},
                                {Charset::EucJp, badEuc, readability(euc, badEuc)},
                                {Charset::Utf8, badUtf8, readability(utf8, badUtf8)}};
    // The usual charset holds unless another reads better without failing
    // on more bytes: names of half-width katakana are sound Shift-JIS, and
    // their EUC-JP reading is kanji with an undecodable byte or two.
    Reading best{fallback, SIZE_MAX, INT_MIN};
    for (const Reading &r : readings)
        if (r.charset == fallback)
            best = r;
    for (const Reading &r : readings)
        if (r.undecodable <= best.undecodable && r.score > best.score)
            best = r;
    return best.charset;
}

std::string toUtf8(std::string_view bytes, Charset charset) {
    std::size_t bad = 0;
    switch (charset) {
    case Charset::Cp932:
        return decodeWith(bytes, "CP932", bad);
    case Charset::EucJp:
        return decodeWith(bytes, "EUC-JP-MS", bad);
    case Charset::Latin1:
        return decodeLatin1(bytes);
    case Charset::Utf8:
        return decodeUtf8(bytes, bad);
    case Charset::Detect:
        break;
    }
    return toUtf8(bytes, detectCharset(bytes, Charset::Cp932));
}

std::string decodeCodePage(std::string_view bytes, uint32_t codePage) {
    switch (codePage) {
    case 65001:
        return toUtf8(bytes, Charset::Utf8);
    case 932:
        return toUtf8(bytes, Charset::Cp932);
    case 20932:
    case 51932:
        return toUtf8(bytes, Charset::EucJp);
    case 28591:
        return toUtf8(bytes, Charset::Latin1);
    }
    // Code pages iconv does not know, so that each costs one attempt to open
    // it: as hashes, and only so many, since an archive may name millions.
    thread_local PathHashSet unknownPages{kMostUnknownCodePages};
    if (!unknownPages.contains(codePage)) {
        std::size_t bad = 0;
        std::string out;
        const std::string name = "CP" + std::to_string(codePage);
        if (decodeIconv(bytes, name.c_str(), out, bad))
            return out;
        unknownPages.insert(codePage);
    }
    return toUtf8(bytes, Charset::Detect);
}

std::string decodeUtf16(std::string_view bytes) {
    std::string out;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                     (static_cast<uint8_t>(bytes[i + 1]) << 8));
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            appendEscape(out, static_cast<uint8_t>(bytes[i]));
            appendEscape(out, static_cast<uint8_t>(bytes[i + 1]));
            continue;
        }
        appendUtf8(out, u);
    }
    if (i < bytes.size())
        appendEscape(out, static_cast<uint8_t>(bytes[i]));
    return out;
}

std::string printable(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto b = static_cast<uint8_t>(utf8[i]);
        // C1 controls are U+0080..U+009F, encoded as C2 80..C2 9F.
        if (b == 0xC2 && i + 1 < utf8.size() && static_cast<uint8_t>(utf8[i + 1]) < 0xA0 &&
            static_cast<uint8_t>(utf8[i + 1]) >= 0x80) {
            b = static_cast<uint8_t>(utf8[++i]);
        } else if (b >= 0x20 && b != 0x7F) {
            out += static_cast<char>(b);
            continue;
        }
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

} // namespace lha
