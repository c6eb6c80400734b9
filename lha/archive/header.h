// SPDX-License-Identifier: MIT
#pragma once
// One member header, as stored: levels 0 to 3 with their extended headers.
// The parser trusts no length: everything is checked against the bytes it is
// given and against the largest header size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lha {

constexpr std::size_t kMaxHeaderSize = 64 * 1024;

struct Header {
    int level = 0;
    std::string method;      // five characters, "-lh5-"
    uint64_t packedSize = 0; // bytes of data after the header
    uint64_t originalSize = 0;
    uint16_t crc = 0;                          // CRC-16 of the original data
    bool crcStored = true;                     // false when the header has no CRC field
    char osId = 0;                             // 0 when the header names none
    std::string name;                          // raw bytes; '\' separators for levels 0 and 1
    std::string directory;                     // raw bytes of the directory header; 0xFF separators
    std::optional<std::string> utf16Name;      // little-endian UTF-16 bytes
    std::optional<std::string> utf16Directory; // likewise
    std::optional<uint32_t> codePage;
    std::string comment;       // raw bytes: the comment header, or a note after the name
    uint32_t dosTime = 0;      // MS-DOS date and time, 0 when absent
    uint8_t dosAttributes = 0; // MS-DOS attribute byte; level 2 and 3 writers mostly leave 0x20
    std::optional<uint32_t> unixTime;
    std::optional<uint64_t> windowsMtime; // FILETIME: 100 ns since 1601
    std::optional<uint64_t> windowsAtime;
    std::optional<uint16_t> unixMode;
    std::size_t headerSize = 0; // bytes from the header's start to its data
};

enum class HeaderStatus {
    Ok,
    End,      // the end-of-archive mark
    NeedMore, // the header is longer than the bytes given; needed says how long
    Bad,      // not a valid header; why says what is wrong
};

// Reads the header at the start of data. size is how many bytes are
// available; atEnd says whether the archive ends there (so that a short
// header is truncation rather than a need for more).
HeaderStatus parseHeader(const uint8_t *data, std::size_t size, bool atEnd, Header &out,
                         std::size_t &needed, std::string &why);

} // namespace lha
