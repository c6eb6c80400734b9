// SPDX-License-Identifier: MIT
#include "invocation.h"

#include "lha/lha.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sys/stat.h>

namespace unlha {
namespace {

constexpr std::string_view kFolderOption = "w=";
constexpr std::string_view kEndOfOptions = "--";
// The command letter of the archive library's one-line form.
constexpr char kLibraryVerb = 'e';

bool isRegularFile(const std::filesystem::path &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<Action> readAction(char letter) {
    switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 'x':
    case 'e':
        return Action::Extract;
    case 'l':
        return Action::List;
    case 'v':
        return Action::VerboseList;
    case 't':
        return Action::Test;
    case 'p':
        return Action::Print;
    }
    return std::nullopt;
}

std::string inQuotes(std::string_view word) {
    std::string out;
    out.reserve(word.size() + 2);
    out.append(1, '\'').append(word).append(1, '\'');
    return out;
}

// Option letters, as glued after the command letter ("qf" of "xqf") or in
// a word of their own ("-qf"); "w=DIR" ends them.
std::string readOptionLetters(std::string_view word, std::size_t from, Invocation &out) {
    for (std::size_t i = from; i < word.size(); ++i) {
        const std::string_view rest = word.substr(i);
        if (rest.starts_with(kFolderOption)) {
            if (rest.size() == kFolderOption.size())
                return "w= needs a folder in " + inQuotes(word);
            out.destination = std::string(rest.substr(kFolderOption.size()));
            break;
        }
        switch (word[i]) {
        case 'q':
            out.quiet = true;
            // A quiet level, as in "q2": every level is quiet here.
            while (i + 1 < word.size() && std::isdigit(static_cast<unsigned char>(word[i + 1])))
                ++i;
            break;
        case 'f':
            out.replace = true;
            break;
        case 'i':
            out.ignoreFolders = true;
            break;
        case 'n':
            out.dryRun = true;
            break;
        case 'v':
            if (out.action == Action::List)
                out.action = Action::VerboseList;
            else
                out.verbose = true;
            break;
        default:
            return "unknown option letter " + inQuotes(word.substr(i, 1)) + " in " +
                   inQuotes(word) + " (expected q f i n v w=DIR)";
        }
    }
    return {};
}

// "xqf", "-x", "xw=DIR": the command letter, then option letters.
std::string readCommandWord(std::string_view word, Invocation &out) {
    const std::size_t at = word.starts_with('-') ? 1 : 0;
    const auto action = word.size() > at ? readAction(word[at]) : std::nullopt;
    if (!action)
        return "unknown command " + inQuotes(word) + " (expected one of x e l v t p)";
    out.action = *action;
    return readOptionLetters(word, at + 1, out);
}

// "e", "-e", "ef": the verb of the library's own line.
bool isLibraryVerb(std::string_view commandWord) {
    const std::size_t at = commandWord.starts_with('-') ? 1 : 0;
    return commandWord.size() > at &&
           std::tolower(static_cast<unsigned char>(commandWord[at])) == kLibraryVerb;
}

std::string joined(const std::vector<std::string> &words, std::size_t from, std::size_t to) {
    std::string line;
    for (std::size_t i = from; i < to; ++i) {
        if (i > from)
            line += ' ';
        line += words[i];
    }
    return line;
}

// The classic form is the archive library's own line: "e ARCHIVE DEST/". The
// library reads "-" as a file name; here it is standard input.
std::string readLibraryForm(const std::vector<std::string> &words, std::size_t next,
                            const unlha::FileProbe &isFile, Invocation &out) {
    const auto probe = [&isFile](const std::filesystem::path &path) {
        return path == kStandardInput || isFile(path);
    };
    const auto parsed = unlha::parseCommand("e " + joined(words, next, words.size()), probe);
    if (!parsed.ok())
        return parsed.error;
    out.archive = parsed.command.archive;
    out.destination = parsed.command.destination;
    out.choice = parsed.choice;
    out.libraryForm = true;
    return {};
}

// "--charset NAME" or "--charset=NAME", at words[i]: takes the name (and
// the word that holds it); false when words[i] is no such option.
bool takeCharset(std::vector<std::string> &words, std::size_t &i, Invocation &out,
                 std::string &error) {
    constexpr std::string_view kCharsetOption = "--charset";
    const std::string &word = words[i];
    if (word == kCharsetOption) {
        if (i + 1 == words.size()) {
            error = "--charset needs a charset name";
            return true;
        }
        out.charset = words[++i];
    } else if (word.starts_with(kCharsetOption) && word[kCharsetOption.size()] == '=') {
        out.charset = word.substr(kCharsetOption.size() + 1);
    } else {
        return false;
    }
    if (!lha::isCharsetName(out.charset))
        error = "unknown charset " + inQuotes(out.charset) +
                " (expected cp932, euc-jp, utf-8, latin-1, cp437, cp850, mac-roman or cp1252)";
    return true;
}

// Takes --json, --charset, --help and --version out of the words; a "--"
// word ends them, and every word after it (from index optionsEnd of what is
// left) is an operand.
std::string takeLongOptions(std::vector<std::string> &words, Invocation &out, bool &help,
                            bool &version, std::size_t &optionsEnd) {
    std::vector<std::string> kept;
    bool ended = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string &word = words[i];
        std::string error;
        if (!ended && takeCharset(words, i, out, error)) {
            if (!error.empty())
                return error;
        } else if (ended || !word.starts_with(kEndOfOptions)) {
            kept.push_back(std::move(word));
        } else if (word == kEndOfOptions) {
            ended = true;
            optionsEnd = kept.size();
        } else if (word == "--json") {
            out.json = true;
        } else if (word == "--help") {
            help = true;
        } else if (word == "--version") {
            version = true;
        } else {
            return "unknown option " + inQuotes(word) +
                   " (expected --help, --version, --json or --charset NAME)";
        }
    }
    if (!ended)
        optionsEnd = kept.size();
    words = std::move(kept);
    return {};
}

// The shell has split the words already: the archive is one word, and every
// later word names members, whatever it ends with. Only "e ARCHIVE DEST/"
// is read as the library reads it.
std::string readOperands(const std::vector<std::string> &words, std::size_t next,
                         std::size_t optionsEnd, bool libraryVerb, const unlha::FileProbe &isFile,
                         Invocation &out) {
    // Before the archive: "w=DIR" and words of option letters ("-f"), unless
    // such a word names the archive itself.
    for (; next < optionsEnd; ++next) {
        const std::string &word = words[next];
        if (word.starts_with(kFolderOption)) {
            if (word.size() == kFolderOption.size())
                return "w= needs a folder";
            out.destination = word.substr(kFolderOption.size());
        } else if (word.size() > 1 && word.starts_with('-') && !isFile(word)) {
            if (auto error = readOptionLetters(word, 1, out); !error.empty())
                return error;
        } else {
            break;
        }
    }
    if (next == words.size())
        return "no archive given";
    if (libraryVerb && out.destination.empty() && words.size() - next >= 2 &&
        words.back().ends_with('/'))
        return readLibraryForm(words, next, isFile, out);
    out.archive = words[next];
    out.patterns.assign(words.begin() + static_cast<std::ptrdiff_t>(next) + 1, words.end());
    return {};
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string> &arguments,
                               const unlha::FileProbe &isFile) {
    const unlha::FileProbe probe = isFile ? isFile : unlha::FileProbe(isRegularFile);
    ParsedArguments result;
    Invocation &out = result.invocation;
    std::vector<std::string> words = arguments;
    bool help = false;
    bool version = false;
    std::size_t optionsEnd = 0;
    result.error = takeLongOptions(words, out, help, version, optionsEnd);
    if (!result.error.empty())
        return result;
    if (help || version) {
        out.action = help ? Action::Help : Action::Version;
        return result;
    }
    if (words.empty()) {
        result.error = "no command given";
        return result;
    }
    result.error = readCommandWord(words.front(), out);
    if (result.error.empty())
        result.error = readOperands(words, 1, std::max<std::size_t>(optionsEnd, 1),
                                    isLibraryVerb(words.front()), probe, out);
    if (result.error.empty() && out.json && out.action != Action::List &&
        out.action != Action::VerboseList && out.action != Action::Test)
        result.error = "--json goes with l, v and t";
    return result;
}

} // namespace unlha
