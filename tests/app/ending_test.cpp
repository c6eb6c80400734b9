// Every way the program ends: it ends at once, every window disappears and no
// event procedure runs afterwards.

#include "FakePlatform.h"

#include "app/Form10.h"
#include "app/Form3.h"
#include "app/Form4.h"
#include "app/StartUp.h"
#include "app/title1.h"
#include "extract/Form2.h"
#include "info/Form5.h"
#include "ui/CommandButton.h"
#include "ui/Timer.h"

#include <QTest>

#include <functional>

namespace {

struct Ending {
    const char *name;
    const char *commandLine;
    std::function<void(ui::Services &)> act;
};

template <class T> void click(ui::Services &services, ui::CommandButton &(T::*button)() const) {
    (services.window<T>().*button)().click();
}

template <class T> void closeWindow(ui::Services &services) {
    services.window<T>().close();
}

} // namespace

class EndingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void everyEndingEndsAtOnce() {
        const char *archive = "/arc/DATA.LZH";
        const QList<Ending> endings{
            {"main window cancel", archive,
             [](ui::Services &s) { click<Form2>(s, &Form2::Command2); }},
            {"main window close", archive, closeWindow<Form2>},
            {"instructions OK", "", [](ui::Services &s) { click<Form3>(s, &Form3::Command1); }},
            {"instructions close", "", closeWindow<Form3>},
            {"instructions close behind About", "",
             [](ui::Services &s) {
                 click<Form3>(s, &Form3::Command2);
                 s.window<Form3>().close();
             }},
            {"finished OK", archive, [](ui::Services &s) { click<Form4>(s, &Form4::Command1); }},
            {"finished Enter", archive,
             [](ui::Services &s) {
                 QTest::keyClick(&s.window<Form4>().Command1(), Qt::Key_Return);
             }},
            {"finished close", archive, closeWindow<Form4>},
            {"wrong file OK", "notes.txt",
             [](ui::Services &s) { click<Form10>(s, &Form10::Command1); }},
            {"wrong file close", "notes.txt", closeWindow<Form10>},
            {"splash close", archive, closeWindow<title1>},
        };
        for (const Ending &ending : endings) {
            FakeProgram program;
            program.platform.commandLineText = QString::fromUtf8(ending.commandLine);
            startProgram(program.services);
            ending.act(program.services);
            QVERIFY2(program.platform.exits == 1, ending.name);
            QVERIFY2(visibleWindows().isEmpty(), ending.name);

            // Nothing runs any more: no button, no close, no timer tick.
            program.services.window<Form2>().Command3().click();
            program.services.window<Form2>().close();
            program.services.window<Form3>().Command1().click();
            QTest::qWait(existingWindow<title1>() ? 10 : 0);
            QVERIFY2(program.platform.exits == 1, ending.name);
            QVERIFY2(visibleWindows().isEmpty(), ending.name);
        }
    }

    void closingTheSplashEndsBeforeTheMainWindowShows() {
        FakeProgram program;
        program.platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        startProgram(program.services);
        title1 &splash = program.services.window<title1>();
        splash.Timer1().setInterval(20);
        splash.close();
        QTest::qWait(100);
        QCOMPARE(program.platform.exits, 1);
        QVERIFY(!program.services.window<Form2>().isVisible());
        QVERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(EndingTest)
#include "ending_test.moc"
