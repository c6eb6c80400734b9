// Choosing the destination drive on the main window, with drives that are
// not ready.

#include "FakePlatform.h"

#include "app/StartUp.h"
#include "extract/Form2.h"
#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString NotReady = QStringLiteral("ドライブの準備ができていません") + QChar(13) +
                         QStringLiteral("再読み込みしますか？");

} // namespace

class DestinationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        setUpTestApplication();
        QVERIFY(m_temp.isValid());
        for (const char *folder : {"cwd", "prog/bin", "data/work", "floppy/disk"})
            QVERIFY(QDir(m_temp.path()).mkpath(QString::fromLatin1(folder)));
    }

    void init() {
        m_program = std::make_unique<FakeProgram>();
        FakePlatform &platform = m_program->platform;
        platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        platform.currentDir = path("cwd");
        platform.programDir = path("prog/bin");
        platform.driveTable.append({path("data"), {}, true});
        platform.driveTable.append({path("floppy"), {}, false});
        startProgram(m_program->services);
        m_form2 = &m_program->services.window<Form2>();
    }

    void retryUntilTheDriveIsReady() {
        FakePlatform &platform = m_program->platform;
        platform.answers = {ui::MessageBoxOk, ui::MessageBoxOk};
        platform.onMessageBox = [&](int box) {
            if (box == 2)
                platform.setReady(path("floppy"), true); // a disk goes in
        };
        choose(path("floppy"));
        QCOMPARE(platform.messageBoxes.size(), 2);
        for (const FakePlatform::MessageBoxCall &call : platform.messageBoxes) {
            QCOMPARE(call.text, NotReady);
            QCOMPARE(call.style, ui::StyleExclamationOkCancel);
            QCOMPARE(call.title, QStringLiteral("エラーメッセージ"));
        }
        QCOMPARE(m_form2->Dir4().path(), path("floppy"));
        QCOMPARE(m_form2->Drive4().drive(), path("floppy"));
    }

    void cancelGoesBackToTheProgramsDrive() {
        choose(path("data"));
        QCOMPARE(m_form2->Dir4().path(), path("data"));
        QString listedDuringBox;
        m_program->platform.onMessageBox = [&](int) { listedDuringBox = m_form2->Dir4().path(); };
        choose(path("floppy"));
        QCOMPARE(listedDuringBox, path("data"));
        QCOMPARE(m_program->platform.messageBoxes.size(), 1);
        QCOMPARE(m_form2->Drive4().drive(), QStringLiteral("/"));
        QCOMPARE(m_form2->Dir4().path(), path("cwd"));
    }

    void cancelOnTheProgramsOwnDriveKeepsTheList() {
        FakeProgram program;
        program.platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        program.platform.currentDir = path("cwd");
        program.platform.programDir = path("floppy/disk");
        program.platform.driveTable.append({path("floppy"), {}, true});
        startProgram(program.services);
        Form2 &form2 = program.services.window<Form2>();
        QCOMPARE(form2.Dir4().path(), path("floppy"));

        form2.Drive4().setCurrentIndex(form2.Drive4().findData(QStringLiteral("/")));
        QCOMPARE(form2.Dir4().path(), path("cwd"));
        program.platform.setReady(path("floppy"), false);
        form2.Drive4().setCurrentIndex(form2.Drive4().findData(path("floppy")));
        QCOMPARE(program.platform.messageBoxes.size(), 1);
        QCOMPARE(form2.Drive4().drive(), path("floppy"));
        QCOMPARE(form2.Dir4().path(), path("cwd"));
    }

private:
    QString path(const char *relative) const {
        return QDir(m_temp.path()).filePath(QString::fromLatin1(relative));
    }
    void choose(const QString &root) {
        m_form2->Drive4().setCurrentIndex(m_form2->Drive4().findData(root));
    }

    QTemporaryDir m_temp;
    std::unique_ptr<FakeProgram> m_program;
    Form2 *m_form2 = nullptr;
};

QTEST_MAIN(DestinationTest)
#include "destination_test.moc"
