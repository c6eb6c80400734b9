#pragma once
// The main window on a recording platform, for driving the extraction run
// as a drop on Image2 would.
#include "extract/Form2.h"
#include "ui/QtPlatform.h"
#include "ui/Services.h"

#include <QString>

#include <vector>

struct MessageBoxCall {
    QString text;
    int style = 0;
    QString title;
    bool noticeAlreadyShown = false;
};

// Real windows; the outside world recorded: message boxes are answered with
// OK, the end of the program is noted instead of done, and the only drive is
// the root, with the root as current directory.
class RecordingPlatform : public ui::QtPlatform {
public:
    int messageBox(const QString &text, int style, const QString &title) override;
    void beep() override { ++beeps; }
    void exitProcess() override { exited = true; }
    QString commandLine() override { return QStringLiteral("/archives/START.LZH"); }
    QString programDirectory() override { return QStringLiteral("/"); }
    QString currentDirectory() override { return QStringLiteral("/"); }
    QList<ui::Drive> drives() override { return {ui::Drive{QStringLiteral("/"), {}}}; }
    bool isDriveReady(const QString &) override { return true; }

    std::vector<MessageBoxCall> boxes;
    int beeps = 0;
    bool exited = false;
};

class RunFixture {
public:
    RunFixture();
    Form2 &form2() { return m_form2; }
    RecordingPlatform &platform() { return m_platform; }

    // Sets the archive path and opens the destination in Dir4, then drops
    // Image1 on Image2.
    void drop(const QString &archive, const QString &destination);
    // Whether the finished notice is on screen; never loads it.
    static bool noticeShown();

private:
    RecordingPlatform m_platform;
    ui::Services m_services{m_platform};
    Form2 &m_form2;
};
