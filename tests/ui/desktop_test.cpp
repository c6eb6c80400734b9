// SPDX-License-Identifier: MIT
// The windows under a real window manager (Openbox on Xvfb, started by
// with-openbox.sh): what the window manager is told and does with it. The
// decorations it offers, the captions it shows, dialogs kept above their main
// window, and the overwrite question centred on the progress window.
#include "FakePlatform.h"

#include "app/Form3.h"
#include "app/Form4.h"
#include "extract/Form1.h"
#include "extract/Form2.h"
#include "info/Form5.h"
#include "overwrite_question.h"
#include "progress_window.h"
#include "qt_session.h"
#include "run.h"
#include "ui/CommandButton.h"

#include <QProcess>

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Bits of the Motif window-manager hints a window sets for its frame.
constexpr uint kMotifMinimiseFunction = 0x08;
constexpr uint kMotifMaximiseFunction = 0x10;
constexpr uint kMotifCloseFunction = 0x20;
constexpr uint kMotifTitleDecoration = 0x08;
constexpr uint kMotifMinimiseDecoration = 0x20;
constexpr uint kMotifMaximiseDecoration = 0x40;

QString run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString windowProperty(WId window, const QString &name) {
    return run(u"xprop"_s, {u"-id"_s, QString::number(window), name});
}

// Client windows from the bottom of the stack to the top.
QList<WId> stacking() {
    const QString text = run(u"xprop"_s, {u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s});
    QList<WId> windows;
    const QRegularExpression id(u"0x[0-9a-f]+"_s);
    for (const auto &match : id.globalMatch(text))
        windows << match.captured().toULongLong(nullptr, 16);
    return windows;
}

bool isAbove(QWidget &upper, QWidget &lower) {
    const QList<WId> order = stacking();
    return order.indexOf(upper.winId()) > order.indexOf(lower.winId()) &&
           order.indexOf(lower.winId()) >= 0;
}

// A click on the title bar of the window's frame, as a user brings a window
// forward; without xdotool the window asks to be raised itself.
void clickTitleBar(QWidget &window) {
    const QRect frame = window.frameGeometry();
    const int titleMiddle = frame.top() + (window.geometry().top() - frame.top()) / 2;
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty()) {
        window.windowHandle()->raise();
        window.windowHandle()->requestActivate();
        return;
    }
    run(u"xdotool"_s, {u"mousemove"_s, QString::number(frame.left() + 60),
                       QString::number(titleMiddle), u"click"_s, u"1"_s});
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        setUpTestApplication();
    }

    void fixedWindowsOfferOnlyTheCloseButtonAndKeepTheirCaptions() {
        FakeProgram program;
        program.start(QString()); // the instructions window
        const std::pair<ui::Window *, QString> windows[] = {
            {&program.services.window<Form5>(), u"バージョン情報"_s},
            {&program.services.window<Form3>(), u"Ｈ．Ｋ"_s},
            {&program.services.window<Form2>(), u"Ｈ．Ｋ"_s},
        };
        for (const auto &[window, caption] : windows) {
            window->Show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QString actions;
            QTRY_VERIFY((actions = windowProperty(window->winId(), u"_NET_WM_ALLOWED_ACTIONS"_s))
                            .contains(u"_NET_WM_ACTION_CLOSE"_s));
            // Openbox draws its minimise button whatever a window asks for;
            // maximising and resizing it refuses to fixed windows.
            for (const char *refused : {"_NET_WM_ACTION_MAXIMIZE_HORZ",
                                        "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
                QVERIFY2(!actions.contains(QLatin1StringView(refused)),
                         qPrintable(caption + u": "_s + actions));
            // What the window asks for: a title and a close button, neither a
            // minimise nor a maximise button nor those functions.
            const QStringList motif =
                windowProperty(window->winId(), u"_MOTIF_WM_HINTS"_s).section(u'=', 1).split(u',');
            QCOMPARE(motif.size(), 5);
            const uint functions = motif[1].trimmed().toUInt(nullptr, 16);
            const uint decorations = motif[2].trimmed().toUInt(nullptr, 16);
            QVERIFY(functions & kMotifCloseFunction);
            QCOMPARE(functions & (kMotifMinimiseFunction | kMotifMaximiseFunction), 0u);
            QVERIFY(decorations & kMotifTitleDecoration);
            QCOMPARE(decorations & (kMotifMinimiseDecoration | kMotifMaximiseDecoration), 0u);
            QCOMPARE(windowProperty(window->winId(), u"_NET_WM_NAME"_s).trimmed(),
                     u"_NET_WM_NAME(UTF8_STRING) = \"%1\""_s.arg(caption));
        }
    }

    // Centred at loading, before the window manager framed them: centred by
    // their frames once it has.
    void windowsAreCentredByTheirFrames() {
        FakeProgram program;
        program.start(QString()); // the instructions window
        Form3 &form3 = program.services.window<Form3>();
        QVERIFY(QTest::qWaitForWindowExposed(&form3));
        const QPoint screenCentre(program.platform.screen.width() / 2,
                                  program.platform.screen.height() / 2);
        QPoint offset;
        QTRY_VERIFY2((offset = form3.frameGeometry().center() - screenCentre).manhattanLength() <=
                         2,
                     qPrintable(u"off by %1,%2"_s.arg(offset.x()).arg(offset.y())));
        QVERIFY(form3.frameGeometry().size() != form3.size());
    }

    void dialogsStayAboveTheirDisabledMainWindow() {
        FakeProgram program;
        program.platform.commandLineText = u"/home/u/DATA.LZH"_s;
        Form2 &form2 = program.services.window<Form2>();
        form2.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form2));
        const std::function<ui::Window &()> dialogs[] = {
            [&]() -> ui::Window & { return program.services.window<Form1>(); },
            [&]() -> ui::Window & { return program.services.window<Form5>(); },
        };
        for (const auto &open : dialogs) {
            ui::Window *dialog = &open();
            dialog->Show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QVERIFY(!form2.isEnabled());
            QVERIFY(windowProperty(dialog->winId(), u"WM_TRANSIENT_FOR"_s)
                        .contains(u"0x%1"_s.arg(form2.winId(), 0, 16)));
            clickTitleBar(form2);
            QTest::qWait(300);
            QTRY_VERIFY2(isAbove(*dialog, form2), dialog->metaObject()->className());
            QVERIFY(dialog->isVisible());
            dialog->hide();
            form2.setEnabled(true);
        }
    }

    void overwriteQuestionOpensCentredOnTheProgressWindow() {
        QWidget owner;
        owner.setGeometry(60, 80, 700, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        const unlha::FileFacts facts{1234, QDateTime::currentDateTime()};
        for (int attempt = 0; attempt < 10; ++attempt) {
            unlha::ProgressWindow progress(&owner, u"見本.lzh"_s);
            progress.show();
            QVERIFY(QTest::qWaitForWindowExposed(&progress));
            unlha::OverwriteQuestion question(&progress, u"docs/a.txt"_s, facts, facts);
            question.show();
            QVERIFY(QTest::qWaitForWindowExposed(&question));
            QTest::qWait(100);
            // Client areas on each other, whenever the frames become known.
            const QPoint offset = question.geometry().center() - progress.geometry().center();
            QVERIFY2(
                offset.manhattanLength() <= 2,
                qPrintable(
                    u"attempt %1: off by %2,%3"_s.arg(attempt).arg(offset.x()).arg(offset.y())));
            // The answers read from left to right in their fixed order.
            QStringList order;
            QList<QPushButton *> buttons = question.findChildren<QPushButton *>();
            std::sort(buttons.begin(), buttons.end(), [](QPushButton *a, QPushButton *b) {
                return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
            });
            for (QPushButton *button : buttons)
                order << button->text();
            QCOMPARE(order, QStringList({u"上書き"_s, u"すべて上書き"_s, u"スキップ"_s,
                                         u"すべてスキップ"_s, u"キャンセル"_s}));
            question.reject();
            progress.finish();
        }
    }

    // In one extraction every question opens at the same spot, centred on
    // the progress window, with the keyboard focus on スキップ: Enter typed on
    // the X server answers it.
    void everyOverwriteQuestionOpensAtTheSameSpotWithTheFocus() {
        if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
            QSKIP("xdotool is not installed");
        QWidget owner;
        owner.setGeometry(60, 80, 700, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QTemporaryDir out;
        const QStringList names{u"text.txt"_s, u"large.bin"_s, u"tiny.txt"_s, u"empty.txt"_s};
        for (const QString &name : names) {
            QFile file(out.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old");
        }
        QList<QPoint> offsets;
        QStringList unfocused;
        QPointer<unlha::OverwriteQuestion> current;
        QElapsedTimer shownFor;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            unlha::OverwriteQuestion *question = nullptr;
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *q = qobject_cast<unlha::OverwriteQuestion *>(widget);
                    q && q->isVisible() && !q->property("answered").toBool())
                    question = q;
            if (question == nullptr)
                return;
            if (question != current) {
                current = question;
                shownFor.start();
                return;
            }
            // The window manager has placed and focused it by now.
            if (shownFor.elapsed() < 500)
                return;
            question->setProperty("answered", true);
            const QWidget *progress = question->parentWidget();
            offsets << question->geometry().center() - progress->geometry().center();
            if (!question->isActiveWindow())
                unfocused << u"question %1 not active"_s.arg(offsets.size());
            run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        });
        watch.start(20);
        unlha::QtSession session(&owner);
        const QByteArray archive =
            QFile::encodeName(QStringLiteral(HOKORA_TEST_DATA_DIR "/archives/method-lh5.lzh"));
        const auto outcome = unlha::run(
            ("e " + archive + " " + QFile::encodeName(out.path()) + "/").toStdString(), session);
        watch.stop();
        QCOMPARE(offsets.size(), 4);
        QVERIFY2(unfocused.isEmpty(), qPrintable(unfocused.join(u", "_s)));
        for (const QPoint &offset : offsets)
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(u"off by %1,%2"_s.arg(offset.x()).arg(offset.y())));
        // Enter is スキップ: every file kept.
        QCOMPARE(outcome.code, 0);
        for (const QString &name : names) {
            QFile file(out.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("old"));
        }
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
