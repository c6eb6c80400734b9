#include "header.h"

#include "crc16.h"

#include <vector>

namespace lha {
namespace {

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
    bool at_end;
    Header &out;
    std::size_t &needed;
    std::string &why;
    // Where the header-CRC field lies, to be checked once the header is whole.
    std::optional<std::size_t> crc_field;
    bool wide_sizes = false; // sizes came from the 64-bit extended header

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
        if (at_end)
            return bad("header truncated");
        needed = length;
        return HeaderStatus::NeedMore;
    }

    void readExtension(uint8_t type, const uint8_t *p, std::size_t n, std::size_t offset) {
        const std::string bytes(reinterpret_cast<const char *>(p), n);
        switch (type) {
        case 0x00:
            if (n >= 2)
                crc_field = offset;
            break;
        case 0x01:
            out.name = bytes;
            break;
        case 0x02:
            out.directory = bytes;
            break;
        case 0x3F:
            out.comment = bytes;
            break;
        case 0x41:
            if (n >= 24) {
                out.windows_mtime = le64(p + 8);
                out.windows_atime = le64(p + 16);
            }
            break;
        case 0x42:
            if (n >= 16) {
                out.packed_size = le64(p);
                out.original_size = le64(p + 8);
                wide_sizes = true;
            }
            break;
        case 0x44:
            out.utf16_name = bytes;
            break;
        case 0x45:
            out.utf16_directory = bytes;
            break;
        case 0x46:
            if (n >= 4)
                out.code_page = le32(p);
            break;
        case 0x50:
            if (n >= 2)
                out.unix_mode = le16(p);
            break;
        case 0x54:
            if (n >= 4)
                out.unix_time = le32(p);
            break;
        }
    }

    // Walks the chain of extended headers that starts at `pos` with the
    // first one's size `next` (each size covers the type byte, the data and
    // the following size field). Returns the offset just past the chain.
    std::optional<HeaderStatus> readExtensions(std::size_t &pos, uint32_t next, int size_width,
                                               std::size_t limit) {
        while (next != 0) {
            if (next < 1u + size_width)
                return bad("extended header too short");
            if (pos + next > limit)
                return bad("extended header runs past the header");
            if (auto s = require(pos + next))
                return s;
            const uint8_t *p = data + pos;
            const std::size_t dataLen = next - 1 - size_width;
            readExtension(p[0], p + 1, dataLen, pos + 1);
            pos += next;
            next = size_width == 2 ? le16(data + pos - 2) : le32(data + pos - 4);
        }
        return std::nullopt;
    }

    bool headerCrcMatches(std::size_t length) const {
        if (!crc_field)
            return true;
        std::vector<uint8_t> copy(data, data + length);
        const uint16_t stored = le16(copy.data() + *crc_field);
        copy[*crc_field] = copy[*crc_field + 1] = 0;
        return crc16(0, copy.data(), copy.size()) == stored;
    }

    HeaderStatus levels01() {
        const std::size_t base = static_cast<std::size_t>(data[0]) + 2;
        if (auto s = require(base))
            return *s;
        const int level = data[20];
        const std::size_t nameLen = data[21];
        const std::size_t fixed = 22 + nameLen + 2 + (level == 1 ? 3 : 0);
        if (base < fixed)
            return bad("header shorter than its name");
        uint8_t sum = 0;
        for (std::size_t i = 2; i < base; ++i)
            sum = static_cast<uint8_t>(sum + data[i]);
        if (sum != data[1])
            return bad("header checksum mismatch");
        out.level = level;
        out.packed_size = le32(data + 7);
        out.original_size = le32(data + 11);
        out.dos_time = le32(data + 15);
        out.name.assign(reinterpret_cast<const char *>(data + 22), nameLen);
        out.crc = le16(data + 22 + nameLen);
        const std::size_t rest = 24 + nameLen;
        if (level == 0) {
            // LHa for UNIX keeps its own fields after the CRC: OS id, a version
            // byte, time, mode, uid and gid.
            if (base > rest)
                out.os_id = static_cast<char>(data[rest]);
            if (out.os_id == 'U' && base >= rest + 12) {
                out.unix_time = le32(data + rest + 2);
                out.unix_mode = le16(data + rest + 6);
            }
            out.header_size = base;
            return HeaderStatus::Ok;
        }
        out.os_id = static_cast<char>(data[rest]);
        // The size field of level 1 counts the extended headers as data.
        const uint64_t skip = out.packed_size;
        std::size_t pos = base;
        if (auto s = readExtensions(pos, le16(data + base - 2), 2, kMaxHeaderSize))
            return *s;
        const std::size_t extensions = pos - base;
        if (!wide_sizes) {
            if (extensions > skip)
                return bad("extended headers larger than the member");
            out.packed_size = skip - extensions;
        }
        out.header_size = pos;
        return headerCrcMatches(pos) ? HeaderStatus::Ok : bad("header CRC mismatch");
    }

    HeaderStatus levels23() {
        const int level = data[20];
        const int width = level == 2 ? 2 : 4;
        const std::size_t fixed = level == 2 ? 26 : 32;
        if (auto s = require(fixed))
            return *s;
        std::size_t total;
        if (level == 2) {
            total = le16(data);
        } else {
            if (le16(data) != 4)
                return bad("level-3 header with an unknown word size");
            const uint32_t declared = le32(data + 24);
            if (declared > kMaxHeaderSize)
                return bad("header longer than 64 KiB");
            total = declared;
        }
        if (total < fixed)
            return bad("header shorter than its fixed part");
        if (auto s = require(total))
            return *s;
        out.level = level;
        out.packed_size = le32(data + 7);
        out.original_size = le32(data + 11);
        out.unix_time = le32(data + 15);
        out.crc = le16(data + 21);
        out.os_id = static_cast<char>(data[23]);
        std::size_t pos = fixed;
        const uint32_t next = level == 2 ? le16(data + 24) : le32(data + 28);
        if (auto s = readExtensions(pos, next, width, total))
            return *s;
        // Some writers pad the header by a byte; the declared total counts it.
        out.header_size = total;
        return headerCrcMatches(total) ? HeaderStatus::Ok : bad("header CRC mismatch");
    }

    HeaderStatus run() {
        if (size == 0 || data[0] == 0) {
            if (size == 0 && !at_end) {
                needed = 1;
                return HeaderStatus::NeedMore;
            }
            return HeaderStatus::End;
        }
        if (auto s = require(22))
            return *s;
        if (data[2] != '-' || data[6] != '-')
            return bad("no method id where the header should start");
        out.method.assign(reinterpret_cast<const char *>(data + 2), 5);
        switch (data[20]) {
        case 0:
        case 1:
            return levels01();
        case 2:
        case 3:
            return levels23();
        }
        return bad("unknown header level " + std::to_string(data[20]));
    }
};

} // namespace

HeaderStatus parseHeader(const uint8_t *data, std::size_t size, bool at_end, Header &out,
                         std::size_t &needed, std::string &why) {
    out = Header{};
    Parse parse{data, size, at_end, out, needed, why, std::nullopt, false};
    return parse.run();
}

} // namespace lha
