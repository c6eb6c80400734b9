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

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QtTest>

#include <dlfcn.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// What Unlha does, in the stand-in, before it returns.
std::function<void()> g_whileRunning;

void whileRunning() {
    if (g_whileRunning)
        g_whileRunning();
}

// The stand-in's record of calls, cleared, with the result and the report
// Unlha gives next.
QString takeCalls(int nextResult = 0, const char *nextReport = "") {
    void *library = ::dlopen("libunlha32.so", RTLD_NOW);
    const QString calls =
        QString::fromUtf8(reinterpret_cast<const char *(*)()>(::dlsym(library, "StandinCalls"))());
    reinterpret_cast<void (*)(int, const char *, void (*)())>(::dlsym(library, "StandinReset"))(
        nextResult, nextReport, &whileRunning);
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
        // An empty output buffer and the size 0: the library's report is not
        // the program's affair.
        QCOMPARE(takeCalls(),
                 u"UnlhaGetVersion\nUnlha hwnd=%1 command=[%2] out=[] size=0\nUnlha returns\n"_s
                     .arg(program.services.window<Form2>().hWnd())
                     .arg(command));
    }

    void noticeFollowsAnyResult() {
        // What the library would report, were it asked: the program does not
        // ask and says nothing of its own.
        const char *report = "ok      a.txt\nfailed  docs/b.txt: CRC mismatch\nresult 4\n";
        for (const int result : {0, 4, 7, -12345}) {
            FakeProgram program;
            takeCalls(result, report);
            program.drop(u"/home/u/DATA.LZH"_s, u"/"_s);
            QVERIFY(takeCalls().startsWith(u"UnlhaGetVersion\nUnlha "_s));
            QVERIFY(noticeShown());
            QVERIFY(!program.services.window<Form2>().isEnabled());
            QCOMPARE(program.platform.exits, 0);
            QCOMPARE(program.platform.messageBoxes.size(), 0);
        }
    }

    // Every way of starting the run, repeated before, during and after it:
    // the library is called once, never inside its own call.
    void theRunHappensOncePerStart_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("space, space, enter") << u"keys"_s;
        QTest::newRow("auto-repeat") << u"repeat"_s;
        QTest::newRow("presses queued together") << u"queued"_s;
        QTest::newRow("drag") << u"drag"_s;
    }

    void theRunHappensOncePerStart() {
        QFETCH(QString, how);
        FakeProgram program;
        program.platform.commandLineText = u"/home/u/START.LZH"_s;
        Form2 &form2 = program.services.window<Form2>();
        form2.Show();
        form2.Image1().setFocus();
        const auto press = [&form2](Qt::Key key, bool autoRepeat) {
            QCoreApplication::postEvent(
                &form2.Image1(),
                new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat));
        };
        const auto drop = [&form2] {
            QMimeData payload;
            payload.setData(ui::Picture::mimeType(), "Image1");
            QDragEnterEvent enter(QPoint(10, 10), Qt::MoveAction, &payload, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&form2.Image2(), &enter);
            QDropEvent dropped(QPointF(10, 10), Qt::MoveAction, &payload, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&form2.Image2(), &dropped);
        };
        const auto start = [&] {
            if (how == u"keys"_s) {
                for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Space, Qt::Key_Return}) {
                    press(key, false);
                    QCoreApplication::processEvents();
                }
            } else if (how == u"repeat"_s) {
                press(Qt::Key_Space, false);
                for (int i = 0; i < 4; ++i)
                    press(Qt::Key_Space, true);
            } else if (how == u"queued"_s) {
                press(Qt::Key_Return, false);
                press(Qt::Key_Enter, false);
            } else {
                drop();
                drop();
            }
        };
        takeCalls();
        int calls = 0;
        const auto stopPressing = qScopeGuard([] { g_whileRunning = nullptr; });
        g_whileRunning = [&] {
            // Presses and drops while the library works, served by its loop.
            if (++calls > 1)
                return;
            start();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        };
        start();
        QTRY_VERIFY(noticeShown());
        // And after the run.
        start();
        QCoreApplication::processEvents();
        form2.Image2_DragDrop(&form2.Image1(), 0, 0);
        const QString record = takeCalls();
        QCOMPARE(record.count(u"Unlha hwnd="_s), 1);
        QVERIFY2(record.endsWith(u"Unlha returns\n"_s), qPrintable(record));
        QCOMPARE(calls, 1);
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
