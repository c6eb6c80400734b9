// SPDX-License-Identifier: MIT
// The window registry, geometry and the production platform's message box.
// Ending the program is tested on the program's own windows.

#include "FakePlatform.h"

#include "ui/Application.h"
#include "ui/QtPlatform.h"
#include "ui/Twips.h"

#include <QAbstractButton>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <tuple>
#include <vector>

namespace {

// Disables the window beneath it in its load procedure, as the program's
// dialogs do, and records what it saw while loading.
class Dialog : public ui::Window {
    Q_OBJECT

public:
    explicit Dialog(ui::Services &services) : ui::Window(services) {
        setClientSize(3000, 1500);
        keepAboveMainWindow();
    }
    int loads = 0;
    bool visibleDuringLoad = true;

protected:
    void Form_Load() override;
};

// Touches the dialog and itself while loading.
class Beneath : public ui::Window {
    Q_OBJECT

public:
    explicit Beneath(ui::Services &services) : ui::Window(services) { setClientSize(9465, 5880); }
    int loads = 0;

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

class ServicesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void x11IsAskedForWhereOfferedAndNoPlatformNamed() {
        const struct {
            const char *variable;
            const char *display;
            std::vector<const char *> arguments;
            const char *asked;
        } cases[] = {
            {"", ":0", {}, "xcb;wayland"},
            {"", ":0", {"/home/u/DATA.LZH"}, "xcb;wayland"},
            {"", "", {}, ""},                         // Wayland alone: Qt chooses
            {"wayland", ":0", {}, ""},                // the user's variable wins
            {"", ":0", {"-platform", "wayland"}, ""}, // and their option
            {"", ":0", {"--platform", "offscreen"}, ""},
            {"", ":0", {"-platformtheme", "gtk3"}, "xcb;wayland"},
        };
        for (const auto &c : cases) {
            std::vector<char *> arguments;
            for (const char *argument : c.arguments)
                arguments.push_back(const_cast<char *>(argument));
            QCOMPARE(ui::requestedPlatform(c.variable, c.display, arguments), QByteArray(c.asked));
        }
    }

    void referenceLoadsOnceHiddenAndNestsWithoutReentering() {
        FakeProgram program;
        // Enabling a never-loaded window loads it; its load loads the window
        // beneath, whose load touches both windows while they are loading.
        program.services.window<Dialog>().setEnabled(true);
        Dialog *dialog = existingWindow<Dialog>();
        Beneath *beneath = existingWindow<Beneath>();
        QVERIFY(dialog && beneath);
        QCOMPARE(dialog->loads, 1);
        QCOMPARE(beneath->loads, 1);
        QVERIFY(dialog->isLoaded() && !dialog->visibleDuringLoad);
        QCOMPARE(visibleWindows(), QStringList());
        QVERIFY(!beneath->isEnabled());
        QCOMPARE(beneath->windowTitle(), QStringLiteral("touched while loading"));
        dialog->Show();
        QCOMPARE(dialog->loads, 1);
        QVERIFY(dialog->isVisible());
    }

    void centringOnSmallerScreenKeepsNegativePosition() {
        FakeProgram program;
        program.platform.screen = QSize(300, 200); // smaller than 631 x 392 pixels
        Beneath &window = program.services.window<Beneath>();
        window.centreOnScreen();
        QCOMPARE(window.Width(), 9465.0f);
        QVERIFY(qAbs(window.Left() - (4500.0f - 9465.0f) / 2) <= ui::kTwipsPerPixel);
        QVERIFY(qAbs(window.Top() - (3000.0f - 5880.0f) / 2) <= ui::kTwipsPerPixel);
        QVERIFY(window.Left() < 0 && window.Top() < 0);
    }

    void messageBoxOfThePlatform() {
        ui::QtPlatform platform;
        // Style, whether the box is closed rather than answered OK, the answer
        // and the buttons shown.
        for (const auto &[style, close, answer, buttons] :
             {std::tuple{ui::kStyleExclamationOkCancel, true, ui::kMessageBoxCancel, 2},
              std::tuple{ui::kStyleExclamationOkCancel, false, ui::kMessageBoxOk, 2},
              std::tuple{ui::kStyleExclamationOk, false, ui::kMessageBoxOk, 1}}) {
            QString shownText;
            qsizetype shownButtons = 0;
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                shownText = box->text();
                shownButtons = box->buttons().size();
                if (close)
                    box->close();
                else
                    box->button(QMessageBox::Ok)->click();
            });
            const QString text = QStringLiteral("a") + QChar(13) + QStringLiteral("b");
            QCOMPARE(platform.messageBox(text, style, QStringLiteral("t")), answer);
            QCOMPARE(shownText, QStringLiteral("a\nb"));
            QCOMPARE(shownButtons, buttons);
        }
    }

    void messageBoxSpeaksJapaneseFitsItsTitleAndStaysAboveItsWindow() {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                           QStringLiteral("/qtbase_ja.qm")))
            QSKIP("Qt's Japanese translations are not installed");
        QVERIFY(ui::loadStandardTranslations());
        ui::QtPlatform platform;
        QWidget owner;
        owner.show();
        owner.activateWindow();
        QStringList captions;
        int width = 0;
        const QWindow *transientParent = nullptr;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *button : box->buttons())
                captions << button->text().remove(QChar('&'));
            width = box->width();
            transientParent = box->windowHandle()->transientParent();
            box->button(QMessageBox::Cancel)->click();
        });
        const QString title = QStringLiteral("エラーメッセージ");
        platform.messageBox(QStringLiteral("x"), ui::kStyleExclamationOkCancel, title);
        captions.sort();
        QCOMPARE(captions, QStringList({QStringLiteral("OK"), QStringLiteral("キャンセル")}));
        QVERIFY(width > QFontMetrics(QApplication::font()).horizontalAdvance(title) + 60);
        QCOMPARE(transientParent, owner.windowHandle());
    }

    void dialogStaysAboveTheMainWindowWithoutBecomingItsChild() {
        FakePlatform fake;
        ui::Services services(fake);
        Beneath &owner = services.window<Beneath>();
        owner.Show();
        Dialog &dialog = services.window<Dialog>();
        dialog.Show();
        QVERIFY(!owner.isEnabled()); // the dialog's load procedure disabled it
        QVERIFY(dialog.isEnabled());
        QCOMPARE(dialog.parentWidget(), nullptr);
        QCOMPARE(dialog.windowModality(), Qt::NonModal);
        QCOMPARE(dialog.windowHandle()->transientParent(), owner.windowHandle());
        // Activating the disabled window brings the dialog back to the front.
        dialog.lower();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&owner, &activate);
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    }
};

QTEST_MAIN(ServicesTest)
#include "services_test.moc"
