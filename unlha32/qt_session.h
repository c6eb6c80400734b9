// SPDX-License-Identifier: MIT
#pragma once
// Extraction with windows over an owner: the engine runs on a worker thread
// while a local event loop keeps every window painting; the call returns when
// the work is done, after a report window when something failed.
#include "session.h"

#include <QString>

class QWidget;

namespace unlha {

class QtSession : public Session {
public:
    explicit QtSession(QWidget *owner, Engine engine = defaultEngine());
    lha::Result extract(const unlha::Command &command) override;
    bool asksBeforeReplacing() const override { return true; }
    // Nothing after a clean run or the user's own cancel.
    void showFailures(const lha::Result &result, int code) override;

private:
    QWidget *m_owner = nullptr;
    QString m_archiveName;
    Engine m_engine;
};

} // namespace unlha
