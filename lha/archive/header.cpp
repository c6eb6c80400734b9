// SPDX-License-Identifier: MIT
#include "header.h"

#include "crc16.h"

#include <string_view>

namespace lha {
namespace {

// Every level starts with the same fields: the header's size (one byte for
// levels 0 and 1, a word for 2 and 3), a checksum byte (levels 0 and 1), the
// method id, the sizes, a time stamp and the level.
constexpr std::size_t kMethodAt = 2;
constexpr std::size_t kMethodLength = 5;
constexpr std::size_t kPackedSizeAt = 7;
constexpr std::size_t kOriginalSizeAt = 11;
constexpr std::size_t kTimeAt = 15; // MS-DOS stamp in levels 0 and 1, Unix time in 2 and 3
constexpr std::size_t kAttributesAt = 19;
constexpr std::size_t kLevelAt = 20;
constexpr std::size_t kCommonFields = 22;

// Levels 0 and 1 go on with the name, the data's CRC and, in level 1, the OS
// id and the first extended header's size.
constexpr std::size_t kNameLengthAt = 21;
constexpr std::size_t kNameAt = 22;
constexpr std::size_t kCrcLength = 2;
constexpr std::size_t kLevel1Tail = 3;
// PMarc keeps a comment after a level-0 header's CRC where other writers
// keep an OS id.
constexpr std::string_view kPmarcMethodPrefix = "-pm";
// LHa for UNIX keeps its own fields after a level-0 header's CRC: OS id, a
// version byte, time, mode, uid and gid.
constexpr std::size_t kUnixTailLength = 12;
constexpr std::size_t kUnixTimeInTail = 2;
constexpr std::size_t kUnixModeInTail = 6;

// Levels 2 and 3 keep the CRC and the OS id in the fixed part, then the first
// extended header's size; level 3 also stores its total size as a long.
constexpr std::size_t kCrcAt = 21;
constexpr std::size_t kOsIdAt = 23;
constexpr std::size_t kLevel2Fixed = 26;
constexpr std::size_t kLevel3Fixed = 32;
constexpr std::size_t kLevel3TotalAt = 24;
constexpr unsigned kLevel3WordSize = 4;
// LHa 2.01 for OS-9 leaves the last extended header's (zero) next-size field
// out of a level-2 header's total; the data starts after it all the same.
constexpr std::size_t kUncountedTail = 2;

// The extended headers this reader keeps.
enum Extension : uint8_t {
    kHeaderCrc = 0x00,
    kFileName = 0x01,
    kDirectoryName = 0x02,
    kComment = 0x3F,
    kWindowsTimes = 0x41, // creation, modification, access as FILETIME
    kWideSizes = 0x42,    // packed and original size, 64 bits each
    kUtf16Name = 0x44,
    kUtf16Directory = 0x45,
    kCodePage = 0x46,
    kUnixMode = 0x50,
    kUnixTime = 0x54,
};
constexpr std::size_t kFiletimeLength = 8;

uint16_t le16(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t *p) {
    return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16);
}
uint64_t le64(const uint8_t *p) {
    return le32(p) | (static_cast<uint64_t>(le32(p + 4)) << 32);
}

struct Parse {
    const uint8_t *data;
    std::size_t size;
    bool atEnd;
    Header &out;
    std::size_t &needed;
    std::string &why;
    // Where the header-CRC field lies, to be checked once the header is whole.
    std::optional<std::size_t> crcField;
    bool wideSizes = false; // sizes came from the 64-bit extended header

    HeaderStatus bad(std::string reason) {
        why = std::move(reason);
        return HeaderStatus::Bad;
    }
    // The header needs `length` bytes in all: ask for more, or call it
    // truncated when the archive has no more.
    std::optional<HeaderStatus> require(std::size_t length) {
        if (length > kMaxHeaderSize + 4)
            return bad("header longer than 64 KiB");
        if (length <= size)
            return std::nullopt;
        if (atEnd)
            return bad("header truncated");
        needed = length;
        return HeaderStatus::NeedMore;
    }

    // Only the extensions kept are copied: garbage searched for a header
    // after damage can hold thousands of others.
    void readExtension(uint8_t type, const uint8_t *p, std::size_t n, std::size_t offset) {
        const std::string_view bytes(reinterpret_cast<const char *>(p), n);
        switch (type) {
        case kHeaderCrc:
            if (n >= kCrcLength)
                crcField = offset;
            break;
        case kFileName:
            out.name = std::string(bytes);
            break;
        case kDirectoryName:
            out.directory = std::string(bytes);
            break;
        case kComment:
            out.comment = std::string(bytes);
            break;
        case kWindowsTimes:
            if (n >= 3 * kFiletimeLength) {
                out.windowsMtime = le64(p + kFiletimeLength);
                out.windowsAtime = le64(p + 2 * kFiletimeLength);
            }
            break;
        case kWideSizes:
            if (n >= 16) {
                out.packedSize = le64(p);
                out.originalSize = le64(p + 8);
                wideSizes = true;
            }
            break;
        case kUtf16Name:
            out.utf16Name = std::string(bytes);
            break;
        case kUtf16Directory:
            out.utf16Directory = std::string(bytes);
            break;
        case kCodePage:
            if (n >= 4)
                out.codePage = le32(p);
            break;
        case kUnixMode:
            if (n >= 2)
                out.unixMode = le16(p);
            break;
        case kUnixTime:
            if (n >= 4)
                out.unixTime = le32(p);
            break;
        }
    }

    // Walks the chain of extended headers that starts at `pos` with the
    // first one's size `next` (each size covers the type byte, the data and
    // the following size field). Returns the offset just past the chain.
    std::optional<HeaderStatus> readExtensions(std::size_t &pos, uint32_t next, int sizeWidth,
                                               std::size_t limit) {
        while (next != 0) {
            if (next < 1u + sizeWidth)
                return bad("extended header too short");
            if (pos + next > limit)
                return bad("extended header runs past the header");
            if (auto s = require(pos + next))
                return s;
            const uint8_t *p = data + pos;
            const std::size_t dataLen = next - 1 - sizeWidth;
            readExtension(p[0], p + 1, dataLen, pos + 1);
            pos += next;
            next = sizeWidth == 2 ? le16(data + pos - 2) : le32(data + pos - 4);
        }
        return std::nullopt;
    }

    // The CRC covers the header with its own field read as zero.
    bool headerCrcMatches(std::size_t length) const {
        if (!crcField)
            return true;
        const std::size_t at = *crcField;
        if (at + kCrcLength > length)
            return false;
        static constexpr uint8_t kZeroField[kCrcLength] = {};
        uint16_t crc = crc16(0, data, at);
        crc = crc16(crc, kZeroField, kCrcLength);
        crc = crc16(crc, data + at + kCrcLength, length - at - kCrcLength);
        return crc == le16(data + at);
    }

    // Amiga-family tools keep a file's note after a NUL in the name field.
    void readNameField(std::size_t nameLen) {
        const std::string_view field(reinterpret_cast<const char *>(data + kNameAt), nameLen);
        const auto nul = field.find('\0');
        out.name = field.substr(0, nul);
        if (nul != std::string_view::npos)
            out.comment = field.substr(nul + 1);
    }

    HeaderStatus levels01() {
        const std::size_t base = static_cast<std::size_t>(data[0]) + 2;
        if (auto s = require(base))
            return *s;
        const int level = data[kLevelAt];
        const std::size_t nameLen = data[kNameLengthAt];
        const std::size_t crcAt = kNameAt + nameLen;
        const std::size_t rest = crcAt + kCrcLength;
        // Some writers end a level-0 header right after the name, leaving
        // out the CRC field; headers short by any other amount are broken.
        const bool withoutCrc = level == 0 && base == crcAt;
        if (!withoutCrc && base < rest + (level == 1 ? kLevel1Tail : 0))
            return bad("header shorter than its name");
        uint8_t sum = 0;
        for (std::size_t i = 2; i < base; ++i)
            sum = static_cast<uint8_t>(sum + data[i]);
        if (sum != data[1])
            return bad("header checksum mismatch");
        out.level = level;
        out.packedSize = le32(data + kPackedSizeAt);
        out.originalSize = le32(data + kOriginalSizeAt);
        out.dosTime = le32(data + kTimeAt);
        out.dosAttributes = data[kAttributesAt];
        readNameField(nameLen);
        if (withoutCrc) {
            out.crcStored = false;
            out.headerSize = base;
            return HeaderStatus::Ok;
        }
        out.crc = le16(data + crcAt);
        if (level == 0) {
            if (out.method.starts_with(kPmarcMethodPrefix))
                out.comment.assign(reinterpret_cast<const char *>(data + rest), base - rest);
            else if (base > rest)
                out.osId = static_cast<char>(data[rest]);
            if (out.osId == 'U' && base >= rest + kUnixTailLength) {
                out.unixTime = le32(data + rest + kUnixTimeInTail);
                out.unixMode = le16(data + rest + kUnixModeInTail);
            }
            out.headerSize = base;
            return HeaderStatus::Ok;
        }
        out.osId = static_cast<char>(data[rest]);
        // The size field of level 1 counts the extended headers as data.
        const uint64_t skip = out.packedSize;
        std::size_t pos = base;
        if (auto s = readExtensions(pos, le16(data + base - 2), 2, kMaxHeaderSize))
            return *s;
        const std::size_t extensions = pos - base;
        if (!wideSizes) {
            if (extensions > skip)
                return bad("extended headers larger than the member");
            out.packedSize = skip - extensions;
        }
        out.headerSize = pos;
        return headerCrcMatches(pos) ? HeaderStatus::Ok : bad("header CRC mismatch");
    }

    HeaderStatus levels23() {
        const int level = data[kLevelAt];
        const int width = level == 2 ? 2 : 4;
        const std::size_t fixed = level == 2 ? kLevel2Fixed : kLevel3Fixed;
        if (auto s = require(fixed))
            return *s;
        std::size_t total;
        if (level == 2) {
            total = le16(data);
        } else {
            if (le16(data) != kLevel3WordSize)
                return bad("level-3 header with an unknown word size");
            const uint32_t declared = le32(data + kLevel3TotalAt);
            if (declared > kMaxHeaderSize)
                return bad("header longer than 64 KiB");
            total = declared;
        }
        if (total < fixed)
            return bad("header shorter than its fixed part");
        if (auto s = require(total))
            return *s;
        out.level = level;
        out.packedSize = le32(data + kPackedSizeAt);
        out.originalSize = le32(data + kOriginalSizeAt);
        out.unixTime = le32(data + kTimeAt);
        out.dosAttributes = data[kAttributesAt];
        out.crc = le16(data + kCrcAt);
        out.osId = static_cast<char>(data[kOsIdAt]);
        std::size_t pos = fixed;
        const uint32_t next = level == 2 ? le16(data + fixed - width) : le32(data + fixed - width);
        const std::size_t limit = level == 2 ? total + kUncountedTail : total;
        if (auto s = readExtensions(pos, next, width, limit))
            return *s;
        // Some writers pad the header by a byte; the declared total counts it.
        // A chain that ends past the total ends exactly where the data starts.
        out.headerSize = total;
        if (pos > total) {
            if (pos != total + kUncountedTail)
                return bad("extended header runs past the header");
            out.headerSize = pos;
        }
        return headerCrcMatches(out.headerSize) ? HeaderStatus::Ok : bad("header CRC mismatch");
    }

    // A 0 byte is the end mark, unless a level-2 header follows whose size
    // is a multiple of 256 (its low byte is the 0).
    HeaderStatus endOrLevel2() {
        if (size < kLevel2Fixed) {
            if (atEnd)
                return HeaderStatus::End;
            needed = kLevel2Fixed;
            return HeaderStatus::NeedMore;
        }
        if (data[kMethodAt] != '-' || data[kMethodAt + kMethodLength - 1] != '-' ||
            data[kLevelAt] != 2)
            return HeaderStatus::End;
        out.method.assign(reinterpret_cast<const char *>(data + kMethodAt), kMethodLength);
        const auto status = levels23();
        if (status != HeaderStatus::Bad)
            return status;
        out = Header{};
        return HeaderStatus::End;
    }

    HeaderStatus run() {
        if (size == 0) {
            if (atEnd)
                return HeaderStatus::End;
            needed = 1;
            return HeaderStatus::NeedMore;
        }
        if (data[0] == 0)
            return endOrLevel2();
        if (auto s = require(kCommonFields))
            return *s;
        if (data[kMethodAt] != '-' || data[kMethodAt + kMethodLength - 1] != '-')
            return bad("no method id where the header should start");
        out.method.assign(reinterpret_cast<const char *>(data + kMethodAt), kMethodLength);
        switch (data[kLevelAt]) {
        case 0:
        case 1:
            return levels01();
        case 2:
        case 3:
            return levels23();
        }
        return bad("unknown header level " + std::to_string(data[kLevelAt]));
    }
};

} // namespace

HeaderStatus parseHeader(const uint8_t *data, std::size_t size, bool atEnd, Header &out,
                         std::size_t &needed, std::string &why) {
    out = Header{};
    Parse parse{data, size, atEnd, out, needed, why, std::nullopt, false};
    return parse.run();
}

} // namespace lha
