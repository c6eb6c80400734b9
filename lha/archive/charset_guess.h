// SPDX-License-Identifier: MIT
#pragma once
// Which charset the names of an archive are in, when their producer does
// not say: Japanese (Shift-JIS, EUC-JP, UTF-8) or the code page of a
// machine outside Japan (CP437 or CP850 for MS-DOS, Mac OS Roman,
// Windows-1252), told from how each reading looks.
#include "charset.h"

#include <string_view>
#include <vector>

namespace lha {

struct StoredName {
    std::string_view bytes; // directory and name, without separators
    char osId = 0;
};

// One guess for all the names. Japanese is kept unless the Japanese reading
// shows that it is wrong (bytes it cannot decode, half-width katakana or a
// rare symbol between Latin letters, a lone kanji inside a Latin word in an
// archive with no kana), the Western reading shows only letters and the
// usual symbols, and it has more accented letters beside Latin ones than
// the Japanese reading has Japanese characters.
Charset guessNamesCharset(const std::vector<StoredName> &names);

// The charset a header of this OS reads under the archive's guess: a
// Western guess stands for each producer's own code page.
Charset charsetForHeader(Charset guessed, char osId);

// The charset one name is read in: `guessed` (the header's charset under the
// archive's guess), unless the name's own evidence is strong: it is valid
// multi-byte UTF-8 that `guessed` reads as mojibake, it holds bytes
// `guessed` cannot decode and its own best reading decodes more of them, or
// it reads as Japanese where the Western guess gives symbols.
Charset charsetOfName(std::string_view bytes, char osId, Charset guessed);

} // namespace lha
