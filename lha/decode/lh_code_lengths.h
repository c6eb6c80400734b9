// SPDX-License-Identifier: MIT
#pragma once
// The code-length tables at the start of each block of -lh4- to -lh7- (and of
// LHARK's variant): a small code sent as 3-bit lengths, then the symbol code's
// lengths sent with that small code.
#include "bit_reader.h"
#include "decoder.h"
#include "huffman.h"

#include <array>
#include <cstdint>
#include <optional>

namespace lha {

using SmallCodeLengths = std::array<uint8_t, 32>;

// The count of lengths that heads a table, at most size. A count of 0
// announces a code of one symbol taking no bits: that symbol, sent next in
// as many bits, goes to `only`.
inline unsigned readLengthCount(BitReader &in, unsigned countBits, unsigned size,
                                std::optional<unsigned> &only) {
    const unsigned count = in.bits(countBits);
    if (count == 0) {
        const unsigned symbol = in.bits(countBits);
        if (symbol >= size)
            throw DecodeError("invalid Huffman table");
        only = symbol;
    } else if (count > size) {
        throw DecodeError("invalid Huffman table");
    }
    return count;
}

// 3 bits a length, 7 extended by a run of 1 bits; after the entry at
// `gapAfter` a 2-bit count of zero lengths follows. A count of 0 announces a
// code of one symbol taking no bits, which is returned instead.
inline std::optional<unsigned> readSmallCodeLengths(BitReader &in, SmallCodeLengths &lengths,
                                                    unsigned size, unsigned countBits,
                                                    int gapAfter) {
    std::optional<unsigned> only;
    const unsigned count = readLengthCount(in, countBits, size, only);
    if (only)
        return only;
    for (unsigned i = 0; i < count;) {
        unsigned length = in.bits(3);
        if (length == 7) {
            while (in.bits(1)) {
                if (++length > HuffmanTable::kMaxLength)
                    throw DecodeError("invalid Huffman table");
            }
        }
        lengths[i++] = static_cast<uint8_t>(length);
        if (static_cast<int>(i) == gapAfter) {
            i += in.bits(2);
            if (i > count)
                throw DecodeError("invalid Huffman table");
        }
    }
    return std::nullopt;
}

// The symbol code's lengths, a 9-bit count of them, sent with the small
// length code: values 0-2 are runs of unused symbols, n >= 3 is length n - 2.
// A count of 0 announces a code of one symbol, which is returned instead.
template <std::size_t Symbols>
std::optional<unsigned> readSymbolCodeLengths(BitReader &in, const HuffmanTable &lengthCode,
                                              std::array<uint8_t, Symbols> &lengths) {
    constexpr unsigned kCountBits = 9;
    std::optional<unsigned> only;
    const unsigned count = readLengthCount(in, kCountBits, Symbols, only);
    if (only)
        return only;
    for (unsigned i = 0; i < count;) {
        in.refill();
        const unsigned c = lengthCode.decode(in);
        if (c <= 2) {
            const unsigned run = c == 0 ? 1 : c == 1 ? in.bits(4) + 3 : in.bits(9) + 20;
            if (run > count - i)
                throw DecodeError("invalid Huffman table");
            i += run;
        } else {
            lengths[i++] = static_cast<uint8_t>(c - 2);
        }
    }
    return std::nullopt;
}

} // namespace lha
