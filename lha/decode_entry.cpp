#include "decode_entry.h"

#include "crc16.h"
#include "decoder.h"

#include <algorithm>

namespace lha {
namespace {

constexpr std::size_t kMacBinaryHeader = 128;

uint32_t be32(const uint8_t *p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The data fork's length when the bytes start with a MacBinary header that
// fits the member; none otherwise.
std::optional<uint64_t> macBinaryDataFork(const uint8_t *p, std::size_t n, uint64_t total) {
    if (n < kMacBinaryHeader || p[0] != 0 || p[1] == 0 || p[1] > 63 || p[74] != 0 || p[82] != 0)
        return std::nullopt;
    const uint64_t dataFork = be32(p + 83);
    const uint64_t resourceFork = be32(p + 87);
    auto padded = [](uint64_t v) { return (v + 127) / 128 * 128; };
    if (kMacBinaryHeader + padded(dataFork) + padded(resourceFork) < total - 127 ||
        kMacBinaryHeader + dataFork > total)
        return std::nullopt;
    return dataFork;
}

DecodeOutcome decode(const ArchiveSource &source, const Entry &entry, const ChunkSink &sink,
                     bool checkCrc) {
    const MemberInfo &info = entry.info;
    const Method *method = findMethod(info.method);
    if (!method)
        return {Error::UnsupportedMethod, "unknown method " + info.method};
    PackedBytes packed(source, entry.data_offset, info.packed_size);
    auto damaged = [&](const std::string &what) {
        if (packed.truncated() || entry.truncated)
            return DecodeOutcome{Error::Damaged, "the archive ends inside this member"};
        return DecodeOutcome{Error::Damaged, what};
    };
    try {
        auto decoder = method->create(packed, info.original_size);
        uint16_t crc = 0;
        uint64_t produced = 0;
        // Which original bytes are the file's: all, or a MacBinary data fork.
        uint64_t keepFrom = 0;
        uint64_t keepTo = info.original_size;
        bool first = true;
        while (produced < info.original_size) {
            const auto want = static_cast<std::size_t>(
                std::min<uint64_t>(kChunkSize, info.original_size - produced));
            Chunk chunk(want);
            std::size_t filled = 0;
            // Fill the chunk, so that the MacBinary test sees a whole header
            // and the writer gets few large pieces.
            while (filled < want) {
                const auto got = decoder->read(chunk.data() + filled, want - filled);
                if (got == 0)
                    break;
                filled += got;
            }
            if (filled == 0)
                return damaged("the data ends early");
            chunk.resize(filled);
            if (checkCrc)
                crc = crc16(crc, chunk.data(), filled);
            if (first && entry.macbinary_candidate) {
                if (auto fork = macBinaryDataFork(chunk.data(), filled, info.original_size)) {
                    keepFrom = kMacBinaryHeader;
                    keepTo = kMacBinaryHeader + *fork;
                }
            }
            first = false;
            const uint64_t start = produced;
            produced += filled;
            if (keepFrom != 0 || keepTo != info.original_size) {
                const uint64_t from = std::max(start, keepFrom);
                const uint64_t to = std::min(produced, keepTo);
                if (from >= to)
                    continue;
                chunk = Chunk(chunk.begin() + static_cast<std::ptrdiff_t>(from - start),
                              chunk.begin() + static_cast<std::ptrdiff_t>(to - start));
            }
            if (!sink(std::move(chunk)))
                return {Error::Cancelled, "stopped"};
        }
        if (checkCrc && crc != info.crc)
            return damaged("CRC mismatch");
        if (!checkCrc)
            return {Error::None, {}, packed.truncated() || entry.truncated};
    } catch (const DecodeError &e) {
        return damaged(e.what());
    } catch (const std::exception &e) {
        return damaged(std::string("cannot decode: ") + e.what());
    }
    return {};
}

} // namespace

DecodeOutcome decodeEntry(const ArchiveSource &source, const Entry &entry, const ChunkSink &sink) {
    return decode(source, entry, sink, true);
}

bool crcCoversChunks(const Entry &entry) {
    return !entry.macbinary_candidate;
}

DecodeOutcome decodeEntryWithoutCrc(const ArchiveSource &source, const Entry &entry,
                                    const ChunkSink &sink) {
    return decode(source, entry, sink, false);
}

DecodeOutcome crcMismatch(const DecodeOutcome &decoded) {
    return {Error::Damaged,
            decoded.truncated ? "the archive ends inside this member" : "CRC mismatch",
            decoded.truncated};
}

} // namespace lha
