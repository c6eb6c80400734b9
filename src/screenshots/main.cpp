// SPDX-License-Identifier: MIT
// Renders every window of the program to a PNG file, as it looks when the
// user first sees it, on whatever platform plugin Qt runs on (offscreen in
// the build's screenshots target).

#include "app/Form10.h"
#include "app/Form3.h"
#include "app/Form4.h"
#include "app/title1.h"
#include "extract/Form1.h"
#include "extract/Form2.h"
#include "info/Form5.h"
#include "overwrite_question.h"
#include "progress_window.h"
#include "ui/Application.h"
#include "ui/QtPlatform.h"
#include "ui/Services.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// The real platform with a sample archive on the command line and a program
// that never ends, so that every window can be loaded and drawn.
class ScreenshotPlatform : public ui::QtPlatform {
public:
    QString commandLine() override {
        return u"/home/user/ダウンロード/古い資料/アーカイブ/見本 アーカイブ.lzh"_s;
    }
    int messageBox(const QString &, int, const QString &) override { return ui::kMessageBoxCancel; }
    void beep() override {}
    void exitProcess() override {}
};

bool save(QWidget &window, const QDir &folder, const QString &name) {
    window.setEnabled(true);
    window.show();
    QApplication::processEvents();
    const QString file = folder.filePath(name + u".png"_s);
    const bool saved = window.grab().save(file);
    QTextStream(stdout) << (saved ? u"wrote "_s : u"FAILED "_s) << file << Qt::endl;
    return saved;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    ui::setUpApplication();
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s);
    if (!QDir().mkpath(folder.path()))
        return 1;

    ScreenshotPlatform platform;
    ui::Services services(platform);
    bool ok = true;
    ok &= save(services.window<title1>(), folder, u"title1"_s);
    ok &= save(services.window<Form2>(), folder, u"Form2"_s);
    Form1 &form1 = services.window<Form1>();
    form1.Text1().setText(u"新しいフォルダ"_s);
    ok &= save(form1, folder, u"Form1"_s);
    ok &= save(services.window<Form3>(), folder, u"Form3"_s);
    ok &= save(services.window<Form4>(), folder, u"Form4"_s);
    ok &= save(services.window<Form5>(), folder, u"Form5"_s);
    ok &= save(services.window<Form10>(), folder, u"Form10"_s);

    // The archive library's windows over the main window.
    unlha::ProgressWindow progress(&services.window<Form2>(), u"見本 アーカイブ.lzh"_s);
    progress.show();
    progress.showProgress(u"資料/とても長い名前のフォルダ/その中の説明書テキスト.txt"_s, 40, 100);
    ok &= save(progress, folder, u"progress"_s);
    const unlha::FileFacts existing{2048, QDateTime(QDate(2024, 5, 1), QTime(12, 0))};
    const unlha::FileFacts member{4096, QDateTime(QDate(1998, 3, 14), QTime(9, 30))};
    unlha::OverwriteQuestion question(&progress, u"資料/説明.txt"_s, existing, member);
    ok &= save(question, folder, u"overwrite"_s);
    question.reject();
    progress.finish();
    return ok ? 0 : 1;
}
