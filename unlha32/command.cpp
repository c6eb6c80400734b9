// SPDX-License-Identifier: MIT
#include "command.h"

#include <cctype>
#include <climits>
#include <optional>
#include <sys/stat.h>

namespace unlha {
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

// The longest line worth reading: the verb, two paths of the longest length
// the system accepts, with their quotes, blanks and the destination's mark.
constexpr std::size_t kLongestLine = 2 * PATH_MAX + 16;

struct Split {
    std::string archive;
    std::string destination;
};

// The archive part may carry quotes that belong to the name or that only
// protect it; the file system decides which.
std::optional<std::string> existingArchive(std::string_view part, const FileProbe &isFile) {
    if (part.size() >= PATH_MAX)
        return std::nullopt;
    const std::string whole(part);
    if (isFile(whole))
        return whole;
    auto bare = unquote(part);
    if (bare != whole && isFile(bare))
        return bare;
    return std::nullopt;
}

// The folder a destination part names, without its closing mark.
std::string folderOf(std::string_view part) {
    auto folder = unquote(part);
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The ways to cut "ARCHIVE DEST/" at one blank, weighed one at a time so
// that a long line costs no more memory than the line itself.
struct Reading {
    std::optional<Split> withFolder; // archive exists, destination is a folder
    std::optional<Split> withFile;   // archive exists
    std::optional<Split> byExtension;
    std::optional<Split> first;
    std::size_t archivesFound = 0;
};

Reading readSplits(std::string_view rest, const FileProbe &isFile, const FileProbe &isFolder) {
    Reading reading;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != ' ' && rest[i] != '\t')
            continue;
        const auto archive = trim(rest.substr(0, i));
        const auto destination = trim(rest.substr(i + 1));
        if (archive.empty() || destination.empty())
            continue;
        if (!reading.first)
            reading.first = Split{unquote(archive), std::string(destination)};
        if (auto name = existingArchive(archive, isFile)) {
            ++reading.archivesFound;
            // The longest archive part wins among equals.
            Split split{*name, std::string(destination)};
            const auto folder = folderOf(destination);
            if (folder.size() < PATH_MAX && isFolder(folder))
                reading.withFolder = split;
            reading.withFile = std::move(split);
        } else if (!reading.byExtension && hasArchiveExtension(unquote(archive))) {
            reading.byExtension = Split{unquote(archive), std::string(destination)};
        }
    }
    return reading;
}

// Prefers a split whose destination exists, so that a line naming two
// archives never makes a folder tree out of the second; without one, the
// longest archive part that names a file; without one, an archive name is
// guessed from its extension so that the error names the right file.
CommandResult readExtract(std::string_view rest, const FileProbe &isFile,
                          const FileProbe &isFolder) {
    CommandResult result;
    result.command.verb = Verb::Extract;
    const Reading reading = readSplits(rest, isFile, isFolder);
    const auto &chosen = reading.withFolder    ? reading.withFolder
                         : reading.withFile    ? reading.withFile
                         : reading.byExtension ? reading.byExtension
                                               : reading.first;
    if (!chosen) {
        result.error = "no destination directory given (it must end with /)";
        return result;
    }
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
    const bool folderExists = reading.withFolder.has_value();
    if (reading.archivesFound > 1 || (reading.withFile && !folderExists)) {
        result.choice =
            "read as archive \"" + chosen->archive + "\", destination \"" + destination + "\"";
        if (reading.archivesFound > 1)
            result.choice += " (of " + std::to_string(reading.archivesFound) + " readings)";
        if (!folderExists)
            result.choice += "; the destination does not exist and is created";
    }
    return result;
}

bool isExistingFolder(const std::filesystem::path &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

CommandResult parseCommand(std::string_view line, const FileProbe &isFile,
                           const FileProbe &isFolderProbe) {
    const FileProbe probe = isFile ? isFile : FileProbe(isRegularFile);
    const FileProbe folderProbe = isFolderProbe ? isFolderProbe : FileProbe(isExistingFolder);
    CommandResult result;
    line = trim(line);
    if (line.size() > kLongestLine) {
        result.error = "the command is longer than any two paths the system accepts";
        return result;
    }
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
        return readExtract(rest, probe, folderProbe);
    result.command.verb = *verb;
    result.command.archive = existingArchive(rest, probe).value_or(unquote(rest));
    return result;
}

} // namespace unlha
