#pragma once

#include "ui/Platform.h"
#include "ui/Services.h"

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <map>

// The platform as tests control it: a screen of any size, scripted message
// box answers, a drive table with a ready flag per drive, and an end of the
// program that is recorded instead of leaving the process.
class FakePlatform : public ui::Platform {
public:
    struct FakeDrive {
        QString root;
        QString label;
        bool ready = true;
    };
    struct MessageBoxCall {
        QString text;
        int style = 0;
        QString title;
    };

    QSize screen{1280, 1024};
    QString commandLineText;
    QString programDir = QStringLiteral("/");
    QString currentDir = QStringLiteral("/");
    QList<FakeDrive> driveTable{{QStringLiteral("/"), QString(), true}};
    // Answers given in turn; Cancel once they run out. The hook runs before
    // each answer, with the box's number counted from 1.
    std::deque<int> answers;
    std::function<void(int)> onMessageBox;
    // Directory creation: an errno to fail with per path; other paths are
    // created on disk unless recordOnly is set.
    std::map<QString, int> createErrors;
    bool recordOnly = false;
    std::optional<std::string> kernel = std::string("#1 SMP PREEMPT_DYNAMIC");
    std::optional<std::string> user = std::string("tester");

    QList<MessageBoxCall> messageBoxes;
    QStringList createdPaths;
    // Every effect in order: "beep", "screen", "messageBox", "exit", "uname", "user".
    QStringList log;
    int exits = 0;
    int beeps = 0;

    void setReady(const QString &root, bool ready);

    QSize screenSize() override;
    int messageBox(const QString &text, int style, const QString &title) override;
    void beep() override;
    void exitProcess() override;
    QString commandLine() override { return commandLineText; }
    QString programDirectory() override { return programDir; }
    QString currentDirectory() override { return currentDir; }
    QList<ui::Drive> drives() override;
    bool isDriveReady(const QString &root) override;
    int createDirectory(const QString &path) override;
    std::optional<std::string> kernelVersion() override;
    std::optional<std::string> effectiveUserName() override;
};

// A run of the program on the fake platform; the windows go with it.
struct FakeProgram {
    FakePlatform platform;
    ui::Services services{platform};
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
