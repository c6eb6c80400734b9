// SPDX-License-Identifier: MIT
// The real run, the real library found through the executable's RUNPATH
// ($ORIGIN/../lib/hokora, as the program has it), the bundled sample.
#include "FakePlatform.h"
#include "app/Form4.h"

#include <QDirIterator>
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

} // namespace

class EndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestApplication(); }

    void sampleComesOutByteForByte() {
        // Blanks and Japanese in both paths, as users have them.
        ScratchTree scratch{"受け取った ファイル", "解凍 先"};
        const QString archive = scratch.path(u"受け取った ファイル/SAMPLE.LZH"_s);
        const QString destination = scratch.path(u"解凍 先"_s);
        QVERIFY(QFile::copy(QStringLiteral(HOKORA_SAMPLES_DIR "/SAMPLE.LZH"), archive));
        FakeProgram program;
        program.drop(archive, destination);
        QVERIFY(program.platform.messageBoxes.isEmpty());
        QVERIFY(existingWindow<Form4>() && existingWindow<Form4>()->isVisible());
        const auto expected = treeOf(QStringLiteral(HOKORA_SAMPLES_DIR "/src"));
        QVERIFY(expected.size() > 3);
        QCOMPARE(treeOf(destination), expected);
    }
};

QTEST_MAIN(EndToEnd)
#include "end_to_end_test.moc"
