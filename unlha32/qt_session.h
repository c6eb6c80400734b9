// SPDX-License-Identifier: MIT
#pragma once
// Extraction with windows over an owner: the engine runs on a worker thread
// while a local event loop keeps every window painting; the call returns when
// the work is done.
#include "session.h"

class QWidget;

namespace unlha32 {

class QtSession : public Session {
public:
    explicit QtSession(QWidget *owner, Engine engine = defaultEngine());
    lha::Result extract(const lha::Command &command) override;
    bool asksBeforeReplacing() const override { return true; }

private:
    QWidget *m_owner = nullptr;
    Engine m_engine;
};

} // namespace unlha32
