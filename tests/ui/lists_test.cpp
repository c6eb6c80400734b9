// The drive list, the directory list and dropping one picture on another.

#include "FakePlatform.h"

#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/Error.h"
#include "ui/Picture.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

class ListsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void init() {
        m_platform = std::make_unique<FakePlatform>();
        m_platform->currentDir = path("cwd");
        m_platform->driveTable = {{QStringLiteral("/"), QString()},
                                  {path("usb"), QStringLiteral("STICK")},
                                  {path("floppy"), QString()}};
        m_platform->notReady = {path("floppy")};
    }

    void driveListChangesOnlyOnARealChange() {
        ui::DriveListBox drives(nullptr, *m_platform);
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

    void directoryListShowsChainThenUnopenedSubfolders() {
        ui::DirListBox list(nullptr, *m_platform);
        QCOMPARE(list.path(), path("cwd"));
        QTreeWidgetItem *current = list.currentItem();
        QCOMPARE(current->text(0), QStringLiteral("cwd"));
        QCOMPARE(childrenOf(current), QStringList({"A", "b", "c"}));
        QCOMPARE(current->child(2)->childCount(), 0);
        // The chain above leads up to the root of the drive, one level each.
        QStringList chain;
        for (QTreeWidgetItem *item = current; item; item = item->parent())
            chain.prepend(item->text(0));
        QCOMPARE(chain, QStringList{"/"} + path("cwd").split(QChar('/'), Qt::SkipEmptyParts));
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
        QCOMPARE(childrenOf(list.currentItem()), QStringList{"deeper"});
    }

    void setPathOpensTheDrivesCurrentDirectoryOrFailsKeepingTheList() {
        ui::DirListBox list(nullptr, *m_platform);
        // A drive designation opens the process's directory when it lies on
        // that drive, else the drive's root.
        list.setPath(path("usb"));
        QCOMPARE(list.path(), path("usb"));
        list.setPath(QStringLiteral("/"));
        QCOMPARE(list.path(), path("cwd"));
        m_platform->currentDir = path("usb/docs");
        list.setPath(QStringLiteral("/"));
        QCOMPARE(list.path(), QStringLiteral("/"));

        QCOMPARE(errorOf(list, path("floppy")), ui::ErrDeviceUnavailable);
        QCOMPARE(errorOf(list, path("cwd/missing")), ui::ErrPathNotFound);
        QCOMPARE(list.path(), QStringLiteral("/"));
        m_platform->notReady.clear();
        list.setPath(path("floppy"));
        QCOMPARE(list.path(), path("floppy"));
    }

    void droppingAPictureRaisesTheDropEventInTwipsAfterTheDrag() {
        ui::Picture target(nullptr);
        target.setAcceptsDraggedPictures(true);
        QSignalSpy drops(&target, &ui::Picture::dragDrop);
        QMimeData foreign;
        foreign.setText(QStringLiteral("/etc/passwd"));
        QMimeData picture;
        picture.setData(ui::Picture::mimeType(), "Image1");

        QDropEvent ignored(QPointF(4, 4), Qt::MoveAction, &foreign, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &ignored);
        QDragEnterEvent enter(QPoint(10, 20), Qt::MoveAction, &picture, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 20), Qt::MoveAction, &picture, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &dropped);
        QCOMPARE(drops.count(), 0);
        QTRY_COMPARE(drops.count(), 1);
        QCOMPARE(drops.at(0).at(1).toFloat(), 150.0f);
        QCOMPARE(drops.at(0).at(2).toFloat(), 300.0f);
    }

private:
    QString path(const char *relative) const { return m_tree.path(QString::fromLatin1(relative)); }
    static QStringList childrenOf(QTreeWidgetItem *item) {
        QStringList names;
        for (int i = 0; i < item->childCount(); ++i)
            names << item->child(i)->text(0);
        return names;
    }
    static int errorOf(ui::DirListBox &list, const QString &target) {
        try {
            list.setPath(target);
        } catch (const ui::Error &error) {
            return error.number();
        }
        return 0;
    }

    ScratchTree m_tree{"cwd/b", "cwd/A", "cwd/c/deeper", "usb/docs", "floppy"};
    std::unique_ptr<FakePlatform> m_platform;
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
