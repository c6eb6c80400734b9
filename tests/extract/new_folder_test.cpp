// The new-folder dialog opened from the main window.

#include "FakePlatform.h"

#include "app/StartUp.h"
#include "extract/Form1.h"
#include "extract/Form2.h"
#include "ui/CommandButton.h"
#include "ui/DirListBox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

const QString Retype = QChar(13) + QStringLiteral("再入力してください。");
const QString InvalidPath = QStringLiteral("パスが無効です。") + Retype;
const QString Unknown = QStringLiteral("不明なエラーです。") + Retype;

} // namespace

class NewFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void init() {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_temp->path()).mkpath(QStringLiteral("data/old")));
        m_program = std::make_unique<FakeProgram>();
        m_program->platform.commandLineText = QStringLiteral("/arc/DATA.LZH");
        m_program->platform.currentDir = path("data");
        startProgram(m_program->services);
        m_form2 = &m_program->services.window<Form2>();
        m_form2->Show();
    }

    void createsUnderANonRootParentAndSelectsIt() {
        Form1 &form1 = open();
        QVERIFY(!m_form2->isEnabled());
        QCOMPARE(form1.Label2().text(), path("data"));
        create(form1, QStringLiteral("新しいフォルダ"));
        QVERIFY(QFileInfo(path("data/新しいフォルダ")).isDir());
        QCOMPARE(m_form2->Dir4().path(), path("data/新しいフォルダ"));
        QVERIFY(m_form2->isEnabled());
        QVERIFY(!form1.isVisible());
        QVERIFY(m_program->platform.messageBoxes.isEmpty());
    }

    void createsUnderARootWithoutDoublingTheSeparator() {
        m_program->platform.currentDir = QStringLiteral("/");
        m_form2->Dir4().setPath(QStringLiteral("/"));
        Form1 &form1 = open();
        QCOMPARE(form1.Text2().text(), QStringLiteral("/"));
        // Nothing is written to the real root: the parent is refused as read-only.
        m_program->platform.createErrors[QStringLiteral("/new")] = EROFS;
        create(form1, QStringLiteral("new"));
        QCOMPARE(m_program->platform.createdPaths, QStringList{"/new"});
        QCOMPARE(messages(), QStringList{InvalidPath});
    }

    void refusedNamesKeepTheDialogOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name") << QString() << 0 << InvalidPath;
        QTest::newRow("existing name") << QStringLiteral("old") << 0 << InvalidPath;
        QTest::newRow("disk full") << QStringLiteral("full") << ENOSPC << Unknown;
    }

    void refusedNamesKeepTheDialogOpen() {
        QFETCH(QString, name);
        QFETCH(int, error);
        QFETCH(QString, message);
        if (error)
            m_program->platform.createErrors[path("data/") + name] = error;
        Form1 &form1 = open();
        create(form1, name);
        QCOMPARE(messages(), QStringList{message});
        QCOMPARE(m_program->platform.messageBoxes.first().style, ui::StyleExclamationOk);
        QCOMPARE(m_program->platform.messageBoxes.first().title,
                 QStringLiteral("エラーメッセージ"));
        QVERIFY(form1.isVisible());
        QCOMPARE(form1.Text1().text(), name);
        QVERIFY(!m_form2->isEnabled());
        QCOMPARE(m_form2->Dir4().path(), path("data"));
        QCOMPARE(QDir(path("data")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"old"});
    }

    void cancelAndCloseChangeNothing() {
        for (bool viaClose : {false, true}) {
            Form1 &form1 = open();
            form1.Text1().setText(QStringLiteral("unused"));
            if (viaClose)
                form1.close();
            else
                form1.Command2().click();
            QVERIFY(!form1.isVisible());
            QVERIFY(m_form2->isEnabled());
            QCOMPARE(m_form2->Dir4().path(), path("data"));
            QVERIFY(m_program->platform.createdPaths.isEmpty());
        }
    }

    void secondOpeningKeepsTheNameAndTheMainWindowEnabled() {
        Form1 &form1 = open();
        form1.Text1().setText(QStringLiteral("typed"));
        form1.Command2().click();
        m_form2->Dir4().setPath(path("data/old"));
        open();
        QCOMPARE(form1.Text1().text(), QStringLiteral("typed"));
        QCOMPARE(form1.Label2().text(), path("data/old"));
        QCOMPARE(form1.Text2().text(), path("data/old"));
        QVERIFY(m_form2->isEnabled());
        create(form1, QStringLiteral("typed"));
        QCOMPARE(m_form2->Dir4().path(), path("data/old/typed"));
    }

private:
    QString path(const QString &relative) const { return m_temp->filePath(relative); }
    QString path(const char *relative) const { return path(QString::fromUtf8(relative)); }
    Form1 &open() {
        m_form2->Command1().click();
        return m_program->services.window<Form1>();
    }
    static void create(Form1 &form1, const QString &name) {
        form1.Text1().setText(name);
        form1.Command1().click();
    }
    QStringList messages() const {
        QStringList texts;
        for (const FakePlatform::MessageBoxCall &call : m_program->platform.messageBoxes)
            texts << call.text;
        return texts;
    }

    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<FakeProgram> m_program;
    Form2 *m_form2 = nullptr;
};

QTEST_MAIN(NewFolderTest)
#include "new_folder_test.moc"
