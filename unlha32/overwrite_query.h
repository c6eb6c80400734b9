// SPDX-License-Identifier: MIT
#pragma once
// The question "replace this file?" passed from the engine's worker thread to
// the user-interface thread: the worker waits on it until the answer is set.
#include "lha/lha.h"

#include <condition_variable>
#include <mutex>
#include <optional>

namespace unlha {

class OverwriteQuery {
public:
    void answer(lha::OverwriteDecision decision);
    lha::OverwriteDecision wait();

private:
    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::optional<lha::OverwriteDecision> m_decision;
};

} // namespace unlha
