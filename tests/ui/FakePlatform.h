// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Platform.h"
#include "ui/Services.h"

#include <QApplication>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <map>

// The platform as tests control it: a screen of any size, scripted message
// box answers, a drive table with drives that are not ready, and an end of
// the program that is recorded instead of leaving the process.
class FakePlatform : public ui::Platform {
public:
    struct MessageBoxCall {
        QString text;
        int style = 0;
        QString title;
    };

    QSize screen{1280, 1024};
    QString commandLineText;
    QString programDir = QStringLiteral("/");
    QString currentDir = QStringLiteral("/");
    QList<ui::Drive> driveTable{{QStringLiteral("/"), QString()}};
    QSet<QString> notReady; // drive roots
    // Answers given in turn; Cancel once they run out. The hook runs before
    // each answer, with the box's number counted from 1.
    QList<int> answers;
    std::function<void(int)> onMessageBox;
    // An errno to fail directory creation with, per path; other paths are
    // created on disk.
    std::map<QString, int> createErrors;
    std::optional<std::string> kernel = std::string("#1 SMP PREEMPT_DYNAMIC");
    std::optional<std::string> user = std::string("tester");
    // When set, asking for the user name raises this error number instead.
    std::optional<int> userQueryError;

    QList<MessageBoxCall> messageBoxes;
    QStringList createdPaths;
    // Every effect in order: "beep", "screen", "messageBox", "exit".
    QStringList log;
    int exits = 0;

    QStringList messageTexts() const;

    QSize screenSize() override {
        log << QStringLiteral("screen");
        return screen;
    }
    int messageBox(const QString &text, int style, const QString &title) override;
    void beep() override { log << QStringLiteral("beep"); }
    void exitProcess() override {
        log << QStringLiteral("exit");
        ++exits;
    }
    QString commandLine() override { return commandLineText; }
    QString programDirectory() override { return programDir; }
    QString currentDirectory() override { return currentDir; }
    QList<ui::Drive> drives() override { return driveTable; }
    bool isDriveReady(const QString &root) override { return !notReady.contains(root); }
    int createDirectory(const QString &path) override;
    std::optional<std::string> kernelVersion() override { return kernel; }
    std::optional<std::string> effectiveUserName() override;
};

// A run of the program on the fake platform; the windows go with it.
struct FakeProgram {
    FakePlatform platform;
    ui::Services services{platform};

    // Starts the program as if given commandLine.
    void start(const QString &commandLine);
    // Drops Image1 on Image2 of a shown main window, with the archive path
    // and the destination set.
    void drop(const QString &archive, const QString &destination);
};

// Real folders under a fresh temporary folder, made on construction.
class ScratchTree {
public:
    explicit ScratchTree(std::initializer_list<const char *> folders = {});
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
};

// The program's windows that are visible, by class name.
QStringList visibleWindows();

// The instance of a window kind if the registry created one.
template <class T> T *existingWindow() {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<T *>(widget))
            return window;
    }
    return nullptr;
}

// Sets up fonts and names as the program does; call from initTestCase().
void setUpTestApplication();
