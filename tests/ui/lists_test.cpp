// The drive list, the directory list and dropping one picture on another.

#include "FakePlatform.h"

#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/Error.h"
#include "ui/Picture.h"

#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class ListsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        setUpTestApplication();
        QVERIFY(m_temp.isValid());
        for (const char *folder : {"cwd/b", "cwd/A", "cwd/c/deeper", "usb/docs", "floppy"})
            QVERIFY(QDir(m_temp.path()).mkpath(QString::fromLatin1(folder)));
    }

    void init() {
        m_platform = std::make_unique<FakePlatform>();
        m_platform->currentDir = path("cwd");
        m_platform->driveTable = {{QStringLiteral("/"), QString(), true},
                                  {path("usb"), QStringLiteral("STICK"), true},
                                  {path("floppy"), QString(), false}};
    }

    void driveListChangesOnlyOnARealChange() {
        ui::DriveListBox drives(nullptr, *m_platform);
        QCOMPARE(drives.drive(), QStringLiteral("/"));
        QCOMPARE(drives.count(), 3);
        QCOMPARE(drives.itemText(1), path("usb") + QStringLiteral("  [STICK]"));
        QSignalSpy changes(&drives, &ui::DriveListBox::change);
        drives.setDrive(path("cwd/b"));
        QCOMPARE(changes.count(), 0);
        drives.setDrive(path("usb/docs"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(drives.drive(), path("usb"));
        drives.setCurrentIndex(0); // the user's choice
        QCOMPARE(changes.count(), 2);
        QCOMPARE(drives.drive(), QStringLiteral("/"));
        drives.setDrive(QStringLiteral("relative/nowhere"));
        QCOMPARE(changes.count(), 2);
    }

    void directoryListShowsChainThenSubfolders() {
        ui::DirListBox list(nullptr, *m_platform);
        QCOMPARE(list.path(), path("cwd"));
        QTreeWidgetItem *current = list.currentItem();
        QCOMPARE(current->text(0), QStringLiteral("cwd"));
        QStringList children;
        for (int i = 0; i < current->childCount(); ++i)
            children << current->child(i)->text(0);
        QCOMPARE(children, QStringList({"A", "b", "c"}));
        // The chain above leads up to the root of the drive, one level each.
        int levels = 0;
        QTreeWidgetItem *top = current;
        for (; top->parent(); top = top->parent())
            ++levels;
        QCOMPARE(top->text(0), QStringLiteral("/"));
        QCOMPARE(levels, QDir(path("cwd")).absolutePath().count(QChar('/')));
        QCOMPARE(current->child(0)->childCount(), 0); // sub-folders are not opened
    }

    void singleClickHighlightsDoubleClickOpens() {
        ui::DirListBox list(nullptr, *m_platform);
        list.resize(300, 400);
        list.show();
        QTreeWidgetItem *c = list.currentItem()->child(2);
        const QPoint at = list.visualItemRect(c).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.currentItem(), c);
        QCOMPARE(list.path(), path("cwd"));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.path(), path("cwd/c"));
        QCOMPARE(list.currentItem()->child(0)->text(0), QStringLiteral("deeper"));
    }

    void driveDesignationOpensTheDrivesCurrentDirectory() {
        ui::DirListBox list(nullptr, *m_platform);
        list.setPath(path("usb"));
        QCOMPARE(list.path(), path("usb")); // the process's directory is elsewhere
        list.setPath(QStringLiteral("/"));
        QCOMPARE(list.path(), path("cwd")); // the process's directory is on "/"
        list.setPath(path("usb/docs"));
        QCOMPARE(list.path(), path("usb/docs"));
        m_platform->currentDir = path("usb/docs");
        list.setPath(QStringLiteral("/"));
        QCOMPARE(list.path(), QStringLiteral("/"));
    }

    void failuresCarryTheirNumbersAndKeepTheList() {
        ui::DirListBox list(nullptr, *m_platform);
        QCOMPARE(errorOf(list, path("floppy")), ui::ErrDeviceUnavailable);
        QCOMPARE(errorOf(list, path("cwd/missing")), ui::ErrPathNotFound);
        QCOMPARE(list.path(), path("cwd"));
        m_platform->setReady(path("floppy"), true);
        list.setPath(path("floppy"));
        QCOMPARE(list.path(), path("floppy"));
    }

    void droppingAPictureRaisesTheDropEventInTwips() {
        ui::Picture target(nullptr);
        target.setAcceptsDraggedPictures(true);
        target.resize(48, 49);
        QSignalSpy drops(&target, &ui::Picture::dragDrop);

        QMimeData foreign;
        foreign.setText(QStringLiteral("/etc/passwd"));
        QDropEvent ignored(QPointF(4, 4), Qt::MoveAction, &foreign, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &ignored);
        QCOMPARE(drops.count(), 0);

        QMimeData picture;
        picture.setData(ui::Picture::mimeType(), "Image1");
        QDragEnterEvent enter(QPoint(10, 20), Qt::MoveAction, &picture, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 20), Qt::MoveAction, &picture, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &dropped);
        QCOMPARE(drops.count(), 0); // raised once the drag has ended
        QTRY_COMPARE(drops.count(), 1);
        QCOMPARE(drops.at(0).at(1).toFloat(), 150.0f);
        QCOMPARE(drops.at(0).at(2).toFloat(), 300.0f);
    }

private:
    QString path(const char *relative) const {
        return QDir(m_temp.path()).filePath(QString::fromLatin1(relative));
    }
    static int errorOf(ui::DirListBox &list, const QString &target) {
        try {
            list.setPath(target);
        } catch (const ui::Error &error) {
            return error.number();
        }
        return 0;
    }

    QTemporaryDir m_temp;
    std::unique_ptr<FakePlatform> m_platform;
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
