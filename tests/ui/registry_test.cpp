// The window registry, geometry and the end of the program.

#include "FakePlatform.h"

#include "ui/Timer.h"
#include "ui/Twips.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

class Beneath;

// Disables the window beneath it in its load procedure, as the program's
// dialogs do, and records what it saw while loading.
class Dialog : public ui::Window {
    Q_OBJECT

public:
    explicit Dialog(ui::Services &services) : ui::Window(services) { setClientSize(3000, 1500); }
    int loads = 0;
    bool visibleDuringLoad = true;

protected:
    void Form_Load() override;
};

// Touches the dialog and itself while loading.
class Beneath : public ui::Window {
    Q_OBJECT

public:
    explicit Beneath(ui::Services &services) : ui::Window(services) {
        setClientSize(9465, 5880);
        m_button = new QPushButton(this);
        m_services.connectEvent(m_button, &QPushButton::clicked, this, &Beneath::Button_Click);
        m_timer = new ui::Timer(this, 10);
        m_services.connectEvent(m_timer, &ui::Timer::timer, this, &Beneath::Timer_Timer);
    }
    int loads = 0;
    int clicks = 0;
    int ticks = 0;
    QPushButton *m_button = nullptr;
    ui::Timer *m_timer = nullptr;

    void Button_Click() { ++clicks; }
    void Timer_Timer() { ++ticks; }

protected:
    void Form_Load() override {
        ++loads;
        m_services.window<Dialog>().setEnabled(true);
        m_services.window<Beneath>().setWindowTitle(QStringLiteral("touched while loading"));
    }
};

void Dialog::Form_Load() {
    ++loads;
    visibleDuringLoad = isVisible();
    m_services.window<Beneath>().setEnabled(false);
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void referenceLoadsOnceAndHidden() {
        FakeProgram program;
        // Enabling a window that was never loaded loads it, and it stays hidden.
        program.services.window<Dialog>().setEnabled(true);
        Dialog *dialog = existingWindow<Dialog>();
        QVERIFY(dialog);
        QCOMPARE(dialog->loads, 1);
        QVERIFY(dialog->isLoaded());
        QVERIFY(!dialog->isVisible());
        // Its load procedure disabled the window beneath, loading that in turn.
        QCOMPARE(program.services.window<Beneath>().isEnabled(), false);
        program.services.window<Dialog>().Show();
        QCOMPARE(dialog->loads, 1);
        QVERIFY(dialog->isVisible());
    }

    void loadsNestWithoutReentering() {
        FakeProgram program;
        Beneath &beneath = program.services.window<Beneath>();
        Dialog &dialog = program.services.window<Dialog>();
        QCOMPARE(beneath.loads, 1);
        QCOMPARE(dialog.loads, 1);
        QVERIFY(!dialog.visibleDuringLoad);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!beneath.isVisible());
        QVERIFY(!beneath.isEnabled());
        QCOMPARE(beneath.windowTitle(), QStringLiteral("touched while loading"));
    }

    void centringOnSmallerScreenKeepsNegativePosition() {
        FakeProgram program;
        program.platform.screen = QSize(300, 200); // smaller than 631 x 392 pixels
        Beneath &window = program.services.window<Beneath>();
        window.centreOnScreen();
        QCOMPARE(window.Width(), 9465.0f);
        QVERIFY(qAbs(window.Left() - (4500.0f - 9465.0f) / 2) <= ui::TwipsPerPixel);
        QVERIFY(qAbs(window.Top() - (3000.0f - 5880.0f) / 2) <= ui::TwipsPerPixel);
        QVERIFY(window.Left() < 0 && window.Top() < 0);
    }

    void endingHidesEverythingAndStopsEventProcedures() {
        FakeProgram program;
        Beneath &beneath = program.services.window<Beneath>();
        beneath.Show();
        beneath.setEnabled(true);
        beneath.m_timer->setEnabled(true);
        program.services.endProgram();
        QCOMPARE(program.platform.exits, 1);
        QVERIFY(visibleWindows().isEmpty());
        beneath.m_button->click();
        QTest::qWait(60);
        QCOMPARE(beneath.clicks, 0);
        QCOMPARE(beneath.ticks, 0);
    }

private:
    static float toTwipsRounded(double pixels) {
        return ui::toTwips(static_cast<int>(std::lround(pixels)));
    }
};

QTEST_MAIN(RegistryTest)
#include "registry_test.moc"
