// SPDX-License-Identifier: MIT
#include "FakePlatform.h"

#include "app/StartUp.h"
#include "extract/Form2.h"
#include "ui/Application.h"
#include "ui/DirListBox.h"
#include "ui/Error.h"
#include "ui/Picture.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <cerrno>

#include <sys/stat.h>

QStringList FakePlatform::messageTexts() const {
    QStringList texts;
    for (const MessageBoxCall &call : messageBoxes)
        texts << call.text;
    return texts;
}

int FakePlatform::messageBox(const QString &text, int style, const QString &title) {
    log << QStringLiteral("messageBox");
    messageBoxes.append({text, style, title});
    if (onMessageBox)
        onMessageBox(static_cast<int>(messageBoxes.size()));
    return answers.isEmpty() ? ui::kMessageBoxCancel : answers.takeFirst();
}

int FakePlatform::createDirectory(const QString &path) {
    createdPaths << path;
    if (const auto failure = createErrors.find(path); failure != createErrors.end())
        return failure->second;
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 ? 0 : errno;
}

std::optional<std::string> FakePlatform::effectiveUserName() {
    if (userQueryError)
        throw ui::Error(*userQueryError);
    return user;
}

void FakeProgram::start(const QString &commandLine) {
    platform.commandLineText = commandLine;
    startProgram(services);
}

void FakeProgram::drop(const QString &archive, const QString &destination) {
    // Started on an archive, the main window loads without another window
    // disabling it.
    platform.commandLineText = QStringLiteral("/home/u/START.LZH");
    Form2 &form2 = services.window<Form2>();
    form2.Show();
    form2.Label1().setText(archive);
    form2.Dir4().setPath(destination);
    form2.Image2_DragDrop(&form2.Image1(), 120.0f, 45.0f);
}

ScratchTree::ScratchTree(std::initializer_list<const char *> folders) {
    for (const char *folder : folders)
        QDir(m_dir.path()).mkpath(QString::fromUtf8(folder));
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
