// The production platform where it can be checked without a display.

#include "FakePlatform.h"

#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>

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

    void drivesLeavePseudoFileSystemsOut() {
        ui::QtPlatform platform;
        const QList<ui::Drive> drives = platform.drives();
        QVERIFY(std::any_of(drives.begin(), drives.end(),
                            [](const ui::Drive &d) { return d.root == QStringLiteral("/"); }));
        for (const ui::Drive &drive : drives) {
            QVERIFY2(!drive.root.startsWith(QStringLiteral("/proc")), qPrintable(drive.root));
            QVERIFY2(!drive.root.startsWith(QStringLiteral("/sys")), qPrintable(drive.root));
            QVERIFY2(drive.root != QStringLiteral("/dev/pts"), qPrintable(drive.root));
        }
        QVERIFY(platform.isDriveReady(QStringLiteral("/")));
        QVERIFY(!platform.isDriveReady(QStringLiteral("/no/such/mount")));
    }

    void directoryCreationReportsErrno() {
        ui::QtPlatform platform;
        QTemporaryDir temp;
        const QString fresh = temp.filePath(QStringLiteral("新しいフォルダ"));
        QCOMPARE(platform.createDirectory(fresh), 0);
        QCOMPARE(platform.createDirectory(fresh), EEXIST);
        QCOMPARE(platform.createDirectory(temp.filePath(QStringLiteral("a/b"))), ENOENT);
    }

    void systemQueries() {
        ui::QtPlatform platform;
        QVERIFY(platform.kernelVersion().has_value());
        const std::optional<std::string> user = platform.effectiveUserName();
        QVERIFY(user && !user->empty());
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
