// SPDX-License-Identifier: MIT
// Choosing the destination on the main window: drives that are not ready and
// the new-folder dialog.

#include "FakePlatform.h"

#include "extract/Form1.h"
#include "extract/Form2.h"
#include "ui/CommandButton.h"
#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

const QString ErrorTitle = QStringLiteral("エラーメッセージ");
const QString NotReady = QStringLiteral("ドライブの準備ができていません") + QChar(13) +
                         QStringLiteral("再読み込みしますか？");
const QString Retype = QChar(13) + QStringLiteral("再入力してください。");
const QString InvalidPath = QStringLiteral("パスが無効です。") + Retype;
const QString Unknown = QStringLiteral("不明なエラーです。") + Retype;

} // namespace

class DestinationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void init() {
        m_tree = std::make_unique<ScratchTree>(
            std::initializer_list<const char *>{"cwd/old", "prog/bin", "data", "floppy/disk"});
        start("prog/bin", false);
    }

    void retryUntilTheDriveIsReady() {
        FakePlatform &platform = m_program->platform;
        platform.answers = {ui::kMessageBoxOk, ui::kMessageBoxOk};
        platform.onMessageBox = [&](int box) {
            if (box == 2)
                platform.notReady.clear(); // a disk goes in
        };
        choose(path("floppy"));
        QCOMPARE(platform.messageTexts(), QStringList({NotReady, NotReady}));
        QCOMPARE(platform.messageBoxes[1].style, ui::kStyleExclamationOkCancel);
        QCOMPARE(platform.messageBoxes[1].title, ErrorTitle);
        QCOMPARE(m_form2->Dir4().path(), path("floppy"));
        QCOMPARE(m_form2->Drive4().drive(), path("floppy"));
    }

    void cancelGoesBackToTheProgramsDrive() {
        choose(path("data"));
        QString listedDuringBox;
        m_program->platform.onMessageBox = [&](int) { listedDuringBox = m_form2->Dir4().path(); };
        choose(path("floppy"));
        QCOMPARE(listedDuringBox, path("data"));
        QCOMPARE(m_program->platform.messageBoxes.size(), 1);
        QCOMPARE(m_form2->Drive4().drive(), QStringLiteral("/"));
        QCOMPARE(m_form2->Dir4().path(), path("cwd"));
    }

    void cancelOnTheProgramsOwnDriveKeepsTheList() {
        // Started from a drive that is not the process's: its root is listed.
        start("floppy/disk", true);
        QCOMPARE(m_form2->Drive4().drive(), path("floppy"));
        QCOMPARE(m_form2->Dir4().path(), path("floppy"));
        QVERIFY(m_program->platform.messageBoxes.isEmpty());
        choose(QStringLiteral("/"));
        m_program->platform.notReady = {path("floppy")};
        choose(path("floppy"));
        QCOMPARE(m_program->platform.messageBoxes.size(), 1);
        QCOMPARE(m_form2->Drive4().drive(), path("floppy"));
        QCOMPARE(m_form2->Dir4().path(), path("cwd"));
    }

    void newFolderUnderARootDoesNotDoubleTheSeparator() {
        m_program->platform.currentDir = QStringLiteral("/");
        m_form2->Dir4().setPath(QStringLiteral("/"));
        Form1 &form1 = openNewFolder();
        QCOMPARE(form1.Text2().text(), QStringLiteral("/"));
        // Nothing is written to the real root: the parent is refused as read-only.
        m_program->platform.createErrors[QStringLiteral("/new")] = EROFS;
        create(form1, QStringLiteral("new"));
        QCOMPARE(m_program->platform.createdPaths, QStringList{"/new"});
        QCOMPARE(m_program->platform.messageTexts(), QStringList{InvalidPath});
    }

    void refusedNewFolderKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name") << QString() << 0 << InvalidPath;
        QTest::newRow("existing name") << QStringLiteral("old") << 0 << InvalidPath;
        QTest::newRow("disk full") << QStringLiteral("full") << ENOSPC << Unknown;
    }

    void refusedNewFolderKeepsTheDialogOpen() {
        QFETCH(QString, name);
        QFETCH(int, error);
        QFETCH(QString, message);
        if (error)
            m_program->platform.createErrors[path("cwd/") + name] = error;
        Form1 &form1 = openNewFolder();
        create(form1, name);
        QCOMPARE(m_program->platform.messageTexts(), QStringList{message});
        QCOMPARE(m_program->platform.messageBoxes[0].style, ui::kStyleExclamationOk);
        QCOMPARE(m_program->platform.messageBoxes[0].title, ErrorTitle);
        QVERIFY(form1.isVisible() && !m_form2->isEnabled());
        QCOMPARE(form1.Text1().text(), name);
        QCOMPARE(m_form2->Dir4().path(), path("cwd"));
        QCOMPARE(QDir(path("cwd")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"old"});
    }

    void newFolderIsCreatedAndSelectedAfterCancelAndCloseChangedNothing() {
        for (bool viaClose : {false, true}) {
            start("prog/bin", false);
            Form1 &form1 = openNewFolder();
            QVERIFY(!m_form2->isEnabled());
            QCOMPARE(form1.Label2().text(), path("cwd"));
            form1.Text1().setText(QStringLiteral("新しいフォルダ"));
            if (viaClose)
                form1.close();
            else
                form1.Command2().click();
            QVERIFY(!form1.isVisible() && m_form2->isEnabled());
            QCOMPARE(m_form2->Dir4().path(), path("cwd"));
            QVERIFY(m_program->platform.createdPaths.isEmpty());
        }
        // A second opening keeps the typed name, takes the parent listed now
        // and leaves the main window enabled.
        m_form2->Dir4().setPath(path("cwd/old"));
        Form1 &form1 = openNewFolder();
        QCOMPARE(form1.Text2().text(), path("cwd/old"));
        QVERIFY(m_form2->isEnabled());
        form1.Command1().click();
        QVERIFY(QFileInfo(path("cwd/old/新しいフォルダ")).isDir());
        QCOMPARE(m_form2->Dir4().path(), path("cwd/old/新しいフォルダ"));
        QVERIFY(m_form2->isEnabled() && !form1.isVisible());
        QVERIFY(m_program->platform.messageBoxes.isEmpty());
    }

    // A drive unmounted while selected is a drive that is not ready, once a
    // reading of the list finds it gone and the user picks no other.
    void aVanishedDriveIsNotReady_data() {
        QTest::addColumn<QString>("vanished");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("chosen"); // the drive Drive4 ends on
        QTest::addColumn<int>("boxes");
        QTest::newRow("list opened and dismissed") << u"data"_s << u"open"_s << u"/"_s << 2;
        QTest::newRow("down at the end of the list") << u"floppy"_s << u"down"_s << u"/"_s << 2;
        QTest::newRow("up onto another drive") << u"data"_s << u"up"_s << u"/"_s << 0;
        QTest::newRow("another drive picked") << u"data"_s << u"pick"_s << u"floppy"_s << 0;
    }

    void aVanishedDriveIsNotReady() {
        QFETCH(QString, vanished);
        QFETCH(QString, how);
        QFETCH(QString, chosen);
        QFETCH(int, boxes);
        start("prog/bin", true);
        FakePlatform &platform = m_program->platform;
        ui::DriveListBox &drive4 = m_form2->Drive4();
        choose(path(vanished));
        QCOMPARE(m_form2->Dir4().path(), path(vanished));
        platform.driveTable.removeIf([&](const ui::Drive &d) { return d.root == path(vanished); });
        // Retry once, then Cancel.
        platform.answers = {ui::kMessageBoxOk};
        QStringList shownDuringBox;
        platform.onMessageBox = [&](int) { shownDuringBox << drive4.currentData().toString(); };
        if (how == u"open"_s) {
            drive4.showPopup();
            drive4.hidePopup();
        } else if (how == u"pick"_s) {
            drive4.showPopup();
            drive4.hidePopup();
            choose(path(u"floppy"_s));
        } else {
            QTest::keyClick(&drive4, how == u"down"_s ? Qt::Key_Down : Qt::Key_Up);
        }
        QTest::qWait(20);
        QCOMPARE(platform.messageTexts(), QStringList(boxes, NotReady));
        // While the box asks, the list shows the drive it asks about.
        QCOMPARE(shownDuringBox, QStringList(boxes, path(vanished)));
        const QString root = chosen == u"/"_s ? chosen : path(chosen);
        QCOMPARE(drive4.drive(), root);
        QCOMPARE(drive4.currentData().toString(), root);
        QCOMPARE(m_form2->Dir4().path(), chosen == u"/"_s ? path(u"cwd"_s) : root);
    }

    // Stepping through the closed list reads the mounts again.
    void arrowKeysReachADriveMountedMeanwhile() {
        m_program->platform.notReady.clear();
        choose(path(u"floppy"_s));
        m_program->platform.driveTable << ui::Drive{path(u"usb"_s), {}};
        QVERIFY(QDir().mkpath(path(u"usb"_s)));
        QTest::keyClick(&m_form2->Drive4(), Qt::Key_Down);
        QCOMPARE(m_form2->Drive4().drive(), path(u"usb"_s));
        QCOMPARE(m_form2->Dir4().path(), path(u"usb"_s));
    }

private:
    QString path(const QString &relative) const { return m_tree->path(relative); }
    // The program started on an archive, installed in programDir; the process's
    // directory is cwd on "/", beside a ready drive "data" and a "floppy".
    void start(const char *programDir, bool floppyReady) {
        m_program = std::make_unique<FakeProgram>();
        FakePlatform &platform = m_program->platform;
        platform.currentDir = path("cwd");
        platform.programDir = path(QString::fromLatin1(programDir));
        platform.driveTable << ui::Drive{path("data"), {}} << ui::Drive{path("floppy"), {}};
        if (!floppyReady)
            platform.notReady = {path("floppy")};
        m_program->start(QStringLiteral("/arc/DATA.LZH"));
        m_form2 = &m_program->services.window<Form2>();
        m_form2->Show();
    }
    void choose(const QString &root) {
        m_form2->Drive4().setCurrentIndex(m_form2->Drive4().findData(root));
    }
    Form1 &openNewFolder() {
        m_form2->Command1().click();
        return m_program->services.window<Form1>();
    }
    static void create(Form1 &form1, const QString &name) {
        form1.Text1().setText(name);
        form1.Command1().click();
    }

    std::unique_ptr<ScratchTree> m_tree;
    std::unique_ptr<FakeProgram> m_program;
    Form2 *m_form2 = nullptr;
};

QTEST_MAIN(DestinationTest)
#include "destination_test.moc"
