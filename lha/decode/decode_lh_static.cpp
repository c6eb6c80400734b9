// SPDX-License-Identifier: MIT
// -lh4- to -lh7- (and -lh8-): LZSS with static Huffman codes sent per block.
// A block starts with its symbol count and three code-length tables: a small
// code for the literal/length lengths, the literal/length code itself, and the
// code for the distance's bit count.
#include "decode_families.h"
#include "decode_match_symbols.h"
#include "decode_window.h"
#include "huffman.h"
#include "lh_code_lengths.h"
#include "static_huffman_lookup.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

namespace lha {
namespace {

constexpr unsigned kMaxMatch = 256;
constexpr unsigned kSymbols = kFirstMatchSymbol + kMaxMatch - kMinMatch + 1;
constexpr unsigned kLengthCodes = 19; // the code that sends the symbol code's lengths
// The fast loop looks symbols up in an ItemLookup; the symbol table itself
// serves only the longer codes and the edges, so a small root will do.
constexpr unsigned kSymbolRootBits = 9;
constexpr unsigned kDistanceRootBits = DistanceLookup::kBits;
// -lh7-'s 64 KiB, the largest window; a distance takes one extra bit fewer
// than the window's.
constexpr unsigned kLargestWindowBits = 16;
// The most packed bits one item takes: a symbol code, a distance code and
// the largest window's extra bits.
constexpr unsigned kMostItemBits = 2 * HuffmanTable::kMaxLength + kLargestWindowBits - 1;
constexpr std::size_t kRefillBytes = 8;

class StaticHuffmanDecoder final : public WindowedDecoder {
public:
    StaticHuffmanDecoder(ByteSource &in, uint64_t originalSize, unsigned windowBits)
        : WindowedDecoder(in, originalSize, std::size_t{1} << windowBits, kMaxMatch),
          m_distanceCodes(windowBits <= 13 ? 14 : windowBits + 1),
          m_distanceCountBits(windowBits <= 13 ? 4 : 5), m_symbols(kSymbolRootBits),
          m_distances(kDistanceRootBits), m_lengthTable(8) {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        while (m_pos < stop) {
            if (m_blockRemaining == 0)
                readBlockHeader();
            decodeFast(stop, end);
            if (m_pos < stop && m_blockRemaining != 0)
                decodeItem(end);
        }
    }

    // The bulk of a block, in rounds of items that surely meet no edge:
    // each item writes at most a longest match below the end, takes at most
    // two of the block's items and at most kMostItemBits packed bits, so a
    // round needs no check but its count. The reader is a plain local copy,
    // kept in registers: an error here is never the stream's end, so the
    // copy need not be written back when one is thrown.
    [[gnu::noinline]] void decodeFast(std::size_t stop, std::size_t end) {
        const std::size_t fastStop = std::min(stop, end - std::min<std::size_t>(end, kMaxMatch));
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        unsigned remaining = m_blockRemaining;
        BitReader in = m_in;
        const auto safeItems = [&]() -> std::size_t {
            // The reader stays within the bits it took and the at most 63
            // it holds, and each refill reads eight bytes there.
            const std::size_t ahead = in.bytesAhead();
            if (pos >= fastStop || ahead < 2 * kRefillBytes)
                return 0;
            const std::size_t byInput = (ahead - 2 * kRefillBytes) * 8 / kMostItemBits;
            const std::size_t byOutput = (fastStop - pos + kMaxMatch - 1) / kMaxMatch;
            return std::min({byInput, byOutput, std::size_t{remaining}});
        };
        // The items a round may take, a pair of literals counting for two:
        // the bounds hold per step, and a step takes one or two items. The
        // block's count is brought up to date only between rounds, so that
        // the loop keeps one counter.
        std::size_t roundStart = safeItems();
        std::size_t round = roundStart;
        const auto nextRound = [&] {
            remaining -= static_cast<unsigned>(roundStart - round);
            roundStart = round = safeItems();
            return round >= 2;
        };
        if (round < 2)
            return;
        // An item starts with at least 57 bits buffered and looked up: its
        // symbol (<= 16 bits), distance code (<= 16) and extra bits (<= 15)
        // are all there.
        in.refillFast();
        uint32_t item = m_items[in.peek(ItemLookup::kBits)];
        while (true) {
            const unsigned kind = ItemLookup::kindOf(item);
            if (kind == ItemLookup::kOneLiteral || kind == ItemLookup::kTwoLiterals) {
                // Both bytes are stored either way.
                const auto pair = static_cast<uint16_t>(ItemLookup::valueOf(item));
                std::memcpy(out + pos, &pair, 2);
                in.skip(ItemLookup::bitsOf(item));
                pos += kind;
                round -= kind;
                // The next lookup needs no refill yet, so it need not wait
                // for one.
                item = m_items[in.peek(ItemLookup::kBits)];
                in.refillFast();
            } else {
                unsigned length;
                if (kind == ItemLookup::kMatch) {
                    in.skip(ItemLookup::bitsOf(item));
                    length = ItemLookup::valueOf(item);
                } else {
                    const auto [symbol, bits] =
                        m_symbols.lookUp<kSymbolRootBits>(in.peek(HuffmanTable::kMaxLength));
                    in.skip(bits);
                    length = symbol < kFirstMatchSymbol ? 0 : matchLength(symbol);
                    if (length == 0) {
                        out[pos++] = static_cast<OutByte>(symbol);
                        --round;
                        in.refillFast();
                        item = m_items[in.peek(ItemLookup::kBits)];
                        if (round < 2 && !nextRound())
                            break;
                        continue;
                    }
                }
                --round;
                const std::size_t distance = lookUpDistance(in);
                checkDistance(pos, distance);
                OutByte *const to = out + pos;
                pos += length;
                // The next item is looked up before the copy, which does
                // not touch what the lookup reads.
                in.refillFast();
                item = m_items[in.peek(ItemLookup::kBits)];
                copyBytes(to, distance, length);
            }
            if (round < 2 && !nextRound())
                break;
        }
        m_in = in;
        m_blockRemaining = remaining;
        m_pos = pos;
    }

    // A distance in one lookup, code and extra bits together, unless its
    // code is longer than the lookup's root.
    [[gnu::always_inline]] std::size_t lookUpDistance(BitReader &in) const {
        const uint32_t d = m_distanceItems[in.peek(DistanceLookup::kBits)];
        if (const unsigned taken = DistanceLookup::bitsOf(d)) [[likely]] {
            const std::size_t distance =
                DistanceLookup::baseOf(d) +
                (in.peek(taken) & ((1u << DistanceLookup::extraOf(d)) - 1));
            in.skip(taken);
            return distance;
        }
        const auto [code, bits] =
            m_distances.lookUp<kDistanceRootBits>(in.peek(HuffmanTable::kMaxLength));
        in.skip(bits);
        return distanceBase(code) + in.take(distanceExtraBits(code));
    }

    // One item, its match cut at end: looked up as the fast loop does, but
    // taking only the first of two literals.
    void decodeItem(std::size_t end) {
        LocalBitReader in(m_in);
        --m_blockRemaining;
        in.refill();
        const uint32_t item = m_items[in.peek(ItemLookup::kBits)];
        unsigned length = 0;
        switch (ItemLookup::kindOf(item)) {
        case ItemLookup::kOneLiteral:
        case ItemLookup::kTwoLiterals:
            in.skip(ItemLookup::firstBitsOf(item));
            m_buf[m_pos++] = static_cast<OutByte>(ItemLookup::valueOf(item) & 0xFF);
            return;
        case ItemLookup::kMatch:
            in.skip(ItemLookup::bitsOf(item));
            length = ItemLookup::valueOf(item);
            break;
        default: {
            const unsigned symbol = m_symbols.decode<kSymbolRootBits>(in);
            if (symbol < kFirstMatchSymbol) {
                m_buf[m_pos++] = static_cast<OutByte>(symbol);
                return;
            }
            length = matchLength(symbol);
        }
        }
        const std::size_t distance = lookUpDistance(in);
        m_pos = copyMatch(m_buf.data(), m_pos, distance, length, end);
    }

    static unsigned distanceBase(unsigned code) {
        return code <= 1 ? code + 1 : (1u << (code - 1)) + 1;
    }
    static unsigned distanceExtraBits(unsigned code) { return code <= 1 ? 0 : code - 1; }

    // The symbol and distance tables serve only the codes longer than the
    // lookups' roots, and hold only those: a block without such codes (most
    // blocks of a small member) gets tables that refuse every code, since
    // the lookups send them only the unused ones. The lengths are checked
    // all the same.
    void readBlockHeader() {
        m_blockRemaining = m_in.bits(16);
        SmallCodeLengths lengths{};
        if (const auto single = readSmallCodeLengths(m_in, lengths, kLengthCodes, 5, 3))
            m_lengthTable.buildSingle(*single);
        else
            m_lengthTable.build(lengths.data(), kLengthCodes);
        readSymbolLengths();
        lengths = {};
        if (const auto single =
                readSmallCodeLengths(m_in, lengths, m_distanceCodes, m_distanceCountBits, -1)) {
            m_distances.buildSingle(*single);
            m_distanceItems.buildSingle(*single, distanceBase, distanceExtraBits);
            return;
        }
        const auto first = HuffmanTable::checkedFirstCodes(lengths.data(), m_distanceCodes);
        m_distanceItems.build(lengths.data(), m_distanceCodes, first, distanceBase,
                              distanceExtraBits);
        buildForLongCodes(m_distances, lengths.data(), m_distanceCodes, first,
                          DistanceLookup::kBits);
    }

    void readSymbolLengths() {
        std::array<uint8_t, kSymbols> lengths{};
        if (const auto single = readSymbolCodeLengths(m_in, m_lengthTable, lengths)) {
            m_symbols.buildSingle(*single);
            m_items.buildSingle(*single);
            return;
        }
        const auto first = HuffmanTable::checkedFirstCodes(lengths.data(), kSymbols);
        m_items.build(lengths.data(), kSymbols, first);
        buildForLongCodes(m_symbols, lengths.data(), kSymbols, first, ItemLookup::kBits);
    }

    static void buildForLongCodes(HuffmanTable &table, const uint8_t *lengths, unsigned count,
                                  const HuffmanTable::FirstCodes &first, unsigned lookupBits) {
        if (*std::max_element(lengths, lengths + count) > lookupBits)
            table.buildLongCodes(lengths, count, first, lookupBits);
        else
            table.buildRefusingAll();
    }

    const unsigned m_distanceCodes;
    const unsigned m_distanceCountBits;
    HuffmanTable m_symbols;
    HuffmanTable m_distances;
    HuffmanTable m_lengthTable;
    ItemLookup m_items;
    DistanceLookup m_distanceItems;
    unsigned m_blockRemaining = 0;
};

} // namespace

std::unique_ptr<Decoder> makeStaticHuffmanDecoder(ByteSource &in, uint64_t originalSize,
                                                  unsigned windowBits) {
    // The fast loop's bound on the bits of an item holds up to this window.
    if (windowBits > kLargestWindowBits)
        throw std::invalid_argument("window too large for the static-Huffman decoder");
    return std::make_unique<StaticHuffmanDecoder>(in, originalSize, windowBits);
}

} // namespace lha
