// SPDX-License-Identifier: MIT
// The extraction run on the program's main window. The stand-in library
// records its calls; CTest runs the without-library case against an empty
// search path and against a library that lacks Unlha (see CMakeLists.txt).
#include "FakePlatform.h"
#include "app/Form4.h"
#include "extract/ExtractionRun.h"
#include "extract/Form2.h"
#include "ui/DirListBox.h"
#include "ui/Picture.h"

#include <QtTest>

#include <dlfcn.h>

using namespace Qt::StringLiterals;

namespace {

// The stand-in's record of calls, cleared, with the result and the report
// Unlha gives next.
QString takeCalls(int nextResult = 0, const char *nextReport = "") {
    void *library = ::dlopen("libunlha32.so", RTLD_NOW);
    const QString calls =
        QString::fromUtf8(reinterpret_cast<const char *(*)()>(::dlsym(library, "StandinCalls"))());
    reinterpret_cast<void (*)(int, const char *)>(::dlsym(library, "StandinReset"))(nextResult,
                                                                                    nextReport);
    ::dlclose(library);
    return calls;
}

bool noticeShown() {
    return existingWindow<Form4>() && existingWindow<Form4>()->isVisible();
}

} // namespace

class RunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void commandInsertsBothPathsUnchanged_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("folder"); // under a scratch folder; empty for the root
        QTest::newRow("ordinary") << u"/home/u/DATA.LZH"_s << u"WORK"_s;
        QTest::newRow("root") << u"/home/u/DATA.LZH"_s << QString();
        QTest::newRow("blanks") << u"/home/u/my files/OLD DATA.LZH"_s << u"new folder"_s;
        QTest::newRow("quotes") << u"\"/home/u/my files/DATA.LZH\""_s << u"a \"b\""_s;
        QTest::newRow("japanese") << u"/home/u/資料/データ.LZH"_s << u"解凍先"_s;
    }

    void commandInsertsBothPathsUnchanged() {
        QFETCH(QString, archive);
        QFETCH(QString, folder);
        ScratchTree scratch;
        const QString destination = folder.isEmpty() ? u"/"_s : scratch.path(folder);
        QVERIFY(QDir().mkpath(destination));
        FakeProgram program;
        takeCalls();
        program.drop(archive, destination);
        const QString command =
            u"e "_s + archive + u' ' + (folder.isEmpty() ? u"//"_s : destination + u'/');
        QCOMPARE(takeCalls(), u"UnlhaGetVersion\nUnlha hwnd=%1 command=[%2] out=[] size=%3\n"_s
                                  .arg(program.services.window<Form2>().hWnd())
                                  .arg(command)
                                  .arg(ExtractionRun::kReportSize));
    }

    void noticeFollowsAnyResult() {
        const char *report = "ok      a.txt\nfailed  docs/b.txt: CRC mismatch\nresult 4\n";
        for (const int result : {0, 4, 7, -12345}) {
            FakeProgram program;
            takeCalls(result, report);
            program.drop(u"/home/u/DATA.LZH"_s, u"/"_s);
            QVERIFY(takeCalls().startsWith(u"UnlhaGetVersion\nUnlha "_s));
            QVERIFY(noticeShown());
            QVERIFY(!program.services.window<Form2>().isEnabled());
            QCOMPARE(program.platform.exits, 0);
            const auto &boxes = program.platform.messageBoxes;
            // The user's own cancel is no error.
            const bool failed = result != 0 && result != 7;
            QCOMPARE(boxes.size(), failed ? 1 : 0);
            if (failed) {
                QCOMPARE(boxes[0].style, 48);
                QCOMPARE(boxes[0].title, u"エラーメッセージ"_s);
                QCOMPARE(boxes[0].text,
                         ExtractionRun::failureMessage(result, QString::fromUtf8(report)));
                QVERIFY(boxes[0].text.contains(u"docs/b.txt"_s));
                // The box comes first; the notice beeps when it loads.
                QVERIFY(program.platform.log.indexOf(u"messageBox"_s) <
                        program.platform.log.indexOf(u"beep"_s));
            }
        }
    }

    void theKeyboardStartsTheSameRun() {
        FakeProgram program;
        program.platform.commandLineText = u"/home/u/START.LZH"_s;
        Form2 &form2 = program.services.window<Form2>();
        form2.Show();
        takeCalls();
        // Tab leads through the designed order, then to the floppy disk.
        QStringList order;
        QWidget *widget = &form2.Dir4();
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty())
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != &form2.Dir4());
        QCOMPARE(order, QStringList({u"Dir4"_s, u"Drive4"_s, u"Command1"_s, u"Command3"_s,
                                     u"Command2"_s, u"Image1"_s}));
        form2.Image1().setFocus();
        QTest::keyClick(&form2.Image1(), Qt::Key_Space);
        QTRY_VERIFY(noticeShown());
        QVERIFY(takeCalls().contains(u"command=[e /home/u/START.LZH "_s));
    }

    // Run only without a usable library.
    void withoutLibraryTheRunStopsWithAMessage() {
        FakeProgram program;
        for (int attempt = 1; attempt <= 2; ++attempt) {
            program.drop(u"/home/u/DATA.LZH"_s, u"/"_s);
            QCOMPARE(program.platform.messageTexts().size(), attempt);
            QCOMPARE(program.platform.messageBoxes.last().text,
                     ExtractionRun::libraryMissingMessage());
            QCOMPARE(program.platform.messageBoxes.last().style, 48);
        }
        QVERIFY(!noticeShown());
        QVERIFY(program.services.window<Form2>().isEnabled());
        QCOMPARE(program.platform.exits, 0);
    }
};

QTEST_MAIN(RunTest)
#include "run_test.moc"
