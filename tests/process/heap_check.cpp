// SPDX-License-Identifier: MIT
// Checks that after process::prepareHeap() what the threads allocate lies on
// huge pages and keeps its contents. Exits 77 (skipped) where the system has
// no transparent huge pages, or had none free, or split some meanwhile.
#include "process/heap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSkipped = 77;
constexpr std::size_t kBlock = 1024 * 1024;
constexpr std::size_t kBlocksPerThread = 5;
constexpr int kThreads = 3;
constexpr uint64_t kMostOnSmallPagesKiB = 512;

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

// Counts, over the whole system, of huge pages that could not be made or
// were split again (by reclaim, say): when they move, a short count of
// huge pages is not the set-up's doing.
uint64_t thpInterference() {
    return vmstat("thp_fault_fallback") + vmstat("thp_split_page") + vmstat("thp_split_pmd");
}

// What of the heap is resident, and how much of that on huge pages, summed
// over its mappings in /proc/self/smaps, and whether any is advised for them.
struct Heap {
    uint64_t residentKiB = 0;
    uint64_t hugeKiB = 0;
    bool advised = false; // "hg" among the flags of one of its mappings
};

Heap heap() {
    std::istringstream in(fileText("/proc/self/smaps"));
    Heap heap;
    bool inside = false;
    const auto kiB = [](const std::string &line) {
        return std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
    };
    for (std::string line; std::getline(in, line);) {
        unsigned long long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%llx-%llx ", &from, &to) == 2 &&
            line.find(':') > line.find(' '))
            inside = line.ends_with("[heap]");
        else if (inside && line.starts_with("Rss:"))
            heap.residentKiB += kiB(line);
        else if (inside && line.starts_with("AnonHugePages:"))
            heap.hugeKiB += kiB(line);
        else if (inside && line.starts_with("VmFlags:") && line.find(" hg") != std::string::npos)
            heap.advised = true;
    }
    return heap;
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
    const uint64_t interferenceBefore = thpInterference();
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
        }
    // The blocks, 15 MiB, lie on the heap's huge pages, all but a page of
    // them: what it holds on small pages besides is what the program had
    // before the set-up.
    const Heap after = heap();
    const uint64_t smallKiB = after.residentKiB - after.hugeKiB;
    const uint64_t blocksKiB = kThreads * kBlocksPerThread * kBlock / 1024;
    if (!after.advised || smallKiB >= kMostOnSmallPagesKiB || after.hugeKiB + 4 < blocksKiB) {
        if (after.advised && thpInterference() != interferenceBefore) {
            std::puts("skipped: the system had no huge page free, or split some meanwhile");
            return kSkipped;
        }
        std::printf("FAIL: %s, %llu KiB of the heap on huge pages, %llu KiB on small ones\n",
                    after.advised ? "advised" : "not advised",
                    static_cast<unsigned long long>(after.hugeKiB),
                    static_cast<unsigned long long>(smallKiB));
        ++failures;
    }
    for (auto &list : blocks)
        for (char *block : list)
            std::free(block);
    if (failures == 0)
        std::printf("ok: %llu KiB of the heap on huge pages, %llu KiB on small ones\n",
                    static_cast<unsigned long long>(after.hugeKiB),
                    static_cast<unsigned long long>(smallKiB));
    return failures == 0 ? 0 : 1;
}
