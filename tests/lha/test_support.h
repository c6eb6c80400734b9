// SPDX-License-Identifier: MIT
#pragma once
// Small helpers the engine tests share.
#include "crc16.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace lha::testing {

// The CRC-16 of some bytes, as the engine tests compare it.
template <typename Bytes> uint16_t crcOf(const Bytes &bytes) {
    return lha::crc16(0, bytes.data(), bytes.size());
}

// A name made of a prefix and a number, "f12". Built by appending: GCC 12
// misreads `"f" + std::to_string(i)` at -O3 as an overlapping copy.
inline std::string numbered(const char *prefix, std::size_t number) {
    std::string name(prefix);
    name += std::to_string(number);
    return name;
}

// Sets TZ for its lifetime and puts the previous value back, also when an
// assertion ends the test early.
class TimeZone {
public:
    explicit TimeZone(const char *zone) {
        if (const char *old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (m_previous)
            setenv("TZ", m_previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone &) = delete;
    TimeZone &operator=(const TimeZone &) = delete;

private:
    std::optional<std::string> m_previous;
};

} // namespace lha::testing
