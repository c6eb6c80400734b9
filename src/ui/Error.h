#pragma once

#include <stdexcept>

namespace ui {

// Error numbers the program's local handlers tell apart; every other failure
// carries some other number.
inline constexpr int ErrDeviceUnavailable = 68;
inline constexpr int ErrPathFileAccess = 75;
inline constexpr int ErrPathNotFound = 76;
inline constexpr int ErrDeviceIo = 57;
inline constexpr int ErrDiskFull = 61;

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
