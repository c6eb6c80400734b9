// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

namespace ui {

// Error numbers the program's local handlers tell apart; every other failure
// carries some other number.
inline constexpr int kErrDeviceUnavailable = 68;
inline constexpr int kErrPathFileAccess = 75;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrDeviceIo = 57;
inline constexpr int kErrDiskFull = 61;

// A failing window-system or file-system operation. Event procedures that can
// fail catch it in their local error handler and look at the number.
class Error : public std::runtime_error {
public:
    explicit Error(int number) : std::runtime_error("window services error"), m_number(number) {}
    int number() const { return m_number; }

private:
    int m_number = 0;
};

} // namespace ui
