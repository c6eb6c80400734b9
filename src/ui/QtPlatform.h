// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"

namespace ui {

// The platform of the running program: Qt for screen, dialogs and mounts,
// POSIX for directories and the system queries.
class QtPlatform : public Platform {
public:
    QSize screenSize() override;
    int messageBox(const QString &text, int style, const QString &title) override;
    void beep() override;
    void exitProcess() override;

    QString commandLine() override;
    QString programDirectory() override;
    QString currentDirectory() override;

    QList<Drive> drives() override;
    bool isDriveReady(const QString &root) override;
    int createDirectory(const QString &path) override;

    std::optional<std::string> kernelVersion() override;
    std::optional<std::string> effectiveUserName() override;
};

} // namespace ui
