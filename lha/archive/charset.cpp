// SPDX-License-Identifier: MIT
#include "charset.h"

#include "lha/lha.h"
#include "path_hashes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <iconv.h>
#include <map>
#include <memory>

namespace lha {
namespace {

// ISO-8859-1 gives the C1 controls at 0x80-0x9F, which no name means.
constexpr uint8_t kFirstC1 = 0x80;
constexpr uint8_t kLastC1 = 0x9F;
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
    for (char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if (b >= kFirstC1 && b <= kLastC1)
            appendEscape(out, b);
        else
            appendUtf8(out, b);
    }
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

// The showable character at bytes[pos] as UTF-8 in `utf8`: its length in
// the stored bytes, or 0 when the byte at pos starts none.
std::size_t decodeOne(iconv_t cd, std::string_view bytes, std::size_t pos, char (&utf8)[16],
                      std::size_t &produced) {
    for (std::size_t len = 1; len <= 4 && pos + len <= bytes.size(); ++len) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        auto in = const_cast<char *>(bytes.data() + pos);
        std::size_t inLeft = len;
        char *dst = utf8;
        std::size_t dstLeft = sizeof utf8;
        const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        if (rc == static_cast<std::size_t>(-1) && errno == EINVAL)
            continue; // incomplete: try one byte more
        produced = sizeof utf8 - dstLeft;
        if (rc != static_cast<std::size_t>(-1) && inLeft == 0 && produced > 0 &&
            isShowable(utf8, produced))
            return len;
        return 0;
    }
    return 0;
}

// Decodes with iconv one character at a time; each byte that starts no
// showable character is escaped and skipped. Returns false when the charset
// is not available at all.
bool decodeIconv(std::string_view bytes, const char *charset, std::string &out, std::size_t &bad) {
    // Most names need no converter, and a run over them loads none.
    if (isAscii(bytes)) {
        out.assign(bytes);
        return true;
    }
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
        char utf8[16];
        std::size_t produced = 0;
        if (const std::size_t len = decodeOne(cd, bytes, pos, utf8, produced)) {
            out.append(utf8, produced);
            pos += len;
        } else {
            appendEscape(out, lead);
            ++pos;
            ++bad;
        }
    }
    return true;
}

// The name iconv knows a charset by; null for those decoded here.
const char *iconvName(Charset charset) {
    switch (charset) {
    case Charset::Cp932:
        return "CP932";
    case Charset::EucJp:
        return "EUC-JP-MS";
    case Charset::Cp437:
        return "CP437";
    case Charset::Cp850:
        return "CP850";
    case Charset::MacRoman:
        return "MACINTOSH";
    case Charset::Cp1252:
        return "CP1252";
    case Charset::Latin1:
    case Charset::Utf8:
    case Charset::Detect:
        break;
    }
    return nullptr;
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

namespace {

struct CharsetAlias {
    std::string_view name;
    Charset charset;
};
// The first name of each charset is the one shown.
constexpr CharsetAlias kCharsetNames[] = {
    {"cp932", Charset::Cp932},         {"shift-jis", Charset::Cp932},
    {"shift_jis", Charset::Cp932},     {"sjis", Charset::Cp932},
    {"windows-31j", Charset::Cp932},   {"euc-jp", Charset::EucJp},
    {"eucjp", Charset::EucJp},         {"utf-8", Charset::Utf8},
    {"utf8", Charset::Utf8},           {"latin-1", Charset::Latin1},
    {"latin1", Charset::Latin1},       {"iso-8859-1", Charset::Latin1},
    {"cp437", Charset::Cp437},         {"ibm437", Charset::Cp437},
    {"cp850", Charset::Cp850},         {"ibm850", Charset::Cp850},
    {"mac-roman", Charset::MacRoman},  {"macroman", Charset::MacRoman},
    {"macintosh", Charset::MacRoman},  {"cp1252", Charset::Cp1252},
    {"windows-1252", Charset::Cp1252},
};

} // namespace

const char *charsetName(Charset charset) {
    for (const auto &alias : kCharsetNames)
        if (alias.charset == charset)
            return alias.name.data();
    return "";
}

std::optional<Charset> charsetNamed(std::string_view name) {
    for (const auto &alias : kCharsetNames)
        if (std::equal(
                name.begin(), name.end(), alias.name.begin(), alias.name.end(),
                [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
            return alias.charset;
    return std::nullopt;
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

bool isWestern(Charset charset) {
    return charset == Charset::Cp437 || charset == Charset::Cp850 || charset == Charset::MacRoman ||
           charset == Charset::Cp1252;
}

Charset westernCharsetForOs(char osId) {
    switch (osId) {
    case 0:
    case 'M': // MS-DOS
    case '2': // OS/2
        return Charset::Cp437;
    case 'm': // Macintosh
        return Charset::MacRoman;
    case 'w': // Windows 95
    case 'W': // Windows NT
        return Charset::Cp1252;
    default:
        return Charset::Detect;
    }
}

std::vector<StoredCharacter> readCharacters(std::string_view bytes, Charset charset) {
    std::vector<StoredCharacter> out;
    out.reserve(bytes.size());
    const char *name = iconvName(charset);
    iconv_t cd = name && !isAscii(bytes) ? converterFor(name) : reinterpret_cast<iconv_t>(-1);
    for (std::size_t pos = 0; pos < bytes.size();) {
        StoredCharacter ch;
        ch.start = pos;
        const auto lead = static_cast<uint8_t>(bytes[pos]);
        if (lead < 0x80) {
            ch.length = 1;
            ch.c = lead;
        } else if (charset == Charset::Latin1) {
            ch.length = 1;
            if (lead > kLastC1)
                ch.c = lead;
        } else if (cd == reinterpret_cast<iconv_t>(-1)) {
            ch.length = utf8SequenceLength(bytes, pos);
            if (ch.length)
                ch.c = codePointAt(bytes, pos, ch.length);
        } else {
            char utf8[16];
            std::size_t produced = 0;
            ch.length = decodeOne(cd, bytes, pos, utf8, produced);
            if (ch.length)
                ch.c = codePointAt(std::string_view(utf8, produced), 0, produced);
        }
        if (ch.length == 0)
            ch.length = 1;
        pos += ch.length;
        out.push_back(ch);
    }
    return out;
}

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
    case Charset::EucJp:
    case Charset::Cp437:
    case Charset::Cp850:
    case Charset::MacRoman:
    case Charset::Cp1252:
        return decodeWith(bytes, iconvName(charset), bad);
    case Charset::Latin1:
        return decodeLatin1(bytes);
    case Charset::Utf8:
        return decodeUtf8(bytes, bad);
    case Charset::Detect:
        break;
    }
    return toUtf8(bytes, detectCharset(bytes, Charset::Cp932));
}

std::optional<Charset> charsetForCodePage(uint32_t codePage) {
    switch (codePage) {
    case 65001:
        return Charset::Utf8;
    case 932:
        return Charset::Cp932;
    case 20932:
    case 51932:
        return Charset::EucJp;
    case 28591:
        return Charset::Latin1;
    case 437:
        return Charset::Cp437;
    case 850:
        return Charset::Cp850;
    case 10000:
        return Charset::MacRoman;
    case 1252:
        return Charset::Cp1252;
    }
    return std::nullopt;
}

std::string decodeCodePage(std::string_view bytes, uint32_t codePage) {
    if (const auto charset = charsetForCodePage(codePage))
        return toUtf8(bytes, *charset);
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

bool needsEscape(char32_t c) {
    constexpr char32_t kDelete = 0x7F;
    constexpr char32_t kLastC1Control = 0x9F;
    // The embeddings and overrides (U+202A-U+202E) and the isolates
    // (U+2066-U+2069) reorder what follows them on the screen.
    constexpr char32_t kFirstEmbedding = 0x202A, kLastOverride = 0x202E;
    constexpr char32_t kFirstIsolate = 0x2066, kLastIsolate = 0x2069;
    return c < 0x20 || (c >= kDelete && c <= kLastC1Control) ||
           (c >= kFirstEmbedding && c <= kLastOverride) ||
           (c >= kFirstIsolate && c <= kLastIsolate);
}

std::string escapeName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = utf8SequenceLength(text, i);
        if (len == 0) {
            appendEscape(out, static_cast<uint8_t>(text[i++]));
            continue;
        }
        if (needsEscape(codePointAt(text, i, len)))
            for (std::size_t k = 0; k < len; ++k)
                appendEscape(out, static_cast<uint8_t>(text[i + k]));
        else
            out.append(text.substr(i, len));
        i += len;
    }
    return out;
}

std::string printable(std::string_view utf8) {
    return escapeName(utf8);
}

} // namespace lha
