// SPDX-License-Identifier: MIT
#include "entry.h"

#include "decoder.h"

#include "charset_guess.h"
#include "holdable_name.h"
#include "path_hashes.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <mutex>
#include <sys/stat.h>

namespace lha {
namespace {

constexpr char kSeparator = '\xFF';

// 0xFF separates directories in the directory header and sometimes in names;
// it starts no character in CP932, EUC-JP or UTF-8, so the bytes around it can
// be decoded on their own.
std::string decodeSegments(const std::string &bytes, Charset charset) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        const auto end = bytes.find(kSeparator, start);
        out += toUtf8(std::string_view(bytes).substr(start, end - start), charset);
        if (end == std::string::npos)
            break;
        out += '/';
        start = end + 1;
    }
    return out;
}

// The charset shown for names stored in UTF-16.
constexpr const char *kUtf16Name = "utf-16";

std::string codePageName(uint32_t codePage) {
    if (const auto charset = charsetForCodePage(codePage))
        return charsetName(*charset);
    return "cp" + std::to_string(codePage);
}

std::string decodeSegments(const std::string &bytes, uint32_t codePage) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        const auto end = bytes.find(kSeparator, start);
        out += decodeCodePage(std::string_view(bytes).substr(start, end - start), codePage);
        if (end == std::string::npos)
            break;
        out += '/';
        start = end + 1;
    }
    return out;
}

// UTF-16 directory names separate with U+FFFF, like 0xFF in byte names.
std::string decodeUtf16Path(const std::string &bytes) {
    std::string copy = bytes;
    for (std::size_t i = 0; i + 1 < copy.size(); i += 2)
        if (static_cast<uint8_t>(copy[i]) == 0xFF && static_cast<uint8_t>(copy[i + 1]) == 0xFF)
            copy[i] = '/', copy[i + 1] = 0;
    return decodeUtf16(copy);
}

std::optional<timespec> fromUnix(uint32_t seconds) {
    if (seconds == 0)
        return std::nullopt;
    return timespec{static_cast<time_t>(seconds), 0};
}

std::optional<timespec> fromFiletime(uint64_t ticks) {
    constexpr uint64_t kTicksTo1970 = 116444736000000000ULL;
    if (ticks <= kTicksTo1970)
        return std::nullopt;
    const uint64_t since = ticks - kTicksTo1970;
    return timespec{static_cast<time_t>(since / 10000000),
                    static_cast<long>((since % 10000000) * 100)};
}

// LHARK writes its own variant of -lh7- under LHA's id; its level-1 headers
// name the OS as a space, which no other producer does.
constexpr char kLharkOsId = ' ';
constexpr std::string_view kLharkMethod = "-lk7-";
// What OS/2 tools call the extended attributes they cannot attach to a file.
constexpr std::string_view kAttributesSuffix = ".EA";
constexpr char kOs2Id = '2';
constexpr uint8_t kDosFolderAttribute = 0x10;

void copySizesAndMethod(const Header &h, MemberInfo &info) {
    info.method = h.method;
    if (h.method == "-lh7-" && h.level == 1 && h.osId == kLharkOsId)
        info.method = kLharkMethod;
    info.originalSize = h.originalSize;
    info.packedSize = h.packedSize;
    info.crc = h.crc;
    info.crcStored = h.crcStored;
    info.headerLevel = h.level;
    info.osId = h.osId;
    info.unixMode = h.unixMode;
}

// LHA 1.22 for the Amiga stores a folder as an empty member whose name is
// empty and whose directory header names the folder.
bool isNamelessFolder(const Header &h) {
    return h.name.empty() && !h.utf16Name && h.originalSize == 0 &&
           (!h.directory.empty() || (h.utf16Directory && !h.utf16Directory->empty()));
}

// The member's kind, with a link's target cut off its name, and the refusal
// of what is never created.
void classify(const Header &h, std::string &name, Entry &e) {
    MemberInfo &info = e.info;
    const Method *method = findMethod(h.method);
    if (method && method->folder) {
        const auto bar = name.find('|');
        if (bar != std::string::npos) {
            info.kind = MemberKind::Symlink;
            // Backslashes separate the target's folders as they do the name's.
            info.linkTarget = name.substr(bar + 1);
            std::replace(info.linkTarget.begin(), info.linkTarget.end(), '\\', '/');
            name.resize(bar);
        } else {
            info.kind = MemberKind::Directory;
        }
    } else if (isNamelessFolder(h)) {
        info.kind = MemberKind::Directory;
        info.method = "-lhd-";
    }
    const unsigned type = h.unixMode ? (*h.unixMode & S_IFMT) : 0;
    if (type == S_IFCHR || type == S_IFBLK || type == S_IFIFO || type == S_IFSOCK) {
        info.kind = MemberKind::Device;
        e.refusal = "device files and pipes are not created";
    } else if (type == S_IFLNK && info.kind != MemberKind::Symlink)
        e.refusal = "a symbolic link without a target";
}

// The path under the destination and the name shown for it.
void placeAtPath(const std::string &name, Entry &e) {
    MemberInfo &info = e.info;
    std::string refusal;
    e.path = splitPath(name, refusal);
    if (e.refusal.empty())
        e.refusal = refusal;
    if (!refusal.empty()) {
        // Shown as stored, so the report says what was refused.
        info.name = escapeName(name);
        std::replace(info.name.begin(), info.name.end(), '\\', '/');
    } else {
        for (const auto &part : e.path)
            info.name += (info.name.empty() ? "" : "/") + part;
    }
    if (e.refusal.empty() && e.path.empty() && info.kind != MemberKind::Directory)
        e.refusal = "the member has no name";
}

// A shown name may hold "%" as stored or as an escape; when it does, the
// stored bytes go with it, so that a reader can always tell which.
void keepStoredBytes(const Header &h, MemberInfo &info) {
    if (info.name.find('%') == std::string::npos && info.linkTarget.find('%') == std::string::npos)
        return;
    info.storedName = h.utf16Directory ? *h.utf16Directory : h.directory;
    info.storedName += h.utf16Name ? *h.utf16Name : h.name;
}

void restoreTimes(const Header &h, Entry &e) {
    if (h.windowsMtime)
        e.mtime = fromFiletime(*h.windowsMtime);
    if (!e.mtime && h.unixTime)
        e.mtime = fromUnix(*h.unixTime);
    if (!e.mtime && h.level <= 1)
        e.mtime = dosTime(h.dosTime);
    if (h.windowsAtime)
        e.atime = fromFiletime(*h.windowsAtime);
    if (e.mtime)
        e.info.mtime = e.mtime->tv_sec;
}

// mktime looks at the zone file again at every call (glibc stats it), which
// over an archive of many members costs as much as the rest of the listing.
// The zone is read once; localtime_r, which does not look again, gives the
// offset, and mktime is left only for times within a day of a change of
// offset, where its choice between two readings (or none) is the one kept.
std::optional<time_t> fromLocalTime(const std::tm &wanted) {
    constexpr time_t kDay = 24 * 60 * 60;
    static std::once_flag zoneRead;
    std::call_once(zoneRead, [] { tzset(); });
    auto offsetAt = [](time_t at) -> std::optional<long> {
        std::tm local{};
        if (!localtime_r(&at, &local))
            return std::nullopt;
        return local.tm_gmtoff;
    };
    std::tm utc = wanted;
    const time_t asUtc = timegm(&utc);
    if (asUtc != static_cast<time_t>(-1)) {
        if (const auto offset = offsetAt(asUtc)) {
            const time_t t = asUtc - *offset;
            if (offsetAt(t - kDay) == offset && offsetAt(t + kDay) == offset)
                return t;
        }
    }
    std::tm local = wanted;
    const time_t t = std::mktime(&local);
    if (t == static_cast<time_t>(-1))
        return std::nullopt;
    return t;
}

// A comment is read in the charset of the archive's names: its own few
// words are too little evidence to weigh on their own.
std::string decodeComment(const Header &h, NameReading reading) {
    if (h.comment.empty())
        return {};
    if (h.codePage)
        return decodeCodePage(h.comment, *h.codePage);
    Charset charset = charsetForOs(h.osId);
    if (reading.forced || charset == Charset::Detect)
        charset = reading.forced ? reading.charset : charsetForHeader(reading.charset, h.osId);
    return toUtf8(h.comment, charset);
}

} // namespace

std::optional<timespec> dosTime(uint32_t stamp) {
    const unsigned date = stamp >> 16;
    const unsigned time = stamp & 0xFFFF;
    std::tm tm{};
    tm.tm_year = static_cast<int>(80 + (date >> 9));
    tm.tm_mon = static_cast<int>((date >> 5) & 15) - 1;
    tm.tm_mday = static_cast<int>(date & 31);
    tm.tm_hour = static_cast<int>(time >> 11);
    tm.tm_min = static_cast<int>((time >> 5) & 63);
    tm.tm_sec = static_cast<int>((time & 31) * 2);
    tm.tm_isdst = -1;
    if (stamp == 0 || tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday == 0 || tm.tm_hour > 23 ||
        tm.tm_min > 59 || tm.tm_sec > 59)
        return std::nullopt;
    const auto t = fromLocalTime(tm);
    if (!t)
        return std::nullopt;
    return timespec{*t, 0};
}

Charset guessCharset(const std::vector<Header> &headers) {
    std::vector<std::string> joined;
    std::vector<char> osIds;
    for (const auto &h : headers)
        if (!h.codePage && charsetForOs(h.osId) == Charset::Detect) {
            joined.push_back(h.directory + h.name);
            std::erase(joined.back(), kSeparator);
            osIds.push_back(h.osId);
        }
    std::vector<StoredName> names;
    names.reserve(joined.size());
    for (std::size_t i = 0; i < joined.size(); ++i)
        names.push_back({joined[i], osIds[i]});
    return guessNamesCharset(names);
}

std::string decodeStoredName(const Header &h, NameReading reading, std::string *charsetShown) {
    std::string shown;
    auto decodeBytes = [&](const std::string &bytes) {
        if (h.codePage) {
            shown = codePageName(*h.codePage);
            return decodeSegments(bytes, *h.codePage);
        }
        Charset charset = charsetForOs(h.osId);
        if (reading.forced) {
            charset = reading.charset;
        } else if (charset == Charset::Detect) {
            std::string joined = h.directory + h.name;
            std::erase(joined, kSeparator);
            charset = charsetOfName(joined, h.osId, charsetForHeader(reading.charset, h.osId));
        }
        shown = charsetName(charset);
        return decodeSegments(bytes, charset);
    };
    const std::string directory =
        h.utf16Directory ? decodeUtf16Path(*h.utf16Directory) : decodeBytes(h.directory);
    const std::string name = h.utf16Name ? decodeUtf16(*h.utf16Name) : decodeBytes(h.name);
    if (h.utf16Name)
        shown = kUtf16Name;
    if (charsetShown)
        *charsetShown = std::move(shown);
    if (directory.empty() || directory.back() == '/' || directory.back() == '\\')
        return directory + name;
    return directory + "/" + name;
}

std::vector<std::string> splitPath(const std::string &name, std::string &refusal) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        auto end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            refusal = "the name leads out of the destination (\"..\")";
            continue;
        }
        // A drive letter only means something at the front.
        if (parts.empty() && part.size() == 2 && part[1] == ':' &&
            std::isalpha(static_cast<unsigned char>(part[0])))
            continue;
        parts.push_back(escapeName(part));
    }
    return parts;
}

Entry makeEntry(const Header &h, uint64_t dataOffset, NameReading reading) {
    Entry e;
    e.dataOffset = dataOffset;
    copySizesAndMethod(h, e.info);
    std::string name = holdableName(decodeStoredName(h, reading, &e.info.charset));
    classify(h, name, e);
    placeAtPath(name, e);
    keepStoredBytes(h, e.info);
    restoreTimes(h, e);
    e.info.comment = decodeComment(h, reading);
    e.macbinaryCandidate = h.osId == 'm' && e.info.kind == MemberKind::File;
    e.attributesCandidate = e.info.kind == MemberKind::File &&
                            (h.osId == kOs2Id || (h.dosAttributes & kDosFolderAttribute) != 0);
    return e;
}

Entry fileEntryForData(const Header &h, uint64_t dataOffset) {
    Entry e;
    e.dataOffset = dataOffset;
    copySizesAndMethod(h, e.info);
    e.info.kind = MemberKind::File;
    e.macbinaryCandidate = h.osId == 'm';
    return e;
}

std::size_t heldBytes(const std::vector<std::string> &path) {
    std::size_t bytes = 0;
    for (const auto &part : path)
        bytes += sizeof part + part.size();
    return bytes;
}

std::size_t heldBytes(const Entry &e) {
    return sizeof e + e.info.name.size() + e.info.linkTarget.size() + e.info.method.size() +
           e.info.comment.size() + e.info.storedName.size() + e.refusal.size() + heldBytes(e.path);
}

namespace {

bool endsWithAttributesSuffix(const std::vector<std::string> &path) {
    return !path.empty() && path.back().ends_with(kAttributesSuffix);
}

void sortUnique(std::vector<uint64_t> &hashes) {
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
}

bool holds(const std::vector<uint64_t> &sorted, uint64_t hash) {
    return std::binary_search(sorted.begin(), sorted.end(), hash);
}

// 4 MiB of hashes at most, twice that while they are tidied.
constexpr std::size_t kMostHashes = 512 * 1024;

} // namespace

void FolderAttributes::learn(const Entry &e) {
    if (m_gaveUp)
        return;
    m_tidy = false;
    if (endsWithAttributesSuffix(e.path))
        m_taken.push_back(pathHash(e.path, e.path.size()));
    std::size_t depth = e.path.size();
    if (e.info.kind != MemberKind::Directory && depth > 0)
        --depth;
    PathHasher folder;
    for (std::size_t n = 0; n < depth; ++n) {
        folder.add(e.path[n]);
        m_folders.push_back(folder.value());
    }
    // Most members share their folders: duplicates go now and then, and
    // always before the hashes outgrow what was set aside for them.
    const std::size_t held = m_folders.size() + m_taken.size();
    if (held > std::min(2 * m_tidySize + 1024, 2 * kMostHashes)) {
        sortUnique(m_folders);
        sortUnique(m_taken);
        m_tidySize = m_folders.size() + m_taken.size();
        if (m_tidySize > kMostHashes) {
            m_gaveUp = true;
            m_folders = {};
            m_taken = {};
        } else if (m_folders.capacity() < 2 * kMostHashes) {
            // Room for one more member's folders past the limit, so that
            // growing never doubles the vector beyond it.
            m_folders.reserve(2 * kMostHashes + PATH_MAX / 2);
        }
    }
}

void FolderAttributes::tidy() {
    if (m_tidy)
        return;
    sortUnique(m_folders);
    sortUnique(m_taken);
    m_tidy = true;
}

void FolderAttributes::keepApart(Entry &e) {
    tidy();
    if (m_gaveUp || !e.attributesCandidate || !e.refusal.empty() || m_folders.empty() ||
        !holds(m_folders, pathHash(e.path, e.path.size())))
        return;
    auto path = e.path;
    path.back() += kAttributesSuffix;
    const uint64_t renamed = pathHash(path, path.size());
    if (holds(m_taken, renamed) || holds(m_renamed, renamed))
        return;
    m_renamed.insert(std::lower_bound(m_renamed.begin(), m_renamed.end(), renamed), renamed);
    e.path = std::move(path);
    e.info.name += kAttributesSuffix;
}

} // namespace lha
