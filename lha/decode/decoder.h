// SPDX-License-Identifier: MIT
#pragma once
// One decoder per method family behind one small interface. The archive
// reader looks a method up by its five-character id ("-lh5-") and pulls the
// member's original bytes out of the decoder in chunks.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string_view>

namespace lha {

// Where a decoder reads the member's packed bytes from. read() fills up to n
// bytes and returns how many it gave; 0 means the packed data has ended
// (a decoder that still needs input then treats the stream as truncated).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(uint8_t *buf, std::size_t n) = 0;
};

// Thrown by a decoder on a corrupt or truncated stream. The message says what
// was wrong, without the member's name (the caller adds it).
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Decoder {
public:
    virtual ~Decoder() = default;
    // Produces up to n bytes of the member's original data into buf and returns
    // how many; never more than the original size in total. Returns 0 only
    // once all original bytes have been produced.
    virtual std::size_t read(uint8_t *buf, std::size_t n) = 0;
};

// One row per method: adding a method is a row here and its decoder's file.
struct Method {
    std::string_view id; // "-lh5-"
    std::unique_ptr<Decoder> (*create)(ByteSource &in, uint64_t originalSize);
    // The packed bytes are the original bytes, no more: a packed size past
    // the original size is damage.
    bool stored = false;
    // The id marks a folder or a symbolic link, not a file.
    bool folder = false;
};

// Every method the engine decodes, in one table.
std::span<const Method> methods();
// The row for id; nullptr for a method the engine does not know.
const Method *findMethod(std::string_view id);

} // namespace lha
