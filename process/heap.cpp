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
constexpr int kHugeHeap = 16 * 1024 * 1024;
// More than is left at the top of the heap after start-up, so that the
// allocator must grow the heap for it.
constexpr std::size_t kGrowingRequest = 256 * 1024;
// The allocator's own step when it grows the heap (mallopt(3)).
constexpr int kUsualTopPad = 128 * 1024;
// Makes huge pages of a range at once (madvise(2), Linux 6.1 on); older C
// libraries lack the name.
#ifdef MADV_COLLAPSE
constexpr int kCollapse = MADV_COLLAPSE;
#else
constexpr int kCollapse = 25;
#endif

// Moves the end of the heap to a huge page's boundary and has the allocator
// grow it by kHugeHeap from there, marked for huge pages. The allocator
// takes the moved end for memory someone else took and starts its new space
// at the boundary, so no partial huge page is left at the start, where the
// first megabytes go.
//
// A huge page is only made on a fault where nothing of its 2 MiB was touched
// before the advice, and growing the heap writes the allocator's bookkeeping
// into the first one: that one is collapsed afterwards (on an older kernel
// it keeps its small pages).
void startHeapOnHugePages() {
    void *const end = sbrk(0);
    if (end == reinterpret_cast<void *>(-1))
        return;
    const auto from = reinterpret_cast<uintptr_t>(end);
    const uintptr_t boundary = (from + kHugePage - 1) & ~(kHugePage - 1);
    if (sbrk(static_cast<intptr_t>(boundary - from)) == reinterpret_cast<void *>(-1))
        return;
    mallopt(M_TOP_PAD, kHugeHeap);
    // Freed at once, it becomes the start of the new top of the heap; small
    // enough that the bookkeeping stays within the first huge page.
    void *volatile grow = std::malloc(kGrowingRequest);
    std::free(grow);
    mallopt(M_TOP_PAD, kUsualTopPad);
    const auto grown = reinterpret_cast<uintptr_t>(sbrk(0));
    // Under the sanitizers, or when the system refused the growth, the
    // allocator took its memory elsewhere.
    if (grown == static_cast<uintptr_t>(-1) || grown < boundary + kHugePage)
        return;
    auto *const start = reinterpret_cast<void *>(boundary);
    if (madvise(start, (grown - boundary) & ~(kHugePage - 1), MADV_HUGEPAGE) == 0)
        madvise(start, kHugePage, kCollapse);
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
