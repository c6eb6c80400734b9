// libFuzzer target: the whole path over an archive held in memory, from the
// header scan through decoding to the CRC check.
#include "in_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    lha::testMemory(data, size, 1);
    return 0;
}
