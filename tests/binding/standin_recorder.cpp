// SPDX-License-Identifier: MIT
// A stand-in for libunlha32.so that records every call, for the binding and
// run tests. The test reaches the record through the Standin* entries.
#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string g_calls;
int g_result = 0;
std::string g_report;
void (*g_whileRunning)() = nullptr;

} // namespace

extern "C" {

int UnlhaGetVersion(void) {
    g_calls += "UnlhaGetVersion\n";
    return 100;
}

int Unlha(uint32_t hwnd, const char *command, char *out, uint32_t size) {
    g_calls += "Unlha hwnd=" + std::to_string(hwnd) + " command=[" + command + "] out=[" +
               (out != nullptr ? out : "(null)") + "] size=" + std::to_string(size) + "\n";
    // The real library serves the caller's windows while it works.
    if (g_whileRunning != nullptr)
        g_whileRunning();
    if (out != nullptr && size > g_report.size())
        std::memcpy(out, g_report.c_str(), g_report.size() + 1);
    g_calls += "Unlha returns\n";
    return g_result;
}

const char *StandinCalls(void) {
    return g_calls.c_str();
}
// The next calls of Unlha return `result`, write `report` when it fits and
// call `whileRunning` (when given) before they return.
void StandinReset(int result, const char *report, void (*whileRunning)()) {
    g_calls.clear();
    g_result = result;
    g_report = report != nullptr ? report : "";
    g_whileRunning = whileRunning;
}

} // extern "C"
