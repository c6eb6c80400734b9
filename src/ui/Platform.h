// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <optional>
#include <string>

namespace ui {

// A mounted file system as the drive list shows it.
struct Drive {
    QString root;  // mount root, which is also the drive designation
    QString label; // volume label, may be empty
};

inline constexpr int kMessageBoxOk = 1;
inline constexpr int kMessageBoxCancel = 2;
inline constexpr int kStyleExclamationOk = 48;
inline constexpr int kStyleExclamationOkCancel = 49;

// Every effect of the outside world that the windows rely on. The program runs
// on QtPlatform; tests put a double in its place to control screen, answers,
// drives and the end of the program.
class Platform {
public:
    virtual ~Platform() = default;

    virtual QSize screenSize() = 0; // in device-independent pixels
    // Shows a message box and waits; returns kMessageBoxOk or kMessageBoxCancel.
    virtual int messageBox(const QString &text, int style, const QString &title) = 0;
    virtual void beep() = 0;
    // Leaves the process with status 0 and does not come back in production.
    virtual void exitProcess() = 0;

    virtual QString commandLine() = 0;
    virtual QString programDirectory() = 0;
    virtual QString currentDirectory() = 0;

    virtual QList<Drive> drives() = 0;
    // False when the drive's root cannot be listed (no medium, I/O error,
    // stale network mount, no permission).
    virtual bool isDriveReady(const QString &root) = 0;
    // Creates one directory level; returns 0 or the errno of the failure.
    virtual int createDirectory(const QString &path) = 0;

    // The version field of uname(), empty when the call fails.
    virtual std::optional<std::string> kernelVersion() = 0;
    // The effective user's login name, empty when it cannot be found.
    virtual std::optional<std::string> effectiveUserName() = 0;
};

} // namespace ui
