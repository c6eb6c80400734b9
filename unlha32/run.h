// SPDX-License-Identifier: MIT
#pragma once
// One call of Unlha: read the command, pick how to meet the caller, extract,
// and report.
#include "session.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace unlha {

struct Outcome {
    int code = 0;
    std::string report;
};

Outcome run(std::string_view command, Session &session);

// The session for an owner window: windows over it when hwnd names a widget
// of the running Qt application and we are on its user-interface thread,
// silent otherwise.
std::unique_ptr<Session> sessionFor(uint32_t hwnd);

} // namespace unlha
