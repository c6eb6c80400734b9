// SPDX-License-Identifier: MIT
// The edges of the -lh4- to -lh7- fast loop: where a block ends, where the
// input at hand runs short and where the output nears its end, the careful
// loop must take over without losing or adding an item.
#include "decoder_test_support.h"

#include <gtest/gtest.h>

namespace lha::testing {
namespace {

// Bits of the distance code's count: 4 in -lh5-, 5 in -lh6- and -lh7-.
unsigned distanceCountBits(const std::string &method) {
    return method == "-lh5-" ? 4 : 5;
}

// A block whose codes each have a single symbol, taking no bits: `count`
// items of `symbol` (a literal, or 256 + n for a match of n + 3 bytes), a
// match's distance code `distanceCode` followed by `extraBits` bits `extra`.
struct SingleSymbolBlock {
    unsigned count;
    unsigned symbol;
    unsigned distanceCode = 0;
    unsigned extraBits = 0;
    unsigned extra = 0;
};

std::vector<uint8_t> pack(const std::string &method,
                          std::initializer_list<SingleSymbolBlock> blocks) {
    BitWriter bits;
    for (const SingleSymbolBlock &b : blocks) {
        bits.put(b.count, 16);
        bits.put(0, 5).put(0, 5);        // length code: a single code
        bits.put(0, 9).put(b.symbol, 9); // symbol code: a single code
        bits.put(0, distanceCountBits(method)).put(b.distanceCode, distanceCountBits(method));
        for (unsigned i = 0; b.symbol >= 256 && i < b.count; ++i)
            bits.put(b.extra, b.extraBits);
    }
    // Real bytes after the end, so that no padding is read.
    for (int i = 0; i < 4; ++i)
        bits.put(0, 32);
    return bits.bytes();
}

std::vector<uint8_t> repeated(std::size_t n, char c) {
    return std::vector<uint8_t>(n, static_cast<uint8_t>(c));
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct EdgeCase {
    const char *what;
    std::vector<uint8_t> (*packed)(const std::string &method);
    std::vector<uint8_t> expected;
};

// Five matches of 10 bytes from 21 back (distance code 5: 16 + 1 plus 4 extra
// bits), after "a" x 20 and "b".
std::vector<uint8_t> farMatches() {
    auto out = repeated(20, 'a') + repeated(1, 'b');
    for (int i = 0; i < 50; ++i)
        out.push_back(out[out.size() - 21]);
    return out;
}

const EdgeCase kEdgeCases[] = {
    // Zero-bit literals come two per lookup; an odd count must not let the
    // last pair run into the next block.
    {"odd block of paired literals",
     [](const std::string &m) {
         return pack(m, {{301, 'a'}, {300, 'b'}});
     },
     repeated(301, 'a') + repeated(300, 'b')},
    // A distance from the lookup with its extra bits, well before the end.
    {"matches with extra bits",
     [](const std::string &m) {
         return pack(m, {{20, 'a'}, {1, 'b'}, {5, 256 + 7, 5, 4, 4}, {400, 'c'}});
     },
     farMatches() + repeated(400, 'c')},
};

TEST(StaticDecoderEdgeTest, ItemsSurviveEveryEdge) {
    for (const EdgeCase &c : kEdgeCases) {
        // Whole, in pieces smaller than one refill, and cut short of the end
        // of the output, in every method of the family.
        for (const char *method : {"-lh5-", "-lh6-", "-lh7-"}) {
            for (std::size_t piece : {std::size_t{1} << 20, std::size_t{3}}) {
                const Outcome got =
                    decodeOutcome(method, c.packed(method), c.expected.size(), piece);
                EXPECT_EQ(got.error, "") << c.what << " " << method << " piece " << piece;
                EXPECT_EQ(got.bytes, c.expected) << c.what << " " << method << " piece " << piece;
            }
            const std::size_t shorter = c.expected.size() - 7;
            EXPECT_EQ(decodeAll(method, c.packed(method), shorter),
                      std::vector<uint8_t>(c.expected.begin(), c.expected.begin() + shorter))
                << c.what << " " << method;
        }
    }
}

} // namespace
} // namespace lha::testing
