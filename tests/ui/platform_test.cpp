// The production platform where it can be checked without a display.

#include "FakePlatform.h"

#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

// Acts on the message box as soon as it is up.
void whenBoxIsUp(const std::function<void(QMessageBox &)> &act) {
    QTimer::singleShot(0, [act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        act(*box);
    });
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void messageBoxAnswers() {
        ui::QtPlatform platform;
        QString shownText;
        int buttons = 0;
        whenBoxIsUp([&](QMessageBox &box) {
            shownText = box.text();
            buttons = static_cast<int>(box.buttons().size());
            box.close();
        });
        QCOMPARE(platform.messageBox(QStringLiteral("a") + QChar(13) + QStringLiteral("b"),
                                     ui::StyleExclamationOkCancel, QStringLiteral("t")),
                 ui::MessageBoxCancel);
        QCOMPARE(shownText, QStringLiteral("a\nb"));
        QCOMPARE(buttons, 2);

        whenBoxIsUp([](QMessageBox &box) { box.button(QMessageBox::Ok)->click(); });
        QCOMPARE(platform.messageBox(QStringLiteral("x"), ui::StyleExclamationOkCancel,
                                     QStringLiteral("t")),
                 ui::MessageBoxOk);

        whenBoxIsUp([&](QMessageBox &box) {
            buttons = static_cast<int>(box.buttons().size());
            box.button(QMessageBox::Ok)->click();
        });
        QCOMPARE(
            platform.messageBox(QStringLiteral("x"), ui::StyleExclamationOk, QStringLiteral("t")),
            ui::MessageBoxOk);
        QCOMPARE(buttons, 1);
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
