// SPDX-License-Identifier: MIT
#include "progress_line.h"

#include <string>
#include <sys/ioctl.h>

namespace unlha {
namespace {

// Redrawing more often than this only costs time: nobody reads that fast.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kFallbackColumns = 80;
// Erases from the cursor to the end of the line.
constexpr const char *kEraseLine = "\r\x1b[K";

int columns(std::FILE *terminal) {
    winsize size{};
    if (::ioctl(::fileno(terminal), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kFallbackColumns;
}

std::string mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

// Cuts text to at most `width` columns without splitting a character;
// characters from the CJK blocks on count as two columns.
std::string fitted(const std::string &text, int width) {
    std::size_t end = 0;
    int used = 0;
    while (end < text.size()) {
        const auto lead = static_cast<unsigned char>(text[end]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const int cells = lead >= 0xE1 ? 2 : 1;
        if (used + cells > width || end + length > text.size())
            break;
        used += cells;
        end += length;
    }
    return text.substr(0, end);
}

} // namespace

ProgressLine::ProgressLine(std::FILE *terminal, bool enabled)
    : m_terminal(terminal), m_enabled(enabled), m_start(Clock::now()) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::update(const lha::Progress &progress) {
    if (!m_enabled)
        return;
    const auto now = Clock::now();
    if (m_shown && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const int percent =
        progress.total == 0 ? 100 : static_cast<int>(100 * progress.done / progress.total);
    std::string line = std::to_string(percent) + "% " + mebibytes(progress.done) + " of " +
                       mebibytes(progress.total);
    if (seconds > 0)
        line += ", " + mebibytes(static_cast<uint64_t>(progress.done / seconds)) + "/s";
    line += "  " + lha::printable(progress.member);
    // One column stays free: a line that fills the terminal wraps on some.
    std::fprintf(m_terminal, "%s%s", kEraseLine, fitted(line, columns(m_terminal) - 1).c_str());
    std::fflush(m_terminal);
    m_shown = true;
}

void ProgressLine::clear() {
    if (!m_shown)
        return;
    std::fputs(kEraseLine, m_terminal);
    std::fflush(m_terminal);
    m_shown = false;
}

} // namespace unlha
