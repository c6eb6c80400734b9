// SPDX-License-Identifier: MIT
// The library's only exported symbols.
#include "outcome.h"
#include "run.h"
#include "unlha32.h"

#include <hokora/version.h>

#include <exception>

extern "C" {

__attribute__((visibility("default"))) int UnlhaGetVersion(void) {
    return HOKORA_LIBRARY_VERSION;
}

__attribute__((visibility("default"))) int Unlha(uint32_t hwnd, const char *command, char *out,
                                                 uint32_t size) {
    // Nothing may escape through the C boundary.
    try {
        if (command == nullptr) {
            unlha::writeReport("no command\n", out, size);
            return UNLHA_ERROR_COMMAND;
        }
        auto session = unlha::sessionFor(hwnd);
        const auto outcome = unlha::run(command, *session);
        unlha::writeReport(outcome.report, out, size);
        return outcome.code;
    } catch (const std::exception &e) {
        unlha::writeReport(std::string("unexpected failure: ") + e.what() + '\n', out, size);
    } catch (...) {
        unlha::writeReport("unexpected failure\n", out, size);
    }
    return UNLHA_ERROR_UNEXPECTED;
}

} // extern "C"
