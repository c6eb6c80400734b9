// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"
#include "Window.h"

#include <QObject>

#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

namespace ui {

// The window services the program's windows rely on: the window registry,
// the screen, message boxes, beep, the end of the program, the command line
// and the program directory. One instance per run of the program.
class Services {
public:
    explicit Services(Platform &platform);
    ~Services();
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    Platform &platform() { return m_platform; }

    // Creates the window on its first reference and loads it on the first
    // operation that touches it, hidden; a window whose load procedure is
    // running is handed out as it is.
    template <class T> T &window() {
        const std::type_index kind(typeid(T));
        for (auto &[registered, instance] : m_windows) {
            if (registered == kind)
                return static_cast<T &>(load(*instance));
        }
        m_windows.emplace_back(kind, std::make_unique<T>(*this));
        return static_cast<T &>(load(*m_windows.back().second));
    }

    // The visible window, other than a dialog, that `dialog` belongs above;
    // null when none is visible.
    Window *mainWindowFor(const Window &dialog);

    float screenWidth();  // twips
    float screenHeight(); // twips

    int messageBox(const QString &text, int style, const QString &title);
    void beep();
    QString commandLine();
    QString programDirectory();
    // One directory level; throws Error with 75 for a path or access fault.
    void createDirectory(const QString &path);

    // Ends the program at once: every window disappears and no event
    // procedure runs any more.
    void endProgram();
    bool ended() const { return m_ended; }

    // Connects a signal to an event procedure, which then no longer runs once
    // the program has ended.
    template <class Sender, class Signal, class Form, class... Args>
    void connectEvent(Sender *sender, Signal signal, Form *form, void (Form::*procedure)(Args...)) {
        QObject::connect(sender, signal, form, [this, form, procedure](Args... args) {
            if (!m_ended)
                (form->*procedure)(args...);
        });
    }

private:
    Window &load(Window &window);

    Platform &m_platform;
    std::vector<std::pair<std::type_index, std::unique_ptr<Window>>> m_windows;
    bool m_ended = false;
};

// The error number for an errno of directory creation.
int errorNumberForDirectoryCreation(int error);

} // namespace ui
