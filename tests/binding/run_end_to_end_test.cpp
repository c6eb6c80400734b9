// The real run, the real library found through the executable's RUNPATH
// ($ORIGIN/../lib/hokora, as the program has it), real archives.
#include "extract/ExtractionRun.h"
#include "run_fixture.h"
#include "unlha32.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Relative path → content ("<dir>" for folders) of everything under root.
QMap<QString, QByteArray> treeOf(const QString &root) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(root).relativeFilePath(info.filePath());
        if (info.isDir()) {
            tree[name] = "<dir>";
        } else {
            QFile file(info.filePath());
            tree[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
        }
    }
    return tree;
}

} // namespace

class RunEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void sampleArchiveComesOutByteForByte() {
        QTemporaryDir scratch;
        // Blanks and Japanese in both paths, as users have them.
        const QString archiveFolder = scratch.path() + u"/受け取った ファイル"_s;
        const QString destination = scratch.path() + u"/解凍 先"_s;
        QVERIFY(QDir().mkpath(archiveFolder) && QDir().mkpath(destination));
        const QString archive = archiveFolder + u"/SAMPLE.LZH"_s;
        QVERIFY(QFile::copy(QStringLiteral(HOKORA_SAMPLES_DIR "/SAMPLE.LZH"), archive));

        RunFixture run;
        run.drop(archive, destination);
        QVERIFY(run.platform().boxes.empty());
        QVERIFY(RunFixture::noticeShown());
        const auto expected = treeOf(QStringLiteral(HOKORA_SAMPLES_DIR "/src"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(treeOf(destination), expected);
    }

    void failureIsShownBeforeTheNotice() {
        QTemporaryDir scratch;
        RunFixture run;
        run.drop(scratch.path() + u"/MISSING.LZH"_s, scratch.path());
        const auto &boxes = run.platform().boxes;
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].text, ExtractionRun::failureMessage(UNLHA_ERROR_ARCHIVE_UNREADABLE));
        QVERIFY(!boxes[0].noticeAlreadyShown);
        QVERIFY(RunFixture::noticeShown());
    }
};

QTEST_MAIN(RunEndToEnd)
#include "run_end_to_end_test.moc"
