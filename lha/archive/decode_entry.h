// SPDX-License-Identifier: MIT
#pragma once
// Decodes one member's data in chunks, checking its size and CRC-16.
#include "entry.h"
#include "source.h"
#include "uninitialised.h"

#include <functional>
#include <string>
#include <vector>

namespace lha {

struct DecodeOutcome {
    Error error = Error::None;
    std::string message;
    // Set when the member's CRC-16 was left to the caller: whether the
    // archive ended inside the member, which explains a mismatch.
    bool truncated = false;
};

// A piece of a member's original bytes.
using Chunk = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// Receives each chunk of original bytes in order; returns false to stop.
using ChunkSink = std::function<bool(Chunk &&chunk)>;

constexpr std::size_t kChunkSize = 256 * 1024;

// The chunks are the member's file content: a MacBinary prefix that MacLHA
// put before a file's data is left out (the CRC still covers all of it).
// A stopped sink gives Error::Cancelled.
DecodeOutcome decodeEntry(const ArchiveSource &source, const Entry &entry, const ChunkSink &sink);

// Whether the member has a CRC-16 and the chunks are exactly the bytes it
// covers, so that the caller may check it while it consumes them (on
// another thread).
bool crcCoversChunks(const Entry &entry);
// Like decodeEntry, but leaves the CRC-16 to the caller for an entry where
// crcCoversChunks() holds; the caller then reports a mismatch with
// crcMismatch().
DecodeOutcome decodeEntryWithoutCrc(const ArchiveSource &source, const Entry &entry,
                                    const ChunkSink &sink);
DecodeOutcome crcMismatch(const DecodeOutcome &decoded);

} // namespace lha
