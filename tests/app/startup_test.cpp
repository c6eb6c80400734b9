// Which window the user sees first, the splash window's tick and the notices.

#include "FakePlatform.h"

#include "app/Form10.h"
#include "app/Form3.h"
#include "app/Form4.h"
#include "app/StartUp.h"
#include "app/title1.h"
#include "extract/Form2.h"
#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/Timer.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void firstWindow_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<QString>("window");
        QTest::newRow("empty") << QString() << QString() << "Form3";
        QTest::newRow("archive") << "/arc/DATA.LZH"
                                 << "LZH"
                                 << "title1";
        QTest::newRow("lower case") << "/arc/data.lzh"
                                    << "lzh"
                                    << "Form10";
        QTest::newRow("two characters") << "ZH"
                                        << "ZH"
                                        << "Form10";
        QTest::newRow("one character") << "H"
                                       << "H"
                                       << "Form10";
        QTest::newRow("LZH alone") << "LZH"
                                   << "LZH"
                                   << "title1";
        QTest::newRow("quoted") << "\"/arc/DATA.LZH\""
                                << "ZH\""
                                << "Form10";
        QTest::newRow("several names") << "/arc/A.LZH /arc/B.LZH"
                                       << "LZH"
                                       << "title1";
        QTest::newRow("blank at the end") << "/arc/DATA.LZH "
                                          << "ZH "
                                          << "Form10";
        QTest::newRow("double-byte end") << "/arc/説明書データ"
                                         << "データ"
                                         << "Form10";
        QTest::newRow("outside the basic plane") << QStringLiteral("/arc/\U0002000BLZ\U0002000B")
                                                 << QStringLiteral("LZ\U0002000B") << "Form10";
    }

    void firstWindow() {
        QFETCH(QString, commandLine);
        QFETCH(QString, fileType);
        QFETCH(QString, window);
        FakeProgram program;
        program.platform.commandLineText = commandLine;
        startProgram(program.services);

        QCOMPARE(visibleWindows(), QStringList{window});
        Form2 *form2 = existingWindow<Form2>();
        QCOMPARE(form2->Label1().text(), commandLine);
        QCOMPARE(form2->Text2().text(), fileType);
        if (window != QStringLiteral("title1"))
            QVERIFY(!existingWindow<title1>());
        // Only the instructions window disables the hidden main window.
        QCOMPARE(form2->isEnabled(), window != QStringLiteral("Form3"));
        QCOMPARE(program.platform.exits, 0);
    }

    void mainWindowStartsOnTheProgramsDrive() {
        QTemporaryDir temp;
        QVERIFY(QDir(temp.path()).mkpath(QStringLiteral("prog/bin")));
        QVERIFY(QDir(temp.path()).mkpath(QStringLiteral("elsewhere")));
        FakeProgram program;
        program.platform.driveTable.append({temp.filePath(QStringLiteral("prog")), {}, true});
        program.platform.programDir = temp.filePath(QStringLiteral("prog/bin"));
        program.platform.currentDir = temp.filePath(QStringLiteral("elsewhere"));
        program.platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        startProgram(program.services);
        Form2 &form2 = program.services.window<Form2>();
        QCOMPARE(form2.Drive4().drive(), temp.filePath(QStringLiteral("prog")));
        // The current directory lies on another drive, so the drive's root.
        QCOMPARE(form2.Dir4().path(), temp.filePath(QStringLiteral("prog")));
        QVERIFY(program.platform.messageBoxes.isEmpty());
    }

    void splashTickShowsMainWindowOnce() {
        FakeProgram program;
        program.platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        startProgram(program.services);
        title1 *splash = existingWindow<title1>();
        QVERIFY(splash->Timer1().isEnabled());
        QCOMPARE(splash->Timer1().interval(), 2000);
        QCOMPARE(splash->lblVersion().text(), QStringLiteral("Ｖｅｒｓｉｏｎ．1．0 0"));

        splash->Timer1().setInterval(20); // the same tick, sooner
        QSignalSpy ticks(&splash->Timer1(), &ui::Timer::timer);
        QTRY_COMPARE(visibleWindows(), QStringList{"Form2"});
        QTest::qWait(150);
        QCOMPARE(ticks.count(), 1);
        QVERIFY(!splash->Timer1().isEnabled());
        QCOMPARE(visibleWindows(), QStringList{"Form2"});
        Form2 &form2 = program.services.window<Form2>();
        QVERIFY(form2.isEnabled());
        QCOMPARE(form2.Label1().text(), QStringLiteral("/arc/DATA.LZH"));
    }

    void noticesBeepOnceBeforeCentring() {
        FakeProgram program;
        program.platform.commandLineText = QStringLiteral("notes.txt");
        startProgram(program.services);
        const QStringList afterStart = program.platform.log;
        // Form2 centres itself; then the notice beeps and centres.
        QCOMPARE(afterStart, QStringList({"screen", "screen", "beep", "screen", "screen"}));

        program.platform.log.clear();
        program.services.window<Form2>().Show();
        program.services.window<Form4>().Show();
        QCOMPARE(program.platform.log, QStringList({"beep", "screen", "screen"}));
        QCOMPARE(program.platform.beeps, 2);
        QVERIFY(program.services.window<Form2>().isVisible());
        QVERIFY(!program.services.window<Form2>().isEnabled());
    }
};

QTEST_MAIN(StartUpTest)
#include "startup_test.moc"
