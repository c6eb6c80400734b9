// SPDX-License-Identifier: MIT
#pragma once
// Builds small archives byte by byte, for tests that need headers no tool
// writes: broken checksums, hostile names, lying lengths.
#include "test_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace lha::testing {

struct Member {
    Member(std::string n, std::string d) : name(std::move(n)), data(std::move(d)) {}
    std::string name; // raw bytes; '\' or 0xFF separators as the level wants
    std::string data; // stored as -lh0- unless method says otherwise
    std::string method = "-lh0-";
    std::optional<uint64_t> originalSize; // the data's size unless given
    std::optional<std::string> directory; // an extended header of its own, 0xFF separators
    int level = 2;
    char osId = 'U';
    uint8_t attributes = 0x20; // MS-DOS attribute byte
    std::optional<uint16_t> unixMode;
    std::optional<uint16_t> crc; // the data's CRC unless given
    uint32_t time = 981173106;   // Unix time for level 2, DOS stamp for levels 0 and 1
    // Level 2: how many bytes of the header its total size leaves out.
    std::size_t uncounted = 0;
};

inline void put16(std::string &s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string &s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

inline std::string extension(uint8_t type, const std::string &body) {
    return std::string(1, static_cast<char>(type)) + body;
}

// Levels 0 and 1; level 1 carries its OS id and the directory in extended
// headers, which its packed size counts.
inline std::string level01Header(const Member &m) {
    std::string extensions;
    if (m.level == 1 && m.directory) {
        const std::string e = extension(0x02, *m.directory);
        put16(extensions, static_cast<uint32_t>(e.size() + 2));
        extensions += e;
    }
    std::string h;
    h += m.method;
    put32(h, static_cast<uint32_t>(m.data.size() + extensions.size()));
    put32(h, static_cast<uint32_t>(m.originalSize.value_or(m.data.size())));
    put32(h, m.time);
    h += static_cast<char>(m.attributes);
    h += static_cast<char>(m.level);
    h += static_cast<char>(m.name.size());
    h += m.name;
    put16(h, m.crc.value_or(crcOf(m.data)));
    if (m.level == 1) {
        h += m.osId;
        // The first extended header's size ends the base header, the rest
        // follow it.
        if (extensions.empty()) {
            put16(h, 0);
        } else {
            h += extensions.substr(0, 2);
            extensions = extensions.substr(2);
            put16(extensions, 0);
        }
    }
    uint8_t sum = 0;
    for (char c : h)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    return std::string(1, static_cast<char>(h.size())) + static_cast<char>(sum) + h + extensions;
}

// A level-0 header whose bytes after the name are `tail` instead of the CRC
// and whatever follows it: the shapes of writers that leave the CRC out
// (an empty tail) or keep fields of their own there.
inline std::string level0WithTail(const Member &m, const std::string &tail) {
    constexpr std::size_t kNameAt = 22;
    Member level0 = m;
    level0.level = 0;
    std::string h = level01Header(level0).substr(0, kNameAt + m.name.size()) + tail;
    uint8_t sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(h[i]));
    h[0] = static_cast<char>(h.size() - 2);
    h[1] = static_cast<char>(sum);
    return h;
}

inline std::string level2Header(const Member &m) {
    std::vector<std::string> parts = {extension(0x00, std::string(2, '\0')),
                                      extension(0x01, m.name)};
    if (m.directory)
        parts.push_back(extension(0x02, *m.directory));
    if (m.unixMode) {
        std::string mode;
        put16(mode, *m.unixMode);
        parts.push_back(extension(0x50, mode));
    }
    std::string h;
    put16(h, 0); // total size, set below
    h += m.method;
    put32(h, static_cast<uint32_t>(m.data.size()));
    put32(h, static_cast<uint32_t>(m.originalSize.value_or(m.data.size())));
    put32(h, m.time);
    h += static_cast<char>(m.attributes);
    h += '\x02';
    put16(h, m.crc.value_or(crcOf(m.data)));
    h += m.osId;
    // Each extended header is preceded by its size (type, body and the next
    // size field).
    std::size_t crcField = 0;
    for (const auto &p : parts) {
        put16(h, static_cast<uint32_t>(p.size() + 2));
        if (static_cast<uint8_t>(p[0]) == 0x00)
            crcField = h.size() + 1;
        h += p;
    }
    put16(h, 0);
    const std::size_t total = h.size() - m.uncounted;
    h[0] = static_cast<char>(total & 0xFF);
    h[1] = static_cast<char>(total >> 8);
    const uint16_t crc = crcOf(h);
    h[crcField] = static_cast<char>(crc & 0xFF);
    h[crcField + 1] = static_cast<char>(crc >> 8);
    return h;
}

inline std::string buildArchive(const std::vector<Member> &members) {
    std::string out;
    for (const auto &m : members)
        out += (m.level <= 1 ? level01Header(m) : level2Header(m)) + m.data;
    out += '\0';
    return out;
}

inline void writeFile(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path &base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / "lha-test-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(const std::string &name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// A folder in memory, for tests that create many thousands of entries,
// which a disk takes seconds over; the usual one when there is none.
inline std::filesystem::path fastTempBase() {
    const std::filesystem::path shm = "/dev/shm";
    return ::access(shm.c_str(), W_OK) == 0 ? shm : std::filesystem::temp_directory_path();
}

// Every path under root, relative, sorted; links are not followed.
inline std::vector<std::string> treeOf(const std::filesystem::path &root) {
    std::vector<std::string> out;
    for (auto it = std::filesystem::recursive_directory_iterator(root);
         it != std::filesystem::recursive_directory_iterator(); ++it)
        out.push_back(std::filesystem::relative(it->path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace lha::testing
