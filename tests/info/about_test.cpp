// The build number and user name queries, and the About window opened from
// the main window and from the instructions window.

#include "FakePlatform.h"

#include "app/Form3.h"
#include "app/StartUp.h"
#include "app/title1.h"
#include "extract/Form2.h"
#include "info/Form5.h"
#include "info/SysInfo32.h"
#include "ui/CommandButton.h"

#include <QLabel>
#include <QTest>

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void buildNumberKeepsTheLow16Bits() {
        QCOMPARE(SysInfo32::buildNumberText(0x040003B6u), QStringLiteral("950")); // 4.0 build 950
        QCOMPARE(SysInfo32::buildNumberText(1381), QStringLiteral("1381"));
        QCOMPARE(SysInfo32::kernelBuildCount("#1 SMP PREEMPT_DYNAMIC Debian 6.1.90-1"), 1u);
        QCOMPARE(SysInfo32::kernelBuildCount("#70000-Ubuntu SMP"), 70000u);
        QVERIFY(!SysInfo32::kernelBuildCount("SMP PREEMPT"));
        QVERIFY(!SysInfo32::kernelBuildCount("#99999999999999999999999"));

        FakePlatform platform;
        platform.kernel = "#70000-Ubuntu SMP";
        QCOMPARE(SysInfo32::GetWindowsBuild(platform), QStringLiteral("4464"));
        platform.kernel = std::nullopt;
        QCOMPARE(SysInfo32::GetWindowsBuild(platform), QString());
        platform.kernel = "SMP";
        QCOMPARE(SysInfo32::GetWindowsBuild(platform), QString());
    }

    void userNameFitsIn128Bytes() {
        FakePlatform platform;
        platform.user = std::string(127, 'u');
        QCOMPARE(SysInfo32::GetUserNameText(platform), QString(127, QChar('u')));
        platform.user = std::string(128, 'u');
        QCOMPARE(SysInfo32::GetUserNameText(platform), QString());
        platform.user = std::nullopt;
        QCOMPARE(SysInfo32::GetUserNameText(platform), QString());
        platform.user = "山田";
        QCOMPARE(SysInfo32::GetUserNameText(platform), QStringLiteral("山田"));
    }

    void fromTheMainWindow() {
        FakeProgram program;
        program.platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        startProgram(program.services);
        program.services.window<title1>().Timer1_Timer();
        Form2 &form2 = program.services.window<Form2>();

        form2.Command3().click();
        Form5 &about = program.services.window<Form5>();
        QCOMPARE(visibleWindows(), QStringList({"Form2", "Form5"}));
        QVERIFY(!form2.isEnabled());
        Form3 *instructions = existingWindow<Form3>();
        QVERIFY(instructions && instructions->isLoaded() && !instructions->isEnabled());
        QCOMPARE(about.Label4().text(), QStringLiteral("tester"));
        QCOMPARE(about.Label6().text(), QStringLiteral("1"));

        about.Command1().click();
        QCOMPARE(visibleWindows(), QStringList{"Form2"});
        QVERIFY(form2.isEnabled());
        QVERIFY(instructions->isEnabled());

        // A second opening reads nothing again and disables nothing.
        program.platform.log.clear();
        program.platform.user = "someone else";
        form2.Command3().click();
        QCOMPARE(about.Label4().text(), QStringLiteral("tester"));
        QVERIFY(!program.platform.log.contains(QStringLiteral("user")));
        QVERIFY(form2.isEnabled());
        QVERIFY(instructions->isEnabled());
    }

    void fromTheInstructionsWindowAndClosedByTheTitleBar() {
        FakeProgram program;
        program.platform.user = std::nullopt;
        startProgram(program.services);
        Form3 &form3 = program.services.window<Form3>();
        form3.Command2().click();
        Form5 &about = program.services.window<Form5>();
        QCOMPARE(visibleWindows(), QStringList({"Form3", "Form5"}));
        QVERIFY(!form3.isEnabled());
        QVERIFY(!program.services.window<Form2>().isEnabled());
        QCOMPARE(about.Label4().text(), QString());
        QCOMPARE(about.Label6().text(), QStringLiteral("1"));

        about.close();
        QCOMPARE(visibleWindows(), QStringList{"Form3"});
        QVERIFY(form3.isEnabled());
        QVERIFY(program.services.window<Form2>().isEnabled());
        QVERIFY(!program.services.window<Form2>().isVisible());
        QCOMPARE(program.platform.exits, 0);

        form3.Command2().click();
        QCOMPARE(visibleWindows(), QStringList({"Form3", "Form5"}));
        QVERIFY(form3.isEnabled());
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
