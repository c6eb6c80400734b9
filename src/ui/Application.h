// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <span>

namespace ui {

// The platform plugin to ask Qt for, before the application is made: the
// X11 one whenever an X display is offered (XWayland on a Wayland desktop),
// since the program places its windows itself and Wayland lets only the
// compositor do that. Empty when the user named a platform, in
// QT_QPA_PLATFORM or with -platform, or there is no X display: Qt chooses.
QByteArray requestedPlatform(const QByteArray &platformVariable, const QByteArray &display,
                             std::span<char *const> arguments);

// Names the application, gives every window the program icon and maps the
// design fonts to installed ones. Call once after creating QApplication.
void setUpApplication();

// Installs Qt's Japanese translations of its standard texts; false when they
// are not installed, and the standard texts stay English.
bool loadStandardTranslations();

} // namespace ui
