// SPDX-License-Identifier: MIT
#pragma once
// What a run remembers of every folder or name it has met, held as 64-bit
// hashes: a set of paths costs a hundred bytes and more each, which an
// archive of millions of members would turn into gigabytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lha {

// The hash of a path built a component at a time, so that the hashes of all
// of a path's folders cost one pass over it.
class PathHasher {
public:
    void add(const std::string &component);
    uint64_t value() const { return m_hash; }

private:
    static constexpr uint64_t kFnvOffset = 14695981039346656037ULL;
    uint64_t m_hash = kFnvOffset;
};

// The hash of the path's first depth components.
uint64_t pathHash(const std::vector<std::string> &path, std::size_t depth);

// Open addressing over 8-byte slots. It holds at most `most` hashes; past
// that an insert is refused and the caller decides what to give up.
class PathHashSet {
public:
    explicit PathHashSet(std::size_t most) : m_most(most) {}

    enum class Inserted { New, Present, Full };
    Inserted insert(uint64_t hash);
    bool contains(uint64_t hash) const;

private:
    std::size_t slotOf(uint64_t hash) const;
    void grow();

    std::vector<uint64_t> m_slots; // 0 marks a free slot
    std::size_t m_count = 0;
    std::size_t m_most;
};

} // namespace lha
