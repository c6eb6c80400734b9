// SPDX-License-Identifier: MIT
#pragma once
// How a program's allocator takes memory from the system: set up first thing
// in main(), before anything else allocates much.

namespace process {

// Keeps freed memory for reuse, gives all threads one heap, and starts that
// heap on huge pages where the system offers them. Never fails: whatever the
// system refuses stays as it was.
void prepareHeap();

} // namespace process
