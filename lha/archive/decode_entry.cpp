// SPDX-License-Identifier: MIT
#include "decode_entry.h"

#include "crc16.h"
#include "decode_families.h"
#include "decoder.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

namespace lha {
namespace {

// MacBinary: a 128-byte header, then the data fork and the resource fork,
// each padded to a multiple of 128 bytes.
constexpr std::size_t kMacBinaryHeader = 128;
constexpr std::size_t kMacBinaryPadding = 128;
constexpr std::size_t kMacVersionAt = 0;    // always 0
constexpr std::size_t kMacNameLengthAt = 1; // 1..63
constexpr unsigned kMacMaxNameLength = 63;
constexpr std::size_t kMacZeroFillAt = 74;       // always 0
constexpr std::size_t kMacSecondZeroFillAt = 82; // always 0
constexpr std::size_t kMacDataForkLengthAt = 83;
constexpr std::size_t kMacResourceForkLengthAt = 87;

uint32_t be32(const uint8_t *p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The data fork's length when the bytes start with a MacBinary header that
// fits the member; none otherwise.
std::optional<uint64_t> macBinaryDataFork(const uint8_t *p, std::size_t n, uint64_t total) {
    if (n < kMacBinaryHeader || p[kMacVersionAt] != 0 || p[kMacNameLengthAt] == 0 ||
        p[kMacNameLengthAt] > kMacMaxNameLength || p[kMacZeroFillAt] != 0 ||
        p[kMacSecondZeroFillAt] != 0)
        return std::nullopt;
    const uint64_t dataFork = be32(p + kMacDataForkLengthAt);
    const uint64_t resourceFork = be32(p + kMacResourceForkLengthAt);
    auto padded = [](uint64_t v) {
        return (v + kMacBinaryPadding - 1) / kMacBinaryPadding * kMacBinaryPadding;
    };
    if (kMacBinaryHeader + padded(dataFork) + padded(resourceFork) <
            total - (kMacBinaryPadding - 1) ||
        kMacBinaryHeader + dataFork > total)
        return std::nullopt;
    return dataFork;
}

// The original bytes [from, to) that are the file's: all of them, or a
// MacBinary data fork.
struct FileBytes {
    uint64_t from;
    uint64_t to;
};

// Fills the chunk as far as the decoder gives, so that the MacBinary test
// sees a whole header and the writer gets few large pieces.
void fill(Decoder &decoder, Chunk &chunk) {
    std::size_t filled = 0;
    while (filled < chunk.size()) {
        const auto got = decoder.read(chunk.data() + filled, chunk.size() - filled);
        if (got == 0)
            break;
        filled += got;
    }
    chunk.resize(filled);
}

// Cuts the chunk, original bytes from `start` on, to the file's bytes; false
// when none of it is the file's.
bool keepFileBytes(Chunk &chunk, uint64_t start, const FileBytes &file) {
    const uint64_t from = std::max(start, file.from);
    const uint64_t to = std::min(start + chunk.size(), file.to);
    if (from >= to)
        return false;
    if (from != start || to != start + chunk.size())
        chunk = Chunk(chunk.begin() + static_cast<std::ptrdiff_t>(from - start),
                      chunk.begin() + static_cast<std::ptrdiff_t>(to - start));
    return true;
}

// A stored member's packed bytes are its original bytes, no more.
bool isStored(const Method &method) {
    return method.create == makeStoredDecoder;
}

// Decodes the member's bytes into chunks for the sink, checking the CRC-16
// when asked; throws DecodeError on a corrupt stream.
DecodeOutcome decodeChunks(const Method &method, PackedBytes &packed, const Entry &entry,
                           const ChunkSink &sink, bool checkCrc) {
    const MemberInfo &info = entry.info;
    auto decoder = method.create(packed, info.originalSize);
    uint16_t crc = 0;
    uint64_t produced = 0;
    FileBytes file{0, info.originalSize};
    while (produced < info.originalSize) {
        Chunk chunk(
            static_cast<std::size_t>(std::min<uint64_t>(kChunkSize, info.originalSize - produced)));
        fill(*decoder, chunk);
        if (chunk.empty())
            throw DecodeError("the data ends early");
        if (checkCrc)
            crc = crc16(crc, chunk.data(), chunk.size());
        if (produced == 0 && entry.macbinaryCandidate) {
            if (auto fork = macBinaryDataFork(chunk.data(), chunk.size(), info.originalSize))
                file = {kMacBinaryHeader, kMacBinaryHeader + *fork};
        }
        const uint64_t start = produced;
        produced += chunk.size();
        if (keepFileBytes(chunk, start, file) && !sink(std::move(chunk)))
            return {Error::Cancelled, "stopped"};
    }
    if (checkCrc && info.crcStored && crc != info.crc)
        throw DecodeError("CRC mismatch");
    if (isStored(method) && packed.unread() > 0)
        throw DecodeError("the packed data runs on past the file's end");
    return {};
}

DecodeOutcome decodeMember(const ArchiveSource &source, const Entry &entry, const ChunkSink &sink,
                           bool checkCrc) {
    const MemberInfo &info = entry.info;
    const Method *method = findMethod(info.method);
    if (!method)
        return {Error::UnsupportedMethod, "unknown method " + info.method};
    PackedBytes packed(source, entry.data_offset, info.packedSize);
    std::string what;
    try {
        DecodeOutcome outcome = decodeChunks(*method, packed, entry, sink, checkCrc);
        if (outcome.error == Error::None && !checkCrc)
            outcome.truncated = packed.truncated() || entry.truncated;
        return outcome;
    } catch (const DecodeError &e) {
        what = e.what();
    } catch (const std::bad_alloc &) {
        return {Error::OutOfMemory, describe(Error::OutOfMemory)};
    } catch (const std::exception &e) {
        what = std::string("cannot decode: ") + e.what();
    }
    if (packed.truncated() || entry.truncated)
        return {Error::Damaged, "the archive ends inside this member"};
    return {Error::Damaged, what};
}

} // namespace

DecodeOutcome decodeEntry(const ArchiveSource &source, const Entry &entry, const ChunkSink &sink) {
    return decodeMember(source, entry, sink, true);
}

bool crcCoversChunks(const Entry &entry) {
    return entry.info.crcStored && !entry.macbinaryCandidate;
}

DecodeOutcome decodeEntryWithoutCrc(const ArchiveSource &source, const Entry &entry,
                                    const ChunkSink &sink) {
    return decodeMember(source, entry, sink, false);
}

DecodeOutcome crcMismatch(const DecodeOutcome &decoded) {
    return {Error::Damaged,
            decoded.truncated ? "the archive ends inside this member" : "CRC mismatch",
            decoded.truncated};
}

} // namespace lha
