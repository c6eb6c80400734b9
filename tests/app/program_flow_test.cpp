// SPDX-License-Identifier: MIT
// Which window the user sees first, the splash window's tick, the notices,
// and every way the program ends.

#include "FakePlatform.h"

#include "app/Form10.h"
#include "app/Form3.h"
#include "app/Form4.h"
#include "app/title1.h"
#include "extract/Form2.h"
#include "ui/CommandButton.h"
#include "ui/Timer.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <functional>

class ProgramFlowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void firstWindow_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<QString>("window");
        const char *rows[][4] = {
            {"empty", "", "", "Form3"},
            {"archive", "/arc/DATA.LZH", "LZH", "title1"},
            {"lower case", "/arc/data.lzh", "lzh", "title1"},
            {"mixed case", "/arc/data.Lzh", "Lzh", "title1"},
            {"lha", "/arc/data.lha", "lha", "title1"},
            {"LHA", "/arc/DATA.LHA", "LHA", "title1"},
            {"zip", "/arc/data.zip", "zip", "Form10"},
            {"LZ with a full-width H", "/arc/DATA.LZＨ", "LZＨ", "Form10"},
            {"lha with a suffix", "/arc/data.lha.bak", "bak", "Form10"},
            {"two characters", "ZH", "ZH", "Form10"},
            {"one character", "H", "H", "Form10"},
            {"LZH alone", "LZH", "LZH", "title1"},
            {"quoted", "\"/arc/DATA.LZH\"", "ZH\"", "Form10"},
            {"several names", "/arc/A.LZH /arc/B.LZH", "LZH", "title1"},
            {"blank at the end", "/arc/DATA.LZH ", "ZH ", "Form10"},
            {"double-byte end", "/arc/説明書データ", "データ", "Form10"},
            {"outside the basic plane", "/arc/\U0002000BLZ\U0002000B", "LZ\U0002000B", "Form10"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2])
                                  << QString::fromUtf8(row[3]);
    }

    void firstWindow() {
        QFETCH(QString, commandLine);
        QFETCH(QString, fileType);
        QFETCH(QString, window);
        FakeProgram program;
        program.start(commandLine);
        QCOMPARE(visibleWindows(), QStringList{window});
        Form2 *form2 = existingWindow<Form2>();
        QCOMPARE(form2->Label1().text(), commandLine);
        QCOMPARE(form2->Text2().text(), fileType);
        QCOMPARE(existingWindow<title1>() != nullptr, window == QStringLiteral("title1"));
        // Only the instructions window disables the hidden main window.
        QCOMPARE(form2->isEnabled(), window != QStringLiteral("Form3"));
        QCOMPARE(program.platform.exits, 0);
    }

    void splashTickShowsMainWindowOnce() {
        FakeProgram program;
        program.start(QStringLiteral("/arc/DATA.LZH"));
        ui::Timer &timer = existingWindow<title1>()->Timer1();
        QVERIFY(timer.isEnabled());
        QCOMPARE(timer.interval(), 2000);
        timer.setInterval(20); // the same tick, sooner
        QSignalSpy ticks(&timer, &ui::Timer::timer);
        QTRY_COMPARE(visibleWindows(), QStringList{"Form2"});
        QTest::qWait(150);
        QCOMPARE(ticks.count(), 1);
        QCOMPARE(visibleWindows(), QStringList{"Form2"});
        QVERIFY(program.services.window<Form2>().isEnabled());
    }

    void noticesBeepOnceAndOpenCentred() {
        FakeProgram program;
        program.start(QStringLiteral("notes.txt"));
        program.services.window<Form2>().Show();
        const auto beeps = [&] { return program.platform.log.count(QStringLiteral("beep")); };
        QCOMPARE(beeps(), 1); // the wrong-file notice
        program.services.window<Form4>().Show();
        QCOMPARE(beeps(), 2);
        program.services.window<Form4>().hide();
        program.services.window<Form4>().Show();
        QCOMPARE(beeps(), 2); // a notice beeps when it loads, not each time it shows
        // Centred on the client size at load, before the frame was known.
        const float frameAllowance = 4 * ui::kTwipsPerPixel;
        for (ui::Window *notice : std::initializer_list<ui::Window *>{
                 &program.services.window<Form10>(), &program.services.window<Form4>()}) {
            const float screenWidth = program.platform.screen.width() * ui::kTwipsPerPixel;
            const float screenHeight = program.platform.screen.height() * ui::kTwipsPerPixel;
            QVERIFY(qAbs(notice->Left() + notice->Width() / 2 - screenWidth / 2) <= frameAllowance);
            QVERIFY(qAbs(notice->Top() + notice->Height() / 2 - screenHeight / 2) <=
                    frameAllowance);
        }
        QVERIFY(program.services.window<Form2>().isVisible());
        QVERIFY(!program.services.window<Form2>().isEnabled());
    }

    void everyEndingEndsAtOnceAndNothingRunsAfter() {
        const QString archive = QStringLiteral("/arc/DATA.LZH");
        const QString wrongFile = QStringLiteral("notes.txt");
        const struct {
            const char *name;
            QString commandLine;
            std::function<void(ui::Services &)> act;
        } endings[] = {
            {"main window cancel", archive,
             [](ui::Services &s) { s.window<Form2>().Command2().click(); }},
            {"main window close", archive, [](ui::Services &s) { s.window<Form2>().close(); }},
            {"instructions OK", {}, [](ui::Services &s) { s.window<Form3>().Command1().click(); }},
            {"instructions close", {}, [](ui::Services &s) { s.window<Form3>().close(); }},
            {"instructions close behind About",
             {},
             [](ui::Services &s) {
                 s.window<Form3>().Command2().click();
                 s.window<Form3>().close();
             }},
            {"finished OK", archive, [](ui::Services &s) { s.window<Form4>().Command1().click(); }},
            {"finished Enter", archive,
             [](ui::Services &s) {
                 QTest::keyClick(&s.window<Form4>().Command1(), Qt::Key_Return);
             }},
            {"finished close", archive, [](ui::Services &s) { s.window<Form4>().close(); }},
            {"wrong file OK", wrongFile,
             [](ui::Services &s) { s.window<Form10>().Command1().click(); }},
            {"wrong file close", wrongFile, [](ui::Services &s) { s.window<Form10>().close(); }},
            {"splash close", archive, [](ui::Services &s) { s.window<title1>().close(); }},
        };
        for (const auto &ending : endings) {
            FakeProgram program;
            program.start(ending.commandLine);
            if (title1 *splash = existingWindow<title1>())
                splash->Timer1().setInterval(20); // its tick would show the main window
            ending.act(program.services);
            QVERIFY2(program.platform.exits == 1, ending.name);
            QVERIFY2(visibleWindows().isEmpty(), ending.name);

            // Nothing runs any more: no button, no close, no timer tick.
            program.services.window<Form2>().Command3().click();
            program.services.window<Form2>().close();
            program.services.window<Form3>().Command1().click();
            QTest::qWait(existingWindow<title1>() ? 60 : 0);
            QVERIFY2(program.platform.exits == 1, ending.name);
            QVERIFY2(visibleWindows().isEmpty(), ending.name);
        }
    }
};

QTEST_MAIN(ProgramFlowTest)
#include "program_flow_test.moc"
