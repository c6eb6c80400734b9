// SPDX-License-Identifier: MIT
// The main window as a user meets it beyond the mouse: drives that come and
// go while it is open, long archive paths, and the captions as designed.
#include "FakePlatform.h"

#include "app/Form10.h"
#include "app/Form3.h"
#include "app/Form4.h"
#include "extract/Form1.h"
#include "extract/Form2.h"
#include "info/Form5.h"
#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/PathLabel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString NotReady =
    u"ドライブの準備ができていません"_s + QChar(13) + u"再読み込みしますか？"_s;

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void aDriveUnmountedWhileListedIsNotReady() {
        ScratchTree tree{"cwd", "usb/docs"};
        FakeProgram program;
        program.platform.currentDir = tree.path(u"cwd"_s);
        program.platform.driveTable = {{u"/"_s, QString()}, {tree.path(u"usb"_s), u"STICK"_s}};
        program.start(u"/home/u/DATA.LZH"_s);
        Form2 &form2 = program.services.window<Form2>();
        ui::DriveListBox &drives = form2.Drive4();
        const int usb = drives.findData(tree.path(u"usb"_s));
        QVERIFY(usb >= 0);
        // Pulled out while the list still shows it; its mount point stays.
        program.platform.driveTable.removeLast();
        program.platform.answers = {ui::kMessageBoxOk, ui::kMessageBoxCancel};
        program.platform.onMessageBox = [&](int box) {
            if (box == 2) // the retry found it still away; it comes back later
                program.platform.driveTable.append({tree.path(u"usb"_s), u"STICK"_s});
        };
        drives.setCurrentIndex(usb);
        QCOMPARE(program.platform.messageTexts(), QStringList({NotReady, NotReady}));
        QCOMPARE(form2.Dir4().path(), tree.path(u"cwd"_s));
        QCOMPARE(drives.drive(), u"/"_s);

        // Now mounted again, it is chosen without a question.
        drives.showPopup();
        drives.hidePopup();
        drives.setCurrentIndex(drives.findData(tree.path(u"usb"_s)));
        QCOMPARE(program.platform.messageBoxes.size(), 2);
        QCOMPARE(form2.Dir4().path(), tree.path(u"usb"_s));
    }

    void longArchivePathKeepsItsFileNameInView() {
        FakeProgram program;
        const QString archive =
            u"/home/user/ダウンロード/とても深い/フォルダの中の/資料/見本 アーカイブ.lzh"_s;
        program.start(archive);
        auto *label = qobject_cast<ui::PathLabel *>(&program.services.window<Form2>().Label1());
        QVERIFY(label);
        QCOMPARE(label->text(), archive); // the run reads the whole path
        QVERIFY(label->shownText() != archive);
        QVERIFY(label->shownText().endsWith(u"見本 アーカイブ.lzh"_s));
    }

    void captionsAreExactlyAsDesigned() {
        FakeProgram program;
        program.start(u"/home/u/DATA.LZH"_s);
        const QString hk = u"Ｈ．Ｋ"_s;
        const std::pair<ui::Window *, QString> windows[] = {
            {&program.services.window<Form2>(), hk},
            {&program.services.window<Form1>(), hk},
            {&program.services.window<Form3>(), hk},
            {&program.services.window<Form4>(), hk},
            {&program.services.window<Form10>(), hk},
            {&program.services.window<Form5>(), u"バージョン情報"_s},
        };
        for (const auto &[window, caption] : windows) {
            window->Show();
            QCOMPARE(window->windowTitle(), caption);
            QCOMPARE(window->windowHandle()->title(), caption);
        }
        // A display name would be appended to every caption by the window
        // system; the program sets none.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(QCoreApplication::applicationVersion(), u"1.00.0001"_s);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
