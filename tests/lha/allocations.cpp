// SPDX-License-Identifier: MIT
#include "allocations.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> g_failingFrom{SIZE_MAX};
std::atomic<std::size_t> g_failingTo{SIZE_MAX};
std::atomic<std::size_t> g_live{0};

void *allocate(std::size_t size) {
    if (size >= g_failingFrom.load(std::memory_order_relaxed) &&
        size < g_failingTo.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    void *p = std::malloc(size == 0 ? 1 : size);
    if (!p)
        throw std::bad_alloc();
    g_live.fetch_add(malloc_usable_size(p), std::memory_order_relaxed);
    return p;
}

void release(void *p) {
    if (!p)
        return;
    g_live.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

namespace lha::testing {

void failAllocations(std::size_t from, std::size_t to) {
    g_failingFrom = from;
    g_failingTo = to;
}

std::size_t liveBytes() {
    return g_live.load();
}

} // namespace lha::testing

void *operator new(std::size_t size) {
    return allocate(size);
}
void *operator new[](std::size_t size) {
    return allocate(size);
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void *p) noexcept {
    release(p);
}
void operator delete[](void *p) noexcept {
    release(p);
}
void operator delete(void *p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void *p, std::size_t) noexcept {
    release(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept {
    release(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept {
    release(p);
}
