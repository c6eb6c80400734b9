// SPDX-License-Identifier: MIT
// Hostile packed data: every decoder reports a DecodeError (or, for garbage
// that happens to decode, just stops) and never gives more bytes than the
// member's original size.
#include "decoder_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace lha::testing {
namespace {

const std::filesystem::path kData = HOKORA_TEST_DATA_DIR;

const char *const kPackedMethods[] = {"-lh1-", "-lh2-", "-lh3-", "-lh4-", "-lh5-",
                                      "-lh6-", "-lh7-", "-lzs-", "-lz5-"};

// The packed first member (text.txt) of a fixture archive.
PackedMember fixtureMember(const std::string &method) {
    const std::string name = "method-" + method.substr(1, 3) + ".lzh";
    return packedMembers(readFile((kData / "archives" / name).string())).at(0);
}

// Decodes, counting the bytes given; true when the stream was accepted.
bool decodes(const std::string &method, const std::vector<uint8_t> &packed, uint64_t size,
             std::size_t &given, std::string *error = nullptr) {
    PiecewiseSource source(packed);
    auto decoder = findMethod(method)->create(source, size);
    std::vector<uint8_t> buf(4096);
    given = 0;
    try {
        while (std::size_t n = decoder->read(buf.data(), buf.size()))
            given += n;
    } catch (const DecodeError &e) {
        if (error)
            *error = e.what();
        return false;
    }
    return true;
}

TEST(DecoderHostileTest, TruncatedStreamsFail) {
    for (const char *method : kPackedMethods) {
        const PackedMember m = fixtureMember(method);
        ASSERT_EQ(m.method, method);
        for (std::size_t keep :
             {std::size_t{0}, std::size_t{1}, m.packed.size() / 2, m.packed.size() * 9 / 10}) {
            const std::vector<uint8_t> cut(m.packed.begin(),
                                           m.packed.begin() + static_cast<std::ptrdiff_t>(keep));
            std::size_t given = 0;
            std::string error;
            EXPECT_FALSE(decodes(method, cut, m.originalSize, given, &error))
                << method << " kept " << keep;
            EXPECT_EQ(error, "truncated data") << method << " kept " << keep;
            EXPECT_LT(given, m.originalSize);
        }
    }
}

TEST(DecoderHostileTest, OutputStopsAtTheOriginalSize) {
    for (const char *method : kPackedMethods) {
        const PackedMember m = fixtureMember(method);
        const auto whole = decodeAll(method, m.packed, m.originalSize);
        for (uint64_t size : {uint64_t{0}, uint64_t{1}, m.originalSize / 3}) {
            const auto head = decodeAll(method, m.packed, size);
            ASSERT_EQ(head.size(), size) << method;
            EXPECT_TRUE(std::equal(head.begin(), head.end(), whole.begin())) << method;
        }
        // Claiming more than the stream holds runs it dry, and nothing
        // decoded from past its end is handed out.
        std::size_t given = 0;
        std::string error;
        EXPECT_FALSE(decodes(method, m.packed, m.originalSize + 100000, given, &error)) << method;
        EXPECT_EQ(error, "truncated data") << method;
        EXPECT_LE(given, m.originalSize) << method;
    }
}

TEST(DecoderHostileTest, GarbageDecodesTheSameInAnyPieces) {
    // Whatever garbage decodes to, or fails with, must not depend on where
    // the input's pieces end: the fast loops stop short of every edge and
    // the careful ones take over there.
    std::mt19937 random(20260101);
    std::vector<uint8_t> garbage(3000);
    int failed = 0;
    for (int round = 0; round < 40; ++round) {
        for (uint8_t &b : garbage)
            b = static_cast<uint8_t>(random());
        for (const char *method : kPackedMethods) {
            const Outcome whole = decodeOutcome(method, garbage, 50000);
            EXPECT_EQ(decodeOutcome(method, garbage, 50000, 7), whole) << method;
            if (whole.error.empty())
                EXPECT_EQ(whole.bytes.size(), 50000u) << method;
            else
                ++failed;
        }
    }
    // 3000 bytes cannot hold 50000 of most methods' output.
    EXPECT_GT(failed, 40 * 9 / 2);
}

// A one-symbol block whose only symbol is a match of length 3 at distance 1,
// as the first thing in the member.
std::vector<uint8_t> staticMatchAtStart() {
    return BitWriter()
        .put(1, 16)  // one symbol in the block
        .put(0, 5)   // length code: a single code,
        .put(0, 5)   //   symbol 0
        .put(0, 9)   // symbol code: a single code,
        .put(256, 9) //   the match of length 3
        .put(0, 4)   // distance code: a single code,
        .put(0, 4)   //   distance 1
        .put(0, 32)
        .bytes();
}

TEST(DecoderHostileTest, MatchBeforeTheStartFails) {
    std::size_t given = 0;
    std::string error;
    EXPECT_FALSE(decodes("-lh5-", staticMatchAtStart(), 10, given, &error));
    EXPECT_EQ(error, "match distance before the start of the data");
    EXPECT_EQ(given, 0u);

    // -lh4- reaches back 4 KiB only, though its codes can say more: 4100
    // literals, then a match from 4098 back.
    const auto packed = BitWriter()
                            .put(4100, 16)
                            .put(0, 5)
                            .put(0, 5)
                            .put(0, 9)
                            .put('a', 9)
                            .put(0, 4)
                            .put(0, 4)
                            .put(1, 16)
                            .put(0, 5)
                            .put(0, 5)
                            .put(0, 9)
                            .put(256, 9)
                            .put(0, 4)
                            .put(13, 4)
                            .put(1, 12)
                            .put(0, 32)
                            .bytes();
    EXPECT_EQ(decodeAll("-lh5-", packed, 4103), std::vector<uint8_t>(4103, 'a'));
    EXPECT_FALSE(decodes("-lh4-", packed, 4103, given, &error));
    EXPECT_EQ(error, "match distance before the start of the data");
}

TEST(DecoderHostileTest, BadHuffmanTablesFail) {
    const auto expectError = [](const std::vector<uint8_t> &packed, const char *what) {
        std::size_t given = 0;
        std::string error;
        EXPECT_FALSE(decodes("-lh5-", packed, 100, given, &error)) << what;
        EXPECT_NE(error.find("Huffman"), std::string::npos) << what << ": " << error;
        EXPECT_EQ(given, 0u) << what;
    };
    // Three codes of length 1.
    expectError(
        BitWriter().put(1, 16).put(3, 5).put(1, 3).put(1, 3).put(1, 3).put(0, 2).put(0, 64).bytes(),
        "over-subscribed");
    // A length that never ends below 17.
    expectError(BitWriter().put(1, 16).put(1, 5).put(7, 3).put(0x3FF, 10).put(0, 64).bytes(),
                "too long");
    // More symbol lengths than symbols.
    expectError(BitWriter().put(1, 16).put(0, 5).put(0, 5).put(511, 9).put(0, 64).bytes(), "count");
    // A single-code table naming a symbol past the end.
    expectError(BitWriter().put(1, 16).put(0, 5).put(19, 5).put(0, 64).bytes(), "single");
    // An incomplete length code (one code of length 1) read at its unused code.
    expectError(BitWriter().put(1, 16).put(1, 5).put(1, 3).put(10, 9).put(1, 1).put(0, 64).bytes(),
                "unused code");
    // A run of unused symbols past the count.
    expectError(BitWriter().put(1, 16).put(0, 5).put(2, 5).put(5, 9).put(100, 9).put(0, 64).bytes(),
                "run");
}

// A block whose codes leave some bit patterns unused: reading one fails as
// an invalid code, in the long run of a block as at its last items, for a
// symbol as for a distance. Here every code is one bit long: 'a' is 0 and a
// match of 3 is 1 (or 1 is unused), distance 1 is 0 and 1 is unused.
TEST(DecoderHostileTest, UnusedCodesFailWhereverTheyAreRead) {
    constexpr unsigned kA = 'a';
    constexpr unsigned kMatchOf3 = 256;
    const auto block = [](unsigned items, bool withMatch) {
        BitWriter w;
        w.put(items, 16);
        // The length code: 2 (a run of unused symbols) is 0, 3 (length 1) is 1.
        w.put(4, 5).put(0, 3).put(0, 3).put(1, 3).put(0, 2).put(1, 3);
        w.put(withMatch ? kMatchOf3 + 1 : kA + 1, 9);
        w.put(0, 1).put(kA - 20, 9).put(1, 1); // unused up to 'a', then 'a'
        if (withMatch)
            w.put(0, 1).put(kMatchOf3 - kA - 1 - 20, 9).put(1, 1);
        // The distance code: one code of one bit, for distance 1.
        w.put(1, 4).put(1, 3);
        return w;
    };
    const auto expectInvalidCode = [](const BitWriter &w, uint64_t size, const char *what) {
        std::vector<uint8_t> packed = w.bytes();
        packed.resize(packed.size() + 16);
        std::size_t given = 0;
        std::string error;
        EXPECT_FALSE(decodes("-lh5-", packed, size, given, &error)) << what;
        EXPECT_EQ(error, "invalid Huffman code") << what;
        EXPECT_LT(given, size) << what;
    };
    for (const unsigned before : {2u, 4000u}) {
        const unsigned size = before + 1000;
        BitWriter symbol = block(size, false);
        for (unsigned i = 0; i < before; ++i)
            symbol.put(0, 1);
        expectInvalidCode(symbol.put(1, 1), size, "symbol");
        BitWriter distance = block(size, true).put(0, 1);
        for (unsigned i = 0; i < before / 3; ++i)
            distance.put(1, 1).put(0, 1);
        expectInvalidCode(distance.put(1, 1).put(1, 1), size, "distance");
    }
}

} // namespace
} // namespace lha::testing
