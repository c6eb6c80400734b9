// SPDX-License-Identifier: MIT
#include "member_data.h"

#include "crc16.h"

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

// Decodes the member's bytes into chunks for the sink, verifying them when
// asked; throws DecodeError on a corrupt stream.
DecodeOutcome decodeChunks(PackedBytes &packed, const MemberData &data, const ChunkSink &sink,
                           VerifiedStream *verify) {
    auto decoder = data.method->create(packed, data.originalSize);
    uint64_t produced = 0;
    FileBytes file{0, data.originalSize};
    while (produced < data.originalSize) {
        Chunk chunk(
            static_cast<std::size_t>(std::min<uint64_t>(kChunkSize, data.originalSize - produced)));
        fill(*decoder, chunk);
        if (chunk.empty())
            throw DecodeError("the data ends early");
        if (verify)
            verify->add(chunk.data(), chunk.size());
        if (produced == 0 && data.macbinaryCandidate) {
            if (auto fork = macBinaryDataFork(chunk.data(), chunk.size(), data.originalSize))
                file = {kMacBinaryHeader, kMacBinaryHeader + *fork};
        }
        const uint64_t start = produced;
        produced += chunk.size();
        if (keepFileBytes(chunk, start, file) && !sink(std::move(chunk)))
            return {Error::Cancelled, "stopped"};
    }
    if (data.method->stored && packed.unread() > 0)
        throw DecodeError("the packed data runs on past the file's end");
    return {};
}

} // namespace

MemberData memberData(const Entry &entry) {
    const MemberInfo &info = entry.info;
    MemberData data;
    data.method = findMethod(info.method);
    data.offset = entry.dataOffset;
    data.packedSize = info.packedSize;
    data.originalSize = info.originalSize;
    if (info.crcStored)
        data.crc = info.crc;
    data.truncated = entry.truncated;
    data.macbinaryCandidate = entry.macbinaryCandidate;
    return data;
}

void VerifiedStream::add(const uint8_t *bytes, std::size_t size) {
    m_crc = crc16(m_crc, bytes, size);
}

DecodeOutcome VerifiedStream::verdict(const DecodeOutcome &decoded) const {
    if (decoded.error != Error::None || !m_expected || m_crc == *m_expected)
        return decoded;
    return {Error::Damaged, m_endedShort ? kCutShort : "CRC mismatch"};
}

DecodeOutcome decodeMember(const ArchiveSource &source, const MemberData &data,
                           const ChunkSink &sink, VerifiedStream &stream, bool verifyHere) {
    if (!data.method)
        return {Error::UnsupportedMethod, "unknown method"};
    PackedBytes packed(source, data.offset, data.packedSize);
    DecodeOutcome outcome;
    try {
        outcome = decodeChunks(packed, data, sink, verifyHere ? &stream : nullptr);
    } catch (const DecodeError &e) {
        outcome = {Error::Damaged, e.what()};
    } catch (const std::bad_alloc &) {
        outcome = {Error::OutOfMemory, describe(Error::OutOfMemory)};
    } catch (const std::exception &e) {
        outcome = {Error::Damaged, std::string("cannot decode: ") + e.what()};
    }
    const bool endedShort = packed.truncated() || data.truncated;
    if (endedShort) {
        stream.endedShort();
        if (outcome.error == Error::Damaged)
            outcome.message = kCutShort;
    }
    return outcome;
}

DecodeOutcome decodeVerified(const ArchiveSource &source, const MemberData &data,
                             const ChunkSink &sink) {
    VerifiedStream stream(data);
    return stream.verdict(decodeMember(source, data, sink, stream, true));
}

} // namespace lha
