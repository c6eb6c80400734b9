// SPDX-License-Identifier: MIT
// The build number and user name queries, and the About window opened from
// the main window and from the instructions window.

#include "FakePlatform.h"

#include "app/Form3.h"
#include "app/title1.h"
#include "extract/Form2.h"
#include "info/Form5.h"
#include "info/SysInfo32.h"
#include "ui/CommandButton.h"
#include "ui/Error.h"

#include <QLabel>
#include <QTest>

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void queriesGiveTheirTextOrNothing() {
        QCOMPARE(SysInfo32::buildNumberText(0x040003B6u), QStringLiteral("950")); // 4.0 build 950
        using Answer = std::optional<std::string>;
        FakePlatform platform;
        const std::pair<Answer, QString> builds[] = {
            {"#1 SMP PREEMPT_DYNAMIC Debian 6.1.90-1", "1"},
            {"#70000-Ubuntu SMP", "4464"}, // the low 16 bits
            {std::nullopt, ""},
            {"SMP PREEMPT", ""},
            {"#99999999999999999999999", ""},
        };
        for (const auto &[kernel, text] : builds) {
            platform.kernel = kernel;
            QCOMPARE(SysInfo32::GetWindowsBuild(platform), text);
        }
        // The name and its terminator fit in 128 bytes.
        const std::pair<Answer, QString> users[] = {
            {std::string(127, 'u'), QString(127, QChar('u'))},
            {std::string(128, 'u'), ""},
            {std::nullopt, ""},
            {"山田", "山田"},
        };
        for (const auto &[user, text] : users) {
            platform.user = user;
            QCOMPARE(SysInfo32::GetUserNameText(platform), text);
        }
    }

    void fromTheMainWindowReadsOnce() {
        FakeProgram program;
        Form5 &about = openFromTheMainWindow(program);
        Form2 &form2 = program.services.window<Form2>();
        QCOMPARE(visibleWindows(), QStringList({"Form2", "Form5"}));
        QVERIFY(!form2.isEnabled());
        Form3 *instructions = existingWindow<Form3>();
        QVERIFY(instructions && instructions->isLoaded() && !instructions->isEnabled());
        QCOMPARE(about.Label4().text(), QStringLiteral("tester"));
        QCOMPARE(about.Label6().text(), QStringLiteral("1"));

        about.Command1().click();
        QCOMPARE(visibleWindows(), QStringList{"Form2"});
        QVERIFY(form2.isEnabled() && instructions->isEnabled());

        // A second opening reads nothing again and disables nothing.
        program.platform.user = "someone else";
        program.platform.kernel = "#2";
        form2.Command3().click();
        QCOMPARE(about.Label4().text(), QStringLiteral("tester"));
        QCOMPARE(about.Label6().text(), QStringLiteral("1"));
        QVERIFY(form2.isEnabled() && instructions->isEnabled());
    }

    // A step of the load that fails ends the load; the window shows all the
    // same, with the design texts of the labels it did not reach.
    void aFailingStepEndsTheLoadQuietly() {
        FakeProgram program;
        program.platform.userQueryError = ui::kErrDeviceIo;
        Form5 &about = openFromTheMainWindow(program);
        Form2 &form2 = program.services.window<Form2>();
        QCOMPARE(visibleWindows(), QStringList({"Form2", "Form5"}));
        QVERIFY(!form2.isEnabled());
        QCOMPARE(about.Label4().text(), QStringLiteral("Label4"));
        QCOMPARE(about.Label6().text(), QStringLiteral("Label6"));
        QVERIFY(program.platform.messageBoxes.isEmpty());
        QCOMPARE(program.platform.exits, 0);
        about.Command1().click();
        QCOMPARE(visibleWindows(), QStringList{"Form2"});
        QVERIFY(form2.isEnabled());
    }

    void fromTheInstructionsWindowAndClosedByTheTitleBar() {
        FakeProgram program;
        program.platform.user = std::nullopt;
        program.start(QString());
        Form3 &form3 = program.services.window<Form3>();
        Form2 &form2 = program.services.window<Form2>();
        form3.Command2().click();
        Form5 &about = program.services.window<Form5>();
        QCOMPARE(visibleWindows(), QStringList({"Form3", "Form5"}));
        QVERIFY(!form3.isEnabled() && !form2.isEnabled());
        QCOMPARE(about.Label4().text(), QString());

        about.close();
        QCOMPARE(visibleWindows(), QStringList{"Form3"});
        QVERIFY(form3.isEnabled() && form2.isEnabled());
        QCOMPARE(program.platform.exits, 0);

        form3.Command2().click();
        QCOMPARE(visibleWindows(), QStringList({"Form3", "Form5"}));
        QVERIFY(form3.isEnabled());
    }

private:
    // Started on an archive, past the splash, the About button pressed.
    static Form5 &openFromTheMainWindow(FakeProgram &program) {
        program.start(QStringLiteral("/arc/DATA.LZH"));
        program.services.window<title1>().Timer1_Timer();
        program.services.window<Form2>().Command3().click();
        return program.services.window<Form5>();
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
