// SPDX-License-Identifier: MIT
#include "process/heap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace process {
namespace {

constexpr int kLargestFromHeap = 32 * 1024 * 1024;
constexpr int kKeptFree = 64 * 1024 * 1024;
// A transparent huge page on x86-64 (and the 4 KiB-page arm64 systems);
// where huge pages are larger, the advice below simply takes no effect.
constexpr uintptr_t kHugePage = 2 * 1024 * 1024;
// What a run over an ordinary archive allocates: header windows, entries,
// decoding windows and the queued chunks. It is only reserved; each huge
// page of it becomes memory when something there is first touched.
constexpr uintptr_t kHugeHeap = 16 * 1024 * 1024;
// What the C library's allocator keeps in front of each block it hands out.
constexpr uintptr_t kBlockHeader = 2 * sizeof(size_t);

// Grows the heap by kHugeHeap, starting at a huge page's boundary, and
// advises that range for huge pages. A huge page is only made where nothing
// of its 2 MiB was touched before the advice, so the allocator's bookkeeping
// of the growth must fall outside the range: the end of the heap is first
// moved (as someone else's memory, which the allocator steps over) to one
// page below a boundary, where the new space then starts, and a block just
// larger than the range is allocated and freed, which marks only its two
// ends.
void startHeapOnHugePages() {
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    void *const end = sbrk(0);
    if (end == reinterpret_cast<void *>(-1))
        return;
    const auto from = reinterpret_cast<uintptr_t>(end);
    const uintptr_t start = (from + page + kHugePage - 1) & ~(kHugePage - 1);
    if (sbrk(static_cast<intptr_t>(start - page - from)) == reinterpret_cast<void *>(-1))
        return;
    void *volatile grow = std::malloc(kHugeHeap + page);
    const bool onHeap = reinterpret_cast<uintptr_t>(grow) == start - page + kBlockHeader;
    std::free(grow);
    // Under the sanitizers, or when the system refused to grow the heap, the
    // block came from elsewhere.
    if (onHeap)
        madvise(reinterpret_cast<void *>(start), kHugeHeap, MADV_HUGEPAGE);
}

} // namespace

// The engine's decoding threads allocate and free their windows and chunks
// member after member. By default the allocator hands freed memory back to
// the system and faults it in again for the next member, which on an
// archive of many small files costs a tenth of the run: the memory is kept
// instead, as the engine bounds it.
//
// Each fresh 4 KiB page costs a fault on first touch, and a run over a small
// archive touches a thousand or so (header windows, entries, each thread's
// buffers): on a virtual machine, at some ten microseconds each, a fifth of
// the run. Huge pages take one fault per 2 MiB. The threads share the one
// heap, so that their buffers are on them too; they allocate a few times
// per member, too rarely for the shared lock to cost anything measurable.
void prepareHeap() {
    mallopt(M_MMAP_THRESHOLD, kLargestFromHeap);
    mallopt(M_TRIM_THRESHOLD, kKeptFree);
    mallopt(M_ARENA_MAX, 1);
    startHeapOnHugePages();
}

} // namespace process
