// SPDX-License-Identifier: MIT
#pragma once
// Extraction with windows over an owner: the engine runs on a worker thread
// while a local event loop keeps every window painting; the call returns when
// the work is done, after a report window when something failed.
//
// What may happen while the call runs, since it runs inside the caller's
// user-interface thread:
// - The engine's callbacks run on the worker and never touch a widget. A
//   progress report is only kept: a timer of the user-interface thread shows
//   the latest one ten times a second, so the worker posts nothing for it
//   and the request that ends the local loop never waits behind a backlog.
//   An overwrite question is posted, and the worker waits for its answer.
// - The local loop delivers every event of the application, the caller's own
//   windows' included: the owner stays usable only as far as the caller
//   disabled it. The progress window is modal to the owner, which keeps
//   input to it out; timers and queued calls of the caller still run.
// - The session lives on the caller's stack until the worker has ended and
//   the loop has returned, so nothing the worker posts outlives it.
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
