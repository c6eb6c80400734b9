// SPDX-License-Identifier: MIT
// The drive list, the directory list and dropping one picture on another.

#include "FakePlatform.h"

#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/Error.h"
#include "ui/PathLabel.h"
#include "ui/Picture.h"

#include <QBitmap>
#include <QHelpEvent>
#include <QToolTip>

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

    void enterOpensTheHighlightedFolderArrowsOnlyHighlight() {
        ui::DirListBox list(nullptr, *m_platform);
        QCOMPARE(list.focusPolicy(), Qt::StrongFocus);
        list.show();
        QTest::keyClick(&list, Qt::Key_Down); // to A
        QTest::keyClick(&list, Qt::Key_End);  // to c
        QCOMPARE(list.currentItem()->text(0), QStringLiteral("c"));
        QCOMPARE(list.path(), path("cwd"));
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(list.path(), path("cwd/c"));
        // Up the chain: the parent folder, by keyboard too.
        QTest::keyClick(&list, Qt::Key_Up);
        QTest::keyClick(&list, Qt::Key_Enter);
        QCOMPARE(list.path(), path("cwd"));
    }

    void driveListIsReadAgainWhenOpened() {
        ui::DriveListBox drives(nullptr, *m_platform);
        drives.setDrive(path("usb"));
        QSignalSpy changes(&drives, &ui::DriveListBox::change);
        m_platform->driveTable = {{QStringLiteral("/"), QString()},
                                  {path("cdrom"), QStringLiteral("DISC")},
                                  {path("usb"), QStringLiteral("STICK")}};
        QCOMPARE(drives.count(), 3);
        QCOMPARE(drives.findData(path("cdrom")), -1); // not yet read
        drives.showPopup();
        drives.hidePopup();
        QCOMPARE(drives.findData(path("cdrom")), 1);
        QCOMPARE(drives.findData(path("floppy")), -1); // gone
        QCOMPARE(drives.drive(), path("usb"));
        QCOMPARE(drives.currentData().toString(), path("usb"));
        QVERIFY(drives.isDriveMounted());
        QCOMPARE(changes.count(), 0); // re-reading is no choice

        m_platform->driveTable.removeLast(); // the stick is pulled
        QVERIFY(!drives.isDriveMounted());
        QCOMPARE(drives.drive(), path("usb"));
        // A drive mounted since the last reading can be set without opening.
        m_platform->driveTable.append({path("floppy"), QString()});
        drives.setDrive(path("floppy"));
        QCOMPARE(drives.drive(), path("floppy"));
        QCOMPARE(changes.count(), 1);
    }

    void floppyTakesTheKeyboardAndSpaceOrEnterDrags() {
        ui::Picture floppy(nullptr);
        ui::Picture decoration(nullptr);
        QCOMPARE(decoration.focusPolicy(), Qt::NoFocus);
        floppy.setAutomaticDrag(QStringLiteral(":/images/floppy-tilted.svg"));
        QCOMPARE(floppy.focusPolicy(), Qt::TabFocus);
        QSignalSpy drags(&floppy, &ui::Picture::keyboardDrag);
        QSignalSpy ignored(&decoration, &ui::Picture::keyboardDrag);
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A}) {
            QTest::keyClick(&floppy, key);
            QTest::keyClick(&decoration, key);
        }
        QCOMPARE(drags.count(), 0); // after the key event, like a drop
        QTRY_COMPARE(drags.count(), 3);
        QCOMPARE(ignored.count(), 0);
    }

    void dragImageIsMaskedToTheFloppysShape() {
        ui::Picture floppy(nullptr);
        floppy.resize(65, 65);
        floppy.setAutomaticDrag(QStringLiteral(":/images/floppy-tilted.svg"));
        const QPixmap image = floppy.dragPixmap();
        const QImage mask = image.mask().toImage();
        QVERIFY(!mask.isNull());
        // Tilted by 45 degrees, the disk leaves the corners free and covers
        // the middle.
        const QPoint middle(mask.width() / 2, mask.height() / 2);
        QCOMPARE(mask.pixelIndex(0, 0), mask.pixelIndex(mask.width() - 1, mask.height() - 1));
        QVERIFY(mask.pixelIndex(0, 0) != mask.pixelIndex(middle));
    }

    void pathsKeepTheirFileNameWhenCut_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("width"); // in characters of the font's average width
        QTest::newRow("fits") << QStringLiteral("/a/b.LZH") << 40;
        QTest::newRow("long folder")
            << QStringLiteral("/home/user/ダウンロード/古い資料/見本 アーカイブ.LZH") << 45;
        QTest::newRow("name alone too wide")
            << QStringLiteral("/x/とても長い名前のアーカイブファイルです.LZH") << 16;
        QTest::newRow("no folder")
            << QStringLiteral("とても長い名前のアーカイブファイルです.LZH") << 16;
    }

    void pathsKeepTheirFileNameWhenCut() {
        QFETCH(QString, path);
        QFETCH(int, width);
        const QFontMetrics metrics(QApplication::font());
        const int pixels = width * metrics.averageCharWidth();
        const QString shown = ui::elidePath(path, metrics, pixels);
        QVERIFY2(metrics.horizontalAdvance(shown) <= pixels, qPrintable(shown));
        const QString name = path.section(QChar('/'), -1);
        if (metrics.horizontalAdvance(path) <= pixels)
            QCOMPARE(shown, path);
        else if (metrics.horizontalAdvance(name) < pixels / 2)
            QVERIFY2(shown.endsWith(name) && shown.startsWith(QChar('/')), qPrintable(shown));
        else
            QVERIFY2(shown.endsWith(QStringLiteral(".LZH")), qPrintable(shown));
        // Nothing is cut in the middle of a character pair.
        for (qsizetype i = 0; i < shown.size(); ++i)
            QVERIFY(!shown.at(i).isHighSurrogate() ||
                    (i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate()));
    }

    void pathLabelKeepsTheWholeCaptionAndShowsItAsTooltip() {
        ui::PathLabel label;
        label.resize(120, 20);
        const QString path = QStringLiteral("/home/user/ダウンロード/古い資料/見本 アーカイブ.LZH");
        label.setText(path);
        label.show();
        QCOMPARE(label.text(), path);
        QVERIFY(label.shownText() != path);
        QVERIFY(label.shownText().endsWith(QStringLiteral("アーカイブ.LZH")));
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&label, &help);
        QTRY_COMPARE(QToolTip::text(), path);
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

        QCOMPARE(errorOf(list, path("floppy")), ui::kErrDeviceUnavailable);
        QCOMPARE(errorOf(list, path("cwd/missing")), ui::kErrPathNotFound);
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
