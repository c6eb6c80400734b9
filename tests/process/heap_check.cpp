// SPDX-License-Identifier: MIT
// Checks that after process::prepareHeap() what the threads allocate lies on
// huge pages and keeps its contents. Exits 77 (skipped) where the system has
// no transparent huge pages, or had none free.
#include "process/heap.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <vector>

namespace {

constexpr int kSkipped = 77;
constexpr std::size_t kBlock = 1024 * 1024;
constexpr std::size_t kBlocksPerThread = 3;
constexpr int kThreads = 3;
constexpr uintptr_t kHugePage = 2 * 1024 * 1024;
#ifdef MADV_COLLAPSE
constexpr int kCollapse = MADV_COLLAPSE;
#else
constexpr int kCollapse = 25;
#endif

std::string fileText(const char *path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

uint64_t vmstat(const std::string &name) {
    std::istringstream in(fileText("/proc/vmstat"));
    std::string key;
    uint64_t value = 0;
    while (in >> key >> value)
        if (key == name)
            return value;
    return 0;
}

struct Mapping {
    bool found = false;
    bool advised = false; // "hg" among its flags
    uint64_t hugeKiB = 0;
};

// The mapping of /proc/self/smaps that holds address.
Mapping mappingOf(const void *address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    std::istringstream in(fileText("/proc/self/smaps"));
    Mapping mapping;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        unsigned long long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%llx-%llx ", &from, &to) == 2 &&
            line.find(':') > line.find(' ')) {
            if (mapping.found)
                break;
            inside = at >= from && at < to;
            mapping.found = inside;
        } else if (inside && line.starts_with("AnonHugePages:")) {
            mapping.hugeKiB = std::strtoull(line.c_str() + 14, nullptr, 10);
        } else if (inside && line.starts_with("VmFlags:")) {
            mapping.advised = line.find(" hg") != std::string::npos;
        }
    }
    return mapping;
}

// Whether the kernel makes huge pages of touched memory on request.
bool canCollapse() {
    const std::size_t length = 2 * kHugePage;
    void *map = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED)
        return false;
    auto *page = reinterpret_cast<char *>((reinterpret_cast<uintptr_t>(map) + kHugePage - 1) &
                                          ~(kHugePage - 1));
    *page = 1;
    const bool collapsed = madvise(page, kHugePage, kCollapse) == 0;
    munmap(map, length);
    return collapsed;
}

// Each thread fills its blocks with its own pattern; the blocks are checked
// once all threads are done, so that overlapping blocks would show.
void fill(std::vector<char *> &blocks, int thread) {
    for (std::size_t i = 0; i < kBlocksPerThread; ++i) {
        auto *block = static_cast<char *>(std::malloc(kBlock));
        std::memset(block, 'a' + thread * kBlocksPerThread + i, kBlock);
        blocks.push_back(block);
    }
}

} // namespace

int main() {
    const std::string enabled = fileText("/sys/kernel/mm/transparent_hugepage/enabled");
    if (enabled.empty() || enabled.find("[never]") != std::string::npos) {
        std::puts("skipped: no transparent huge pages here");
        return kSkipped;
    }
    process::prepareHeap();
    const uint64_t fallbacksBefore = vmstat("thp_fault_fallback");
    std::vector<std::vector<char *>> blocks(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&blocks, t] { fill(blocks[t], t); });
    for (auto &thread : threads)
        thread.join();
    int failures = 0;
    for (int t = 0; t < kThreads; ++t)
        for (std::size_t i = 0; i < kBlocksPerThread; ++i) {
            const char expected = static_cast<char>('a' + t * kBlocksPerThread + i);
            const char *block = blocks[t][i];
            for (std::size_t k = 0; k < kBlock; ++k)
                if (block[k] != expected) {
                    std::printf("FAIL: block %zu of thread %d was overwritten\n", i, t);
                    ++failures;
                    break;
                }
            const Mapping mapping = mappingOf(block);
            if (!mapping.advised) {
                std::printf("FAIL: block %zu of thread %d is outside the advised heap\n", i, t);
                ++failures;
            }
        }
    // The blocks follow one another on the heap, and every huge page they
    // touch must be one: the first, which the set-up itself touches, only
    // where the kernel can collapse pages into huge ones.
    uintptr_t low = UINTPTR_MAX, high = 0;
    for (const auto &list : blocks)
        for (const char *block : list) {
            low = std::min(low, reinterpret_cast<uintptr_t>(block));
            high = std::max(high, reinterpret_cast<uintptr_t>(block) + kBlock);
        }
    const uintptr_t touchedFrom = low & ~(kHugePage - 1);
    const uintptr_t touchedTo = (high + kHugePage - 1) & ~(kHugePage - 1);
    const uint64_t wantedKiB = (touchedTo - touchedFrom - (canCollapse() ? 0 : kHugePage)) / 1024;
    const Mapping heap = mappingOf(blocks[0][0]);
    if (heap.hugeKiB < wantedKiB) {
        if (vmstat("thp_fault_fallback") != fallbacksBefore) {
            std::puts("skipped: the system had no huge page free");
            return kSkipped;
        }
        std::printf("FAIL: %llu KiB of the heap on huge pages, of the %llu KiB the blocks touch\n",
                    static_cast<unsigned long long>(heap.hugeKiB),
                    static_cast<unsigned long long>(wantedKiB));
        ++failures;
    }
    for (auto &list : blocks)
        for (char *block : list)
            std::free(block);
    if (failures == 0)
        std::printf("ok: %llu KiB of the heap on huge pages\n",
                    static_cast<unsigned long long>(heap.hugeKiB));
    return failures == 0 ? 0 : 1;
}
