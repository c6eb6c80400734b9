// The real run, the real library found through the executable's RUNPATH
// ($ORIGIN/../lib/hokora, as the program has it), the bundled sample.
#include "FakePlatform.h"
#include "app/Form4.h"
#include "extract/Form2.h"
#include "ui/DirListBox.h"
#include "ui/Picture.h"

#include <QDirIterator>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QMap<QString, QByteArray> treeOf(const QString &root) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        tree[QDir(root).relativeFilePath(file.fileName())] =
            QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly) ? "<dir>" : file.readAll();
    }
    return tree;
}

void drop(FakeProgram &program, const QString &archive, const QString &destination) {
    // Started on an archive, the main window loads without another window
    // disabling it.
    program.platform.commandLineText = u"/home/u/START.LZH"_s;
    auto &form2 = program.services.window<Form2>();
    form2.Show();
    form2.Label1().setText(archive);
    form2.Dir4().setPath(destination);
    form2.Image2_DragDrop(&form2.Image1(), 120.0f, 45.0f);
}

} // namespace

class EndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void sampleComesOutByteForByte() {
        QTemporaryDir scratch;
        // Blanks and Japanese in both paths, as users have them.
        const QString archive = scratch.path() + u"/受け取った ファイル/SAMPLE.LZH"_s;
        const QString destination = scratch.path() + u"/解凍 先"_s;
        QVERIFY(QDir().mkpath(QFileInfo(archive).path()) && QDir().mkpath(destination));
        QVERIFY(QFile::copy(QStringLiteral(HOKORA_SAMPLES_DIR "/SAMPLE.LZH"), archive));
        FakeProgram program;
        drop(program, archive, destination);
        QVERIFY(program.platform.messageBoxes.isEmpty());
        QVERIFY(existingWindow<Form4>() && existingWindow<Form4>()->isVisible());
        const auto expected = treeOf(QStringLiteral(HOKORA_SAMPLES_DIR "/src"));
        QVERIFY(expected.size() > 3);
        QCOMPARE(treeOf(destination), expected);
    }
};

QTEST_MAIN(EndToEnd)
#include "end_to_end_test.moc"
