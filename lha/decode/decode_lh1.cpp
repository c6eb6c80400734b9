// SPDX-License-Identifier: MIT
// -lh1- (LHarc 1.x): LZSS over a 4 KiB window that starts out full of blanks,
// with an adaptive Huffman code for literals and match lengths and a fixed
// code for the upper six bits of the match distance.
#include "decode_families.h"
#include "decode_match_symbols.h"
#include "decode_window.h"
#include "huffman.h"

#include <array>

namespace lha {
namespace {

constexpr unsigned kWindowBits = 12;
constexpr unsigned kMaxMatch = 60;
constexpr unsigned kSymbols = kFirstMatchSymbol + kMaxMatch - kMinMatch + 1;
constexpr unsigned kNodes = 2 * kSymbols - 1;
constexpr unsigned kRoot = kNodes - 1;
constexpr uint32_t kRebuildAt = 0x8000;

// The adaptive code: a sibling-ordered tree (frequencies never decrease
// along the node array), updated after every symbol; when the root's count
// reaches kRebuildAt every count is halved and the tree rebuilt.
class AdaptiveTree {
public:
    AdaptiveTree() {
        for (unsigned i = 0; i < kSymbols; ++i) {
            m_freq[i] = 1;
            m_son[i] = i + kNodes;
            m_parent[i + kNodes] = i;
        }
        for (unsigned i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            m_freq[j] = m_freq[i] + m_freq[i + 1];
            m_son[j] = i;
            m_parent[i] = m_parent[i + 1] = j;
        }
        m_freq[kNodes] = UINT32_MAX; // stops the search for a swap partner
        m_parent[kRoot] = 0;
    }

    unsigned decode(BitReader &in) {
        unsigned node = m_son[kRoot];
        while (node < kNodes) {
            in.refill();
            node = m_son[node + in.take(1)];
        }
        const unsigned symbol = node - kNodes;
        update(symbol);
        return symbol;
    }

private:
    void update(unsigned symbol) {
        if (m_freq[kRoot] == kRebuildAt)
            rebuild();
        unsigned node = m_parent[symbol + kNodes];
        do {
            const uint32_t count = ++m_freq[node];
            // Keep the order: move this node past the run of nodes it now
            // outweighs, swapping it with the last of them.
            if (count > m_freq[node + 1]) {
                unsigned last = node + 1;
                while (count > m_freq[last + 1])
                    ++last;
                m_freq[node] = m_freq[last];
                m_freq[last] = count;

                const unsigned a = m_son[node];
                const unsigned b = m_son[last];
                adopt(a, last);
                adopt(b, node);
                m_son[last] = a;
                m_son[node] = b;
                node = last;
            }
            node = m_parent[node];
        } while (node != 0);
    }

    // Makes `parent` the parent of child node `son` (and of its sibling when
    // `son` is an inner node's first child).
    void adopt(unsigned son, unsigned parent) {
        m_parent[son] = parent;
        if (son < kNodes)
            m_parent[son + 1] = parent;
    }

    void rebuild() {
        unsigned leaves = 0;
        for (unsigned i = 0; i < kNodes; ++i) {
            if (m_son[i] >= kNodes) {
                m_freq[leaves] = (m_freq[i] + 1) / 2;
                m_son[leaves] = m_son[i];
                ++leaves;
            }
        }
        for (unsigned i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
            const uint32_t f = m_freq[i] + m_freq[i + 1];
            unsigned k = j;
            while (f < m_freq[k - 1])
                --k;
            for (unsigned m = j; m > k; --m) {
                m_freq[m] = m_freq[m - 1];
                m_son[m] = m_son[m - 1];
            }
            m_freq[k] = f;
            m_son[k] = i;
        }
        for (unsigned i = 0; i < kNodes; ++i)
            adopt(m_son[i], i);
    }

    std::array<uint32_t, kNodes + 1> m_freq{};
    std::array<uint16_t, kNodes> m_son{};
    std::array<uint16_t, kNodes + kSymbols> m_parent{};
};

// The fixed code for the distance's upper six bits: 1 value of 3 bits, 3 of
// 4, 8 of 5, 12 of 6, 24 of 7 and 16 of 8, assigned canonically.
HuffmanTable makeDistanceTable() {
    std::array<uint8_t, 64> lengths{};
    unsigned i = 0;
    for (auto [length, count] : {std::pair{3, 1}, {4, 3}, {5, 8}, {6, 12}, {7, 24}, {8, 16}})
        for (int k = 0; k < count; ++k)
            lengths[i++] = static_cast<uint8_t>(length);
    HuffmanTable table(8);
    table.build(lengths.data(), 64);
    return table;
}

class Lh1Decoder final : public WindowedDecoder {
public:
    Lh1Decoder(ByteSource &in, uint64_t originalSize)
        : WindowedDecoder(in, originalSize, std::size_t{1} << kWindowBits, kMaxMatch),
          m_distanceTable(makeDistanceTable()) {
        std::vector<uint8_t> blanks(m_window, ' ');
        prefill(blanks.data());
    }

private:
    void decode(std::size_t stop, std::size_t end) override {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            const unsigned symbol = m_tree.decode(m_in);
            if (symbol < kFirstMatchSymbol) {
                out[pos++] = static_cast<OutByte>(symbol);
                continue;
            }
            m_in.refill();
            const unsigned upper = m_distanceTable.decode(m_in);
            const std::size_t distance = ((upper << 6) | m_in.take(6)) + 1;
            pos = copyMatch(out, pos, distance, matchLength(symbol), end);
        }
        m_pos = pos;
    }

    AdaptiveTree m_tree;
    HuffmanTable m_distanceTable;
};

} // namespace

std::unique_ptr<Decoder> makeLh1Decoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<Lh1Decoder>(in, originalSize);
}

} // namespace lha
