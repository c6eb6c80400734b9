// SPDX-License-Identifier: MIT
#pragma once
// SIGINT, SIGTERM and SIGHUP become a cancel: the engine stops at its next
// chunk and removes the file it was writing, which only ever has a
// temporary name, so no partial file is left under a member's name. The
// tool then ends by the same signal, so that its caller sees how it ended.
// A second signal ends the tool at once (the handler resets itself).
#include <atomic>
#include <csignal>

namespace unlha {

inline std::atomic<bool> interrupted{false};
inline volatile std::sig_atomic_t interruptedBy = 0;

extern "C" inline void noteInterrupt(int signal) {
    interruptedBy = signal;
    interrupted.store(true);
}

// Installs the handlers; pass the result as lha::RunOptions::cancel.
inline const std::atomic<bool> *cancelOnInterrupt() {
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    return &interrupted;
}

// After the engine returned: ends the process by the signal that came, if
// one did.
inline void endIfInterrupted() {
    if (interruptedBy == 0)
        return;
    std::signal(interruptedBy, SIG_DFL);
    std::raise(interruptedBy);
}

} // namespace unlha
