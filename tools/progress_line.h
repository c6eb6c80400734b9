// SPDX-License-Identifier: MIT
#pragma once
// The one-line progress report of a long run on a terminal: bytes done of
// the total, the rate and the member being worked on, redrawn in place.
#include "lha/lha.h"

#include <chrono>
#include <cstdio>

namespace unlha {

class ProgressLine {
public:
    // Draws only when enabled; the caller decides (a terminal, not quiet).
    ProgressLine(std::FILE *terminal, bool enabled);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    bool enabled() const { return m_enabled; }
    void update(const lha::Progress &progress);
    // Wipes the line, so that a question or a message starts on a clean one.
    void clear();

private:
    using Clock = std::chrono::steady_clock;

    std::FILE *m_terminal;
    bool m_enabled;
    bool m_shown = false;
    Clock::time_point m_start;
    Clock::time_point m_lastDraw;
};

} // namespace unlha
