#include "lha/command.h"

#include <cctype>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace lha {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A path given as "a b" or "a b"/ loses its pair of quotes; anything else is
// taken as it stands.
std::string unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"') {
        const auto close = s.find('"', 1);
        if (close != std::string_view::npos) {
            std::string out(s.substr(1, close - 1));
            out.append(s.substr(close + 1));
            return out;
        }
    }
    return std::string(s);
}

bool isRegularFile(const std::filesystem::path &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool hasArchiveExtension(std::string_view name) {
    static constexpr std::string_view kExtensions[] = {".lzh", ".lha", ".lzs", ".pma", ".exe"};
    for (auto ext : kExtensions) {
        if (name.size() < ext.size())
            continue;
        auto tail = name.substr(name.size() - ext.size());
        bool same = true;
        for (std::size_t i = 0; i < ext.size(); ++i)
            same = same && std::tolower(static_cast<unsigned char>(tail[i])) == ext[i];
        if (same)
            return true;
    }
    return false;
}

std::optional<Verb> readVerb(std::string_view word) {
    if (word.size() != 1)
        return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(word[0]))) {
    case 'e':
    case 'x':
        return Verb::Extract;
    case 'l':
        return Verb::List;
    case 't':
        return Verb::Test;
    }
    return std::nullopt;
}

struct Split {
    std::string archive;
    std::string destination;
};

// Every way to cut "ARCHIVE DEST/" at one blank, the archive part growing.
std::vector<Split> splits(std::string_view rest) {
    std::vector<Split> out;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != ' ' && rest[i] != '\t')
            continue;
        auto archive = trim(rest.substr(0, i));
        auto destination = trim(rest.substr(i + 1));
        if (!archive.empty() && !destination.empty())
            out.push_back({std::string(archive), std::string(destination)});
    }
    return out;
}

// The archive part may carry quotes that belong to the name or that only
// protect it; the file system decides which.
std::optional<std::string> existingArchive(const std::string &part, const FileProbe &isFile) {
    if (isFile(part))
        return part;
    auto bare = unquote(part);
    if (bare != part && isFile(bare))
        return bare;
    return std::nullopt;
}

CommandResult readExtract(std::string_view rest, const FileProbe &isFile) {
    CommandResult result;
    result.command.verb = Verb::Extract;
    const auto candidates = splits(rest);
    if (candidates.empty()) {
        result.error = "no destination directory given (it must end with /)";
        return result;
    }

    // The longest archive part that names a file wins; without one, an archive
    // name is guessed from its extension so that the error names the right file.
    std::optional<Split> chosen;
    for (const auto &c : candidates)
        if (auto name = existingArchive(c.archive, isFile))
            chosen = Split{*name, c.destination};
    if (!chosen)
        for (const auto &c : candidates)
            if (hasArchiveExtension(unquote(c.archive))) {
                chosen = Split{unquote(c.archive), c.destination};
                break;
            }
    if (!chosen)
        chosen = Split{unquote(candidates.front().archive), candidates.front().destination};

    auto destination = unquote(chosen->destination);
    if (destination.empty() || destination.back() != '/') {
        result.error = "no destination directory given (it must end with /)";
        return result;
    }
    // The mark goes, except when it is all there is: "/" is the root.
    if (destination.size() > 1)
        destination.pop_back();
    result.command.archive = chosen->archive;
    result.command.destination = destination;
    return result;
}

} // namespace

CommandResult parseCommand(std::string_view line, const FileProbe &isFile) {
    const FileProbe probe = isFile ? isFile : FileProbe(isRegularFile);
    CommandResult result;
    line = trim(line);
    std::size_t end = 0;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    const auto verbWord = line.substr(0, end);
    const auto verb = readVerb(verbWord);
    if (!verb) {
        result.error = verbWord.empty() ? "empty command" : "unknown command: ";
        result.error.append(verbWord);
        return result;
    }
    const auto rest = trim(line.substr(end));
    if (rest.empty()) {
        result.error = "no archive given";
        return result;
    }
    if (*verb == Verb::Extract)
        return readExtract(rest, probe);
    result.command.verb = *verb;
    result.command.archive = existingArchive(std::string(rest), probe).value_or(unquote(rest));
    return result;
}

} // namespace lha
