// SPDX-License-Identifier: MIT
#include "path_hashes.h"

namespace lha {
namespace {

constexpr std::size_t kFirstSlots = 1024;
// A free slot is kept for every used one, so that probes stay short.
constexpr std::size_t kSlotsPerHash = 2;

// No stored hash is 0, the mark of a free slot.
uint64_t stored(uint64_t hash) {
    return hash == 0 ? 1 : hash;
}

} // namespace

void PathHasher::add(const std::string &component) {
    constexpr uint64_t kFnvPrime = 1099511628211ULL;
    auto mix = [&](uint8_t byte) { m_hash = (m_hash ^ byte) * kFnvPrime; };
    // The component's length first, so that no two paths run together.
    for (std::size_t n = component.size(), k = 0; k < sizeof n; ++k)
        mix(static_cast<uint8_t>(n >> (8 * k)));
    for (const char c : component)
        mix(static_cast<uint8_t>(c));
}

uint64_t pathHash(const std::vector<std::string> &path, std::size_t depth) {
    PathHasher hasher;
    for (std::size_t i = 0; i < depth; ++i)
        hasher.add(path[i]);
    return hasher.value();
}

std::size_t PathHashSet::slotOf(uint64_t hash) const {
    // FNV's low bits are weak; the high half of a multiply spreads them.
    constexpr uint64_t kSpread = 0x9E3779B97F4A7C15ULL;
    std::size_t slot = static_cast<std::size_t>((hash * kSpread) >> 32) & (m_slots.size() - 1);
    while (m_slots[slot] != 0 && m_slots[slot] != hash)
        slot = (slot + 1) & (m_slots.size() - 1);
    return slot;
}

PathHashSet::Inserted PathHashSet::insert(uint64_t hash) {
    hash = stored(hash);
    if (m_slots.empty())
        m_slots.assign(kFirstSlots, 0);
    std::size_t slot = slotOf(hash);
    if (m_slots[slot] == hash)
        return Inserted::Present;
    if (m_count >= m_most)
        return Inserted::Full;
    if ((m_count + 1) * kSlotsPerHash > m_slots.size()) {
        grow();
        slot = slotOf(hash);
    }
    m_slots[slot] = hash;
    ++m_count;
    return Inserted::New;
}

bool PathHashSet::contains(uint64_t hash) const {
    hash = stored(hash);
    return !m_slots.empty() && m_slots[slotOf(hash)] == hash;
}

void PathHashSet::grow() {
    std::vector<uint64_t> old(m_slots.size() * 2, 0);
    old.swap(m_slots);
    for (const uint64_t hash : old)
        if (hash != 0)
            m_slots[slotOf(hash)] = hash;
}

} // namespace lha
