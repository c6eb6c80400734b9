// SPDX-License-Identifier: MIT
// -lh2- (LHA 2.x, experimental): LZSS over an 8 KiB window with two adaptive
// Huffman codes, one for literals and match lengths, one for the distance's
// upper seven bits. The distance code starts with one symbol and gains the
// next one each time the output grows by 64 bytes, until the window is
// covered.
#include "decode_families.h"
#include "decode_lh2_lh3.h"
#include "decode_match_symbols.h"
#include "decode_window.h"

#include <vector>

namespace lha {
namespace {

using namespace lh2lh3;

// Both codes share one node array. Nodes are kept in order of falling
// weight, the root first; a node's children sit at child and child - 1, and
// a leaf holds ~symbol instead. Runs of equal weight form blocks whose
// leader is their first node: incrementing a node first swaps it with its
// leader, which keeps the order without searching.
// The symbol tree keeps the room, and the leaf values, of -lh1-'s larger
// alphabet (matches up to 60 bytes); the distance leaves follow it.
constexpr unsigned kLh1MaxMatch = 60;
constexpr int kSymbolLeafValues = kFirstMatchSymbol + kLh1MaxMatch - kMinMatch + 1;
constexpr int kSymbolNodes = 2 * kSymbolLeafValues;
constexpr int kSymbolRoot = 0;
constexpr int kDistanceRoot = kSymbolNodes;
constexpr int kNodes = kSymbolNodes + 2 * kDistanceCodes;
constexpr int kDistanceBase = kSymbolLeafValues; // leaf value of distance code 0
constexpr uint32_t kFull = 0xFFFF;               // weight of the distance root
// A code's weights are halved and its tree rebuilt when its total reaches this.
constexpr uint32_t kRebuildAt = 0x8000;

class AdaptiveCodes {
public:
    AdaptiveCodes()
        : m_weight(kNodes + 1), m_child(kNodes + 1), m_parent(kNodes + 1), m_block(kNodes + 1),
          m_leader(kNodes + 1), m_freeBlocks(kNodes + 1),
          m_leafNode(kDistanceBase + kDistanceCodes) {
        startSymbolTree();
        startDistanceTree();
    }

    unsigned decodeSymbol(BitReader &in) {
        const unsigned symbol = walk(in, kSymbolRoot);
        updateSymbol(symbol);
        return symbol;
    }

    // `produced` is the output size before this match; codes for the
    // distances it made reachable are added first.
    unsigned decodeDistance(BitReader &in, uint64_t produced) {
        while (m_nextGrowth < produced) {
            addDistanceCode(static_cast<unsigned>(m_nextGrowth / 64));
            m_nextGrowth += 64;
            if (m_nextGrowth >= (uint64_t{1} << kWindowBits))
                m_nextGrowth = UINT64_MAX;
        }
        const unsigned code = walk(in, kDistanceRoot) - kDistanceBase;
        updateDistance(code);
        return code;
    }

private:
    unsigned walk(BitReader &in, int root) const {
        int node = m_child[root];
        while (node > 0) {
            in.refill();
            node = m_child[node - static_cast<int>(in.take(1))];
        }
        return static_cast<unsigned>(~node);
    }

    void startSymbolTree() {
        for (std::size_t i = 0; i < m_freeBlocks.size(); ++i)
            m_freeBlocks[i] = static_cast<int>(i);
        int j = 2 * kSymbols - 2;
        for (int i = 0; i < static_cast<int>(kSymbols); ++i, --j) {
            m_weight[j] = 1;
            m_child[j] = ~i;
            m_leafNode[i] = j;
            m_block[j] = 1;
        }
        m_freeBlockCount = 2;
        m_leader[1] = kSymbols - 1;
        for (int i = 2 * kSymbols - 2; j >= 0; i -= 2, --j) {
            const uint32_t w = m_weight[j] = m_weight[i] + m_weight[i - 1];
            m_child[j] = i;
            m_parent[i] = m_parent[i - 1] = j;
            if (w == m_weight[j + 1])
                m_leader[m_block[j] = m_block[j + 1]] = j;
            else
                m_leader[m_block[j] = newBlock()] = j;
        }
    }

    void startDistanceTree() {
        m_weight[kDistanceRoot] = 1;
        m_child[kDistanceRoot] = ~kDistanceBase;
        m_leafNode[kDistanceBase] = kDistanceRoot;
        m_leader[m_block[kDistanceRoot] = newBlock()] = kDistanceRoot;
        m_lastDistanceNode = kDistanceRoot;
    }

    int newBlock() {
        if (m_freeBlockCount >= m_freeBlocks.size())
            throw DecodeError("corrupt adaptive Huffman state");
        return m_freeBlocks[m_freeBlockCount++];
    }

    void releaseBlock(int block) { m_freeBlocks[--m_freeBlockCount] = block; }

    // Splits the last (lightest) leaf into itself and a new leaf of weight 0
    // for distance code `code`, then counts one use of the new code.
    void addDistanceCode(unsigned code) {
        const int last = m_lastDistanceNode;
        const int moved = last + 1;
        const int added = last + 2;
        if (added >= kNodes)
            throw DecodeError("corrupt adaptive Huffman state");
        m_child[moved] = m_child[last];
        m_leafNode[~m_child[moved]] = moved;
        m_child[added] = ~static_cast<int>(code + kDistanceBase);
        m_child[last] = added;
        m_weight[moved] = m_weight[last];
        m_weight[added] = 0;
        m_block[moved] = m_block[last];
        if (last == kDistanceRoot) {
            m_weight[kDistanceRoot] = kFull;
            ++m_leader[m_block[kDistanceRoot]];
        }
        m_parent[moved] = m_parent[added] = last;
        m_leader[m_block[added] = newBlock()] = added;
        m_leafNode[code + kDistanceBase] = added;
        m_lastDistanceNode = added;
        updateDistance(code);
    }

    void updateSymbol(unsigned symbol) {
        if (m_weight[kSymbolRoot] == kRebuildAt)
            rebuild(kSymbolRoot, 2 * kSymbols - 1);
        ++m_weight[kSymbolRoot];
        int node = m_leafNode[symbol];
        do
            node = increment(node);
        while (node != kSymbolRoot);
    }

    void updateDistance(unsigned code) {
        if (m_distanceTotal == kRebuildAt) {
            rebuild(kDistanceRoot, m_lastDistanceNode + 1);
            m_distanceTotal = m_weight[kDistanceRoot];
            m_weight[kDistanceRoot] = kFull;
        }
        int node = m_leafNode[code + kDistanceBase];
        // While the root is the only leaf it counts its uses; the leaf split
        // off it later starts from that count.
        if (node == kDistanceRoot)
            ++m_weight[kDistanceRoot];
        while (node != kDistanceRoot)
            node = increment(node);
        ++m_distanceTotal;
    }

    // Adds one to the weight of `node` (after swapping it with its block's
    // leader) and returns the parent of where that weight now sits.
    int increment(int node) {
        const int block = m_block[node];
        const int leader = m_leader[block];
        if (leader != node) {
            swapSubtrees(node, leader);
            node = leader;
        } else if (block != m_block[node + 1]) {
            // Alone in its block: it may merge into the previous one.
            if (++m_weight[node] == m_weight[node - 1]) {
                releaseBlock(block);
                m_block[node] = m_block[node - 1];
            }
            return m_parent[node];
        }
        // The node leaves its block, which now starts at the next node.
        ++m_leader[block];
        if (++m_weight[node] == m_weight[node - 1])
            m_block[node] = m_block[node - 1];
        else
            m_leader[m_block[node] = newBlock()] = node;
        return m_parent[node];
    }

    void swapSubtrees(int a, int b) {
        const int childA = m_child[a];
        const int childB = m_child[b];
        m_child[a] = childB;
        m_child[b] = childA;
        adopt(childA, b);
        adopt(childB, a);
    }

    void adopt(int child, int parent) {
        if (child >= 0)
            m_parent[child] = m_parent[child - 1] = parent;
        else
            m_leafNode[~child] = parent;
    }

    // Halves every leaf's weight and rebuilds the nodes in [start, end) as a
    // fresh tree, keeping the leaves in order.
    void rebuild(int start, int end) {
        int leaves = start;
        for (int i = start; i < end; ++i) {
            if (m_child[i] < 0) {
                m_weight[leaves] = (m_weight[i] + 1) / 2;
                m_child[leaves] = m_child[i];
                ++leaves;
            }
            if (m_leader[m_block[i]] == i)
                releaseBlock(m_block[i]);
        }
        int from = leaves - 1;
        int to = end - 1;
        int pair = end - 2;
        while (to >= start) {
            while (to >= pair) {
                m_weight[to] = m_weight[from];
                m_child[to] = m_child[from];
                --to;
                --from;
            }
            const uint32_t w = m_weight[pair] + m_weight[pair + 1];
            int k = start;
            while (w < m_weight[k]) {
                if (++k >= end)
                    throw DecodeError("corrupt adaptive Huffman state");
            }
            while (from >= k) {
                m_weight[to] = m_weight[from];
                m_child[to] = m_child[from];
                --to;
                --from;
            }
            m_weight[to] = w;
            m_child[to] = pair + 1;
            --to;
            pair -= 2;
        }
        uint32_t runWeight = 0;
        int block = 0;
        for (int i = start; i < end; ++i) {
            adopt(m_child[i], i);
            if (m_weight[i] == runWeight) {
                m_block[i] = block;
            } else {
                block = newBlock();
                m_block[i] = block;
                m_leader[block] = i;
                runWeight = m_weight[i];
            }
        }
    }

    std::vector<uint32_t> m_weight;
    std::vector<int> m_child;
    std::vector<int> m_parent;
    std::vector<int> m_block;
    std::vector<int> m_leader;
    std::vector<int> m_freeBlocks;
    std::size_t m_freeBlockCount = 0;
    std::vector<int> m_leafNode;
    int m_lastDistanceNode = kDistanceRoot;
    uint32_t m_distanceTotal = 0;
    uint64_t m_nextGrowth = 64;
};

class Lh2Decoder final : public WindowedDecoder {
public:
    Lh2Decoder(ByteSource &in, uint64_t originalSize)
        : WindowedDecoder(in, originalSize, std::size_t{1} << kWindowBits, kMaxMatch) {}

private:
    void decode(std::size_t stop, std::size_t end) override {
        OutByte *out = m_buf.data();
        std::size_t pos = m_pos;
        while (pos < stop) {
            unsigned symbol = m_codes.decodeSymbol(m_in);
            if (symbol == kEscape)
                symbol += m_in.bits(8);
            if (symbol < kFirstMatchSymbol) {
                out[pos++] = static_cast<OutByte>(symbol);
                ++m_produced;
                continue;
            }
            const unsigned upper = m_codes.decodeDistance(m_in, m_produced);
            const std::size_t distance = ((upper << 6) | m_in.bits(6)) + 1;
            const unsigned length = matchLength(symbol);
            const std::size_t next = copyMatch(out, pos, distance, length, end);
            m_produced += length;
            pos = next;
        }
        m_pos = pos;
    }

    AdaptiveCodes m_codes;
    uint64_t m_produced = 0;
};

} // namespace

std::unique_ptr<Decoder> makeLh2Decoder(ByteSource &in, uint64_t originalSize) {
    return std::make_unique<Lh2Decoder>(in, originalSize);
}

} // namespace lha
