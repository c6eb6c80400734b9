// SPDX-License-Identifier: MIT
// libFuzzer target: the whole path over an archive held in memory, from the
// header scan through decoding to the CRC check.
//
// Archives may declare gigabytes that a few bytes of -lh5- really produce;
// the run is cancelled past kOutputCap so that such inputs do not time out.
#include "in_memory.h"

#include <atomic>

namespace {
constexpr uint64_t kOutputCap = 64ull << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    std::atomic<bool> cancel{false};
    lha::TestOptions options;
    options.threads = 1;
    options.cancel = &cancel;
    options.progress = [&](const lha::Progress &progress) {
        if (progress.done > kOutputCap)
            cancel = true;
    };
    lha::testMemory(data, size, options);
    return 0;
}
