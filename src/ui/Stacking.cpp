// SPDX-License-Identifier: MIT
#include "Stacking.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace ui {

void keepAbove(QWidget &dialog, QWidget &owner) {
    // Both need their native windows for the hint.
    dialog.winId();
    owner.winId();
    dialog.windowHandle()->setTransientParent(owner.windowHandle());
}

void raiseDialogsAbove(QWidget &owner) {
    const QWindow *ownerWindow = owner.windowHandle();
    if (!ownerWindow)
        return;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget == &owner || !widget->isVisible() || !widget->windowHandle())
            continue;
        if (widget->windowHandle()->transientParent() == ownerWindow) {
            widget->raise();
            widget->activateWindow();
        }
    }
}

QWidget *messageBoxOwner() {
    if (QWidget *active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    QWidget *anyVisible = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || !widget->isWindow())
            continue;
        if (widget->isEnabled())
            return widget;
        if (!anyVisible)
            anyVisible = widget;
    }
    return anyVisible;
}

} // namespace ui
