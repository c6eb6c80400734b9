// SPDX-License-Identifier: MIT
#pragma once
// The engine tests' own operator new: it can deny allocations, as a system
// out of memory does, and it counts the bytes allocated and not yet freed.
#include <cstddef>

namespace lha::testing {

// Allocations of sizes in [from, to) throw std::bad_alloc until called
// again; (SIZE_MAX, SIZE_MAX) lets every allocation through.
void failAllocations(std::size_t from, std::size_t to);

// Bytes allocated with operator new and not yet deleted, by every thread.
std::size_t liveBytes();

} // namespace lha::testing
