#include "FakePlatform.h"

#include "ui/Application.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <sys/stat.h>

void FakePlatform::setReady(const QString &root, bool ready) {
    for (FakeDrive &drive : driveTable) {
        if (drive.root == root)
            drive.ready = ready;
    }
}

QSize FakePlatform::screenSize() {
    log << QStringLiteral("screen");
    return screen;
}

int FakePlatform::messageBox(const QString &text, int style, const QString &title) {
    log << QStringLiteral("messageBox");
    messageBoxes.append({text, style, title});
    if (onMessageBox)
        onMessageBox(static_cast<int>(messageBoxes.size()));
    if (answers.empty())
        return ui::MessageBoxCancel;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakePlatform::beep() {
    log << QStringLiteral("beep");
    ++beeps;
}

void FakePlatform::exitProcess() {
    log << QStringLiteral("exit");
    ++exits;
}

QList<ui::Drive> FakePlatform::drives() {
    QList<ui::Drive> result;
    for (const FakeDrive &drive : driveTable)
        result.append({drive.root, drive.label});
    return result;
}

bool FakePlatform::isDriveReady(const QString &root) {
    for (const FakeDrive &drive : driveTable) {
        if (QDir::cleanPath(drive.root) == QDir::cleanPath(root))
            return drive.ready;
    }
    return false;
}

int FakePlatform::createDirectory(const QString &path) {
    createdPaths << path;
    if (const auto failure = createErrors.find(path); failure != createErrors.end())
        return failure->second;
    if (recordOnly)
        return 0;
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 ? 0 : errno;
}

std::optional<std::string> FakePlatform::kernelVersion() {
    log << QStringLiteral("uname");
    return kernel;
}

std::optional<std::string> FakePlatform::effectiveUserName() {
    log << QStringLiteral("user");
    return user;
}

QStringList visibleWindows() {
    QStringList names;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            names << QString::fromLatin1(widget->metaObject()->className());
    }
    names.sort();
    return names;
}

void setUpTestApplication() {
    ui::setUpApplication();
}
