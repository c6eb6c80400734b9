// SPDX-License-Identifier: MIT
#include "charset_guess.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace lha {
namespace {

using Characters = std::vector<StoredCharacter>;

bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isUndecodable(const StoredCharacter &ch) {
    return ch.c == StoredCharacter::kUndecodable;
}

bool isKanji(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0xF900 && c <= 0xFAFF);
}

// Hiragana, katakana and the half-width katakana of Shift-JIS.
bool isKana(char32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0xFF61 && c <= 0xFF9F);
}

// The punctuation Japanese names use beside words: the CJK punctuation
// block (brackets, the ideographic comma and stop), general punctuation
// (dashes, quotes, the ellipsis) and the full-width brackets.
bool isJapanesePunctuation(char32_t c) {
    return (c >= 0x3000 && c <= 0x303F) || (c >= 0x2010 && c <= 0x2026) || c == 0xFF08 ||
           c == 0xFF09 || c == 0xFF3B || c == 0xFF3D || c == 0xFF5B || c == 0xFF5D;
}

// Letters of the Latin alphabets, as the Western code pages give them.
bool isLatinLetter(char32_t c) {
    return (c >= 0xC0 && c <= 0x17F && c != 0xD7 && c != 0xF7);
}

// The symbols names from those machines hold now and then: the Latin-1
// signs, dashes, quotes, the euro and trademark signs, the accents alone.
bool isUsualWesternSymbol(char32_t c) {
    return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || c == 0x192 ||
           (c >= 0x2C6 && c <= 0x2DD) || (c >= 0x2013 && c <= 0x2014) ||
           (c >= 0x2018 && c <= 0x2022) || c == 0x2026 || c == 0x2030 || c == 0x2039 ||
           c == 0x203A || c == 0x2044 || c == 0x20AC || c == 0x2122 || c == 0xFB01 || c == 0xFB02;
}

// Latin words rarely hold more than two accented letters in a row; Japanese
// names read in a Western code page are such runs throughout.
constexpr std::size_t kLongestWesternRun = 2;

// What the names show of a Japanese reading.
struct JapaneseEvidence {
    // Against it: undecodable bytes, kana or a symbol between Latin letters.
    int wrong = 0;
    // A kanji between Latin letters, against it only where no kana is.
    int kanjiInsideWords = 0;
    int kana = 0;     // kana not between Latin letters
    int japanese = 0; // kana, kanji and full-width forms not between Latin letters
};

// What the names show of a Western reading.
struct WesternEvidence {
    int accentedBesideLatin = 0; // Latin letters beside an ASCII one
    int implausible = 0;         // box drawing, Greek, mathematics, long runs, undecodable
};

// A Western letter inside a word becomes, in Shift-JIS, a character whose
// second byte is the letter after it, or the next accented letter; a second
// byte such as '\' is Japanese.
bool endsLikeLatin(std::string_view bytes, const StoredCharacter &ch) {
    if (ch.length < 2)
        return true;
    const auto last = static_cast<uint8_t>(bytes[ch.start + ch.length - 1]);
    return last >= 0x80 || isAsciiLetter(last);
}

// Japanese brackets and quotes come in pairs, "Manual（English）"; in a
// Western word, Shift-JIS makes one of them from 'ü' and the next letter.
constexpr std::pair<char32_t, char32_t> kJapanesePairs[] = {
    {0xFF08, 0xFF09}, {0xFF3B, 0xFF3D}, {0xFF5B, 0xFF5D}, {0x3008, 0x3009},
    {0x300A, 0x300B}, {0x300C, 0x300D}, {0x300E, 0x300F}, {0x3010, 0x3011},
    {0x3014, 0x3015}, {0x2018, 0x2019}, {0x201C, 0x201D},
};

bool hasPartner(const Characters &chars, char32_t c) {
    for (const auto &[open, close] : kJapanesePairs)
        if (c == open || c == close) {
            const char32_t partner = c == open ? close : open;
            return std::any_of(chars.begin(), chars.end(),
                               [&](const auto &ch) { return ch.c == partner; });
        }
    return false;
}

void addJapanese(std::string_view bytes, const Characters &chars, JapaneseEvidence &e) {
    auto letterAt = [&](std::size_t k) { return k < chars.size() && isAsciiLetter(chars[k].c); };
    for (std::size_t k = 0; k < chars.size(); ++k) {
        const StoredCharacter &ch = chars[k];
        const bool before = k > 0 && letterAt(k - 1);
        const bool after = letterAt(k + 1);
        const bool between = before && after && endsLikeLatin(bytes, ch);
        if (isUndecodable(ch)) {
            ++e.wrong;
        } else if (ch.c < 0x80) {
            continue;
        } else if (isKanji(ch.c)) {
            if (between)
                ++e.kanjiInsideWords;
            else
                ++e.japanese;
        } else if (isKana(ch.c)) {
            if (between) {
                ++e.wrong;
            } else {
                ++e.kana;
                ++e.japanese;
            }
        } else if (between && !hasPartner(chars, ch.c)) {
            ++e.wrong; // a symbol or full-width form inside a Latin word
        } else if (!isJapanesePunctuation(ch.c)) {
            ++e.japanese;
        }
    }
}

void addWestern(const Characters &chars, WesternEvidence &e) {
    auto letterAt = [&](std::size_t k) { return k < chars.size() && isAsciiLetter(chars[k].c); };
    auto isHigh = [&](std::size_t k) { return isUndecodable(chars[k]) || chars[k].c >= 0x80; };
    for (std::size_t k = 0; k < chars.size();) {
        if (!isHigh(k)) {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < chars.size() && isHigh(end))
            ++end;
        const bool longRun = end - k > kLongestWesternRun;
        for (; k < end; ++k) {
            const char32_t c = chars[k].c;
            if (isUndecodable(chars[k]) || longRun)
                ++e.implausible;
            else if (isLatinLetter(c) && ((k > 0 && letterAt(k - 1)) || letterAt(k + 1)))
                ++e.accentedBesideLatin;
            else if (!isLatinLetter(c) && !isUsualWesternSymbol(c))
                ++e.implausible;
        }
    }
}

// Valid UTF-8 with a character of more than one byte.
bool isMultibyteUtf8(const Characters &utf8) {
    return std::none_of(utf8.begin(), utf8.end(), isUndecodable) &&
           std::any_of(utf8.begin(), utf8.end(), [](const auto &ch) { return ch.length > 1; });
}

bool westernWins(const JapaneseEvidence &j, const WesternEvidence &w) {
    const int wrong = j.wrong + (j.kana == 0 ? j.kanjiInsideWords : 0);
    return wrong > 0 && w.implausible == 0 && w.accentedBesideLatin > j.japanese;
}

bool fewerImplausible(const WesternEvidence &a, const WesternEvidence &b) {
    return a.implausible < b.implausible ||
           (a.implausible == b.implausible && a.accentedBesideLatin > b.accentedBesideLatin);
}

// The Western code page the names read in, when the evidence is for it; the
// MS-DOS names decide between CP437 and CP850.
std::optional<Charset> westernReading(const std::vector<StoredName> &names, Charset japanese) {
    JapaneseEvidence j;
    WesternEvidence dos437, dos850, others;
    std::optional<Charset> first;
    for (const auto &name : names) {
        const Charset western = westernCharsetForOs(name.osId);
        if (western == Charset::Detect || isAscii(name.bytes))
            continue;
        if (!first)
            first = western;
        addJapanese(name.bytes, readCharacters(name.bytes, japanese), j);
        if (western == Charset::Cp437) {
            addWestern(readCharacters(name.bytes, Charset::Cp437), dos437);
            addWestern(readCharacters(name.bytes, Charset::Cp850), dos850);
        } else {
            addWestern(readCharacters(name.bytes, western), others);
        }
    }
    if (!first)
        return std::nullopt;
    const bool cp850 = fewerImplausible(dos850, dos437);
    const WesternEvidence &dos = cp850 ? dos850 : dos437;
    const WesternEvidence all{dos.accentedBesideLatin + others.accentedBesideLatin,
                              dos.implausible + others.implausible};
    if (!westernWins(j, all))
        return std::nullopt;
    if (*first == Charset::Cp437 && cp850)
        return Charset::Cp850;
    return first;
}

std::size_t undecodable(std::string_view bytes, Charset charset) {
    const Characters chars = readCharacters(bytes, charset);
    return static_cast<std::size_t>(std::count_if(chars.begin(), chars.end(), isUndecodable));
}

// Whether `charset` reads these UTF-8 bytes as mojibake: bytes it cannot
// decode, symbols where a Western page should show letters, or half-width
// katakana from the continuation bytes of three-byte characters (short
// runs of half-width katakana are valid UTF-8 by chance, so two-byte
// characters alone do not tell).
bool readsAsMojibake(std::string_view bytes, const Characters &utf8, Charset charset) {
    const Characters read = readCharacters(bytes, charset);
    if (std::any_of(read.begin(), read.end(), isUndecodable))
        return true;
    if (isWestern(charset)) {
        WesternEvidence w;
        addWestern(read, w);
        return w.implausible > 0;
    }
    const bool longCharacters =
        std::any_of(utf8.begin(), utf8.end(), [](const auto &ch) { return ch.length > 2; });
    const bool halfWidth = std::any_of(
        read.begin(), read.end(), [](const auto &ch) { return ch.c >= 0xFF61 && ch.c <= 0xFF9F; });
    return longCharacters && halfWidth;
}

// Japanese characters that make one name Japanese in an archive of Western
// names, when nothing in it reads as a Western word: one could be an
// accented letter alone ("ñ.txt" reads as "､.txt").
constexpr int kJapaneseToTellAlone = 2;

// The guess for one name alone.
Charset guessAlone(std::string_view bytes, char osId) {
    return charsetForHeader(guessNamesCharset({StoredName{bytes, osId}}), osId);
}

} // namespace

Charset guessNamesCharset(const std::vector<StoredName> &names) {
    // Names in UTF-8 are told one by one (see charsetOfName): the others
    // make the guess, unless there are no others.
    std::vector<StoredName> rest;
    bool othersHoldMore = false; // than ASCII
    for (const auto &name : names)
        if (!isMultibyteUtf8(readCharacters(name.bytes, Charset::Utf8))) {
            rest.push_back(name);
            othersHoldMore = othersHoldMore || !isAscii(name.bytes);
        }
    const auto &sample = othersHoldMore ? rest : names;
    std::string all;
    Charset usual = Charset::EucJp;
    for (const auto &name : sample) {
        all += name.bytes;
        if (usualCharsetForOs(name.osId) == Charset::Cp932)
            usual = Charset::Cp932;
    }
    const Charset japanese = detectCharset(all, usual);
    if (japanese == Charset::Utf8 || isAscii(all))
        return japanese;
    return westernReading(sample, japanese).value_or(japanese);
}

Charset charsetForHeader(Charset guessed, char osId) {
    const Charset western = westernCharsetForOs(osId);
    if (!isWestern(guessed) || western == Charset::Detect)
        return guessed;
    if (western == Charset::Cp437 && guessed == Charset::Cp850)
        return guessed;
    return western;
}

Charset charsetOfName(std::string_view bytes, char osId, Charset guessed) {
    if (isAscii(bytes))
        return guessed;
    const Characters utf8 = readCharacters(bytes, Charset::Utf8);
    if (guessed == Charset::Utf8)
        return isMultibyteUtf8(utf8) ? guessed : guessAlone(bytes, osId);
    if (isMultibyteUtf8(utf8) && readsAsMojibake(bytes, utf8, guessed))
        return Charset::Utf8;
    if (const std::size_t bad = undecodable(bytes, guessed); bad > 0) {
        const Charset alone = guessAlone(bytes, osId);
        return undecodable(bytes, alone) < bad ? alone : guessed;
    }
    if (isWestern(guessed)) {
        const Charset japanese = detectCharset(bytes, usualCharsetForOs(osId));
        if (undecodable(bytes, japanese) > 0)
            return guessed;
        JapaneseEvidence j;
        addJapanese(bytes, readCharacters(bytes, japanese), j);
        WesternEvidence w;
        addWestern(readCharacters(bytes, guessed), w);
        if (j.wrong == 0 && j.kanjiInsideWords == 0 && j.japanese >= kJapaneseToTellAlone &&
            (w.implausible > 0 || w.accentedBesideLatin == 0))
            return japanese;
    }
    return guessed;
}

} // namespace lha
