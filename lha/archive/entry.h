// SPDX-License-Identifier: MIT
#pragma once
// A member as the engine works with it: the header turned into a safe
// relative path, a kind, and the time stamps to restore.
#include "charset.h"
#include "header.h"
#include "lha/lha.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace lha {

struct Entry {
    MemberInfo info;
    uint64_t dataOffset = 0;
    bool truncated = false;        // the archive ends inside its data
    std::vector<std::string> path; // components under the destination
    std::string refusal;           // why it must not be written; empty when safe
    std::optional<timespec> mtime;
    std::optional<timespec> atime;
    bool macbinaryCandidate = false;  // MacLHA data that may carry a MacBinary prefix
    bool attributesCandidate = false; // OS/2 data that may be a folder's extended attributes
};

// About what an entry, or a path, holds in memory, for the budgets of a run.
std::size_t heldBytes(const Entry &entry);
std::size_t heldBytes(const std::vector<std::string> &path);

// How the names of headers whose producer fixes no charset are read.
struct NameReading {
    NameReading(Charset c, bool f = false) : charset(c), forced(f) {}
    // The charset that fits the names of the whole archive (see
    // guessCharset), or the one the user named.
    Charset charset;
    // Named by the user: it reads every name stored in bytes, whatever its
    // producer, and no name's own evidence overrides it.
    bool forced;
};

Entry makeEntry(const Header &header, uint64_t dataOffset, NameReading reading);
// The entry makeEntry() would make of a file member, but for its name, times
// and comment: enough to know how its data decodes, without reading a name
// whose charset may not be known yet.
Entry fileEntryForData(const Header &header, uint64_t dataOffset);

// LH/2 for OS/2 stores a folder's extended attributes as a file member named
// like the folder, which later members need as a folder. Such a file is
// renamed "NAME.EA", as OS/2 tools name attributes they cannot attach, so
// that the folder and the attribute data both come out. Only a member that
// may be such data is renamed: one from OS/2, or one that carries the MS-DOS
// folder attribute though it holds data, as LH/2 marks them. Any other file
// named like a folder collides with it in the destination and fails there.
// Every entry is learnt first, then each is set apart in archive order. Paths
// are held as 64-bit hashes, and only those that matter (folders, and names
// already ending in ".EA"), so that millions of members cost little. Past
// half a million folders, which no real archive has, renaming is given up
// rather than memory: a file and a folder of the same name then collide in
// the destination, and that member fails with its own error.
class FolderAttributes {
public:
    void learn(const Entry &entry);
    // Every walk over the members starts with this, so that each walk
    // renames the same members.
    void startWalk() { m_renamed.clear(); }
    void keepApart(Entry &entry);

private:
    void tidy();

    std::vector<uint64_t> m_folders;
    std::vector<uint64_t> m_taken;
    std::vector<uint64_t> m_renamed; // names given by keepApart in this walk, sorted
    std::size_t m_tidySize = 0;
    bool m_tidy = true;
    bool m_gaveUp = false;
};

// The stored name as UTF-8, before it is split into a path; `charset`, when
// given, is set to the name of the charset it was read in.
std::string decodeStoredName(const Header &header, NameReading reading,
                             std::string *charset = nullptr);

// One guess for all the names of an archive whose producers leave the
// charset open: a short name can pass for UTF-8 by chance ("表" in EUC-JP is
// a valid two-byte UTF-8 sequence), the names of a whole archive rarely do.
Charset guessCharset(const std::vector<Header> &headers);

// Splits a decoded name at '/' and '\', dropping empty and "." components,
// leading separators and a drive letter. A ".." component makes `refusal`
// non-empty. Characters no name should hold become "%XX" (see escapeName).
std::vector<std::string> splitPath(const std::string &name, std::string &refusal);

// The time a DOS date-and-time stands for, read as local time; none when
// zero or impossible.
std::optional<timespec> dosTime(uint32_t stamp);

} // namespace lha
