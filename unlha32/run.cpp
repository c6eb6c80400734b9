// SPDX-License-Identifier: MIT
#include "run.h"

#include "outcome.h"
#include "qt_session.h"
#include "unlha32.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

namespace unlha {

Outcome run(std::string_view command, Session &session) {
    const auto parsed = unlha::parseCommand(command);
    if (!parsed.ok() || parsed.command.verb != unlha::Verb::Extract) {
        // The error may quote the command: shown as names are.
        const auto why =
            parsed.ok() ? std::string("only e extracts") : lha::printable(parsed.error);
        session.showFailures({}, UNLHA_ERROR_COMMAND);
        return {UNLHA_ERROR_COMMAND,
                why + "\nresult 1: " + describeCode(UNLHA_ERROR_COMMAND) + '\n'};
    }
    const auto result = session.extract(parsed.command);
    const int code = resultCode(result, session.asksBeforeReplacing());
    session.showFailures(result, code);
    return {code, reportText(result, code, parsed.choice)};
}

namespace {

// The handle is 32 bits wide while a native window id may be wider (on
// Wayland it is an address), so a top-level window matches on its low bits.
QWidget *ownerWindow(uint32_t hwnd) {
    if (QWidget *widget = QWidget::find(static_cast<WId>(hwnd)))
        return widget->window();
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->internalWinId() != 0 && static_cast<uint32_t>(widget->internalWinId()) == hwnd)
            return widget;
    return nullptr;
}

} // namespace

std::unique_ptr<Session> sessionFor(uint32_t hwnd) {
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (hwnd != 0 && app != nullptr && QThread::currentThread() == app->thread()) {
        if (QWidget *owner = ownerWindow(hwnd))
            return std::make_unique<QtSession>(owner);
    }
    return std::make_unique<SilentSession>();
}

} // namespace unlha
