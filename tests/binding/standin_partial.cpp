// SPDX-License-Identifier: MIT
// A stand-in for libunlha32.so that lacks the Unlha entry.
extern "C" int UnlhaGetVersion(void) {
    return 99;
}
