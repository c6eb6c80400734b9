#pragma once
// Decodes one member's data in chunks, checking its size and CRC-16.
#include "entry.h"
#include "source.h"

#include <functional>
#include <string>
#include <vector>

namespace lha {

struct DecodeOutcome {
    Error error = Error::None;
    std::string message;
};

// Receives each chunk of original bytes in order; returns false to stop.
using ChunkSink = std::function<bool(std::vector<uint8_t> &&chunk)>;

constexpr std::size_t kChunkSize = 256 * 1024;

// The chunks are the member's file content: a MacBinary prefix that MacLHA
// put before a file's data is left out (the CRC still covers all of it).
// A stopped sink gives Error::Cancelled.
DecodeOutcome decodeEntry(const ArchiveSource &source, const Entry &entry, const ChunkSink &sink);

} // namespace lha
