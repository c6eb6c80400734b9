// SPDX-License-Identifier: MIT
#include "overwrite_query.h"

namespace unlha {

void OverwriteQuery::answer(lha::OverwriteDecision decision) {
    {
        std::lock_guard lock(m_mutex);
        m_decision = decision;
    }
    m_answered.notify_all();
}

lha::OverwriteDecision OverwriteQuery::wait() {
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [this] { return m_decision.has_value(); });
    return *m_decision;
}

} // namespace unlha
