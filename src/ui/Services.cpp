// SPDX-License-Identifier: MIT
#include "Services.h"

#include "Error.h"
#include "Twips.h"

#include <cerrno>

namespace ui {

Services::Services(Platform &platform) : m_platform(platform) {}

Services::~Services() = default;

Window &Services::load(Window &window) {
    // Once the program has ended, no load procedure runs any more either.
    if (window.m_loadState == Window::LoadState::NotLoaded && !m_ended) {
        window.m_loadState = Window::LoadState::Loading;
        window.Form_Load();
        window.m_loadState = Window::LoadState::Loaded;
    }
    return window;
}

Window *Services::mainWindowFor(const Window &dialog) {
    for (auto &entry : m_windows) {
        Window &window = *entry.second;
        if (&window != &dialog && !window.isDialog() && window.isVisible())
            return &window;
    }
    return nullptr;
}

float Services::screenWidth() {
    return toTwips(m_platform.screenSize().width());
}
float Services::screenHeight() {
    return toTwips(m_platform.screenSize().height());
}

int Services::messageBox(const QString &text, int style, const QString &title) {
    return m_platform.messageBox(text, style, title);
}

void Services::beep() {
    m_platform.beep();
}
QString Services::commandLine() {
    return m_platform.commandLine();
}
QString Services::programDirectory() {
    return m_platform.programDirectory();
}

void Services::createDirectory(const QString &path) {
    if (const int error = m_platform.createDirectory(path))
        throw Error(errorNumberForDirectoryCreation(error));
}

void Services::endProgram() {
    m_ended = true;
    for (auto &entry : m_windows)
        entry.second->hide();
    m_platform.exitProcess();
}

int errorNumberForDirectoryCreation(int error) {
    switch (error) {
    case EEXIST:
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case EROFS:
    case EINVAL:
    case ENAMETOOLONG:
        return kErrPathFileAccess;
    case ENOSPC:
    case EDQUOT:
        return kErrDiskFull;
    default:
        return kErrDeviceIo;
    }
}

} // namespace ui
