// The extraction run when the archive library, or its Unlha entry, cannot be
// found: one message box, nothing called, no finished notice, and the main
// window still usable. The test binary runs once with no library on the
// search path and once with a library that lacks Unlha.
#include "extract/ExtractionRun.h"
#include "run_fixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class RunWithoutLibrary : public QObject {
    Q_OBJECT

private slots:
    void runStopsWithAMessage() {
        RunFixture run;
        run.drop(QStringLiteral("/home/u/DATA.LZH"), QStringLiteral("/"));

        const auto &boxes = run.platform().boxes;
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].style, 48);
        QCOMPARE(boxes[0].title, u"エラーメッセージ"_s);
        QCOMPARE(boxes[0].text, ExtractionRun::libraryMissingMessage());
        QVERIFY(!RunFixture::noticeShown());
        QVERIFY(run.form2().isEnabled());
        QVERIFY(run.form2().isVisible());
        QVERIFY(!run.platform().exited);

        // Dropping again tries again and fails the same way.
        run.drop(QStringLiteral("/home/u/DATA.LZH"), QStringLiteral("/"));
        QCOMPARE(boxes.size(), std::size_t(2));
        QVERIFY(!RunFixture::noticeShown());
    }
};

QTEST_MAIN(RunWithoutLibrary)
#include "run_without_library_test.moc"
