// SPDX-License-Identifier: MIT
#pragma once
// A member's data: where its packed bytes lie, how they decode, and what the
// original bytes must check out to (their CRC-16 and length).
#include "decoder.h"
#include "entry.h"
#include "source.h"
#include "uninitialised.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lha {

// Said of a member whose data the archive cuts short: as a refusal before
// decoding (its bytes would run on into whatever follows), and as the cause
// of a CRC mismatch or a corrupt stream when the archive ends inside it.
constexpr const char *kCutShort = "the archive ends inside this member";

// A piece of a member's original bytes.
using Chunk = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;
constexpr std::size_t kChunkSize = 256 * 1024;

// Receives each chunk of original bytes in order; returns false to stop.
using ChunkSink = std::function<bool(Chunk &&chunk)>;

struct DecodeOutcome {
    Error error = Error::None;
    std::string message;
};

// What decoding a member needs to know, copied out of its entry so that the
// decoding may outlive the batch of entries it came in.
struct MemberData {
    const Method *method = nullptr; // nullptr: unknown
    uint64_t offset = 0;
    uint64_t packedSize = 0;
    uint64_t originalSize = 0;
    std::optional<uint16_t> crc; // none: a header without one; the length is still checked
    bool truncated = false;      // the archive ends inside the data
    bool macbinaryCandidate = false;

    bool operator==(const MemberData &) const = default;
};

MemberData memberData(const Entry &entry);

// A member's original bytes as they are checked: the running CRC-16, and
// how the decoding ended. One thread feeds it at a time; the pipeline
// chooses which, and hands it over under its lock.
class VerifiedStream {
public:
    explicit VerifiedStream(const MemberData &data) : m_expected(data.crc) {}

    // Whether the chunks a decoding hands on are exactly the bytes the CRC
    // covers, so that whoever takes them may check them. A MacBinary prefix
    // is left out of the chunks though the CRC covers it.
    static bool coversChunks(const MemberData &data) {
        return data.crc && !data.macbinaryCandidate;
    }

    void add(const uint8_t *bytes, std::size_t size);
    // Set by the decoding once it ended: the archive ended inside the member.
    void endedShort() { m_endedShort = true; }
    // The member's outcome: the decoding's own failure, else a CRC
    // mismatch, which is the archive ending inside the member when it did.
    DecodeOutcome verdict(const DecodeOutcome &decoded) const;

private:
    std::optional<uint16_t> m_expected;
    uint16_t m_crc = 0;
    bool m_endedShort = false;
};

// Decodes the member's data into chunks for the sink; the chunks are the
// file's content (a MacBinary prefix MacLHA put before a file's data is left
// out). Every original byte goes through `verify` when given; without it the
// caller verifies the chunks itself (allowed only where coversChunks holds).
// Either way the decoding notes on `stream` how it ended, and the caller
// asks stream.verdict() for the outcome. A stopped sink gives
// Error::Cancelled.
DecodeOutcome decodeMember(const ArchiveSource &source, const MemberData &data,
                           const ChunkSink &sink, VerifiedStream &stream, bool verifyHere);

// Decodes and verifies in one go, on the calling thread.
DecodeOutcome decodeVerified(const ArchiveSource &source, const MemberData &data,
                             const ChunkSink &sink);

} // namespace lha
