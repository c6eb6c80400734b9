// SPDX-License-Identifier: MIT
#pragma once
// An allocator whose containers leave new elements uninitialised, for byte
// buffers that are always written before they are read: zeroing them first
// would only cost time.
#include <memory>
#include <utility>

namespace lha {

template <typename T> struct UninitialisedAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = UninitialisedAllocator<U>; };
    template <typename U> void construct(U *p) noexcept { ::new (static_cast<void *>(p)) U; }
    template <typename U, typename... Args> void construct(U *p, Args &&...args) {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};

} // namespace lha
