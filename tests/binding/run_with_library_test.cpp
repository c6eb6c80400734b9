// The extraction run against the recording stand-in library: what it hands
// to the library, in which order, and what the user sees afterwards.
#include "extract/ExtractionRun.h"
#include "run_fixture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>

using namespace Qt::StringLiterals;

namespace {

QString standinCalls() {
    void *handle = ::dlopen("libunlha32.so", RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
        return QStringLiteral("(stand-in not loaded)");
    auto calls = reinterpret_cast<const char *(*)()>(::dlsym(handle, "StandinCalls"));
    const QString text = QString::fromUtf8(calls());
    ::dlclose(handle);
    return text;
}

// Clears the record and sets what Unlha returns. Before the first run the
// stand-in is not loaded yet and starts clean, returning 0.
void resetStandin(int result) {
    void *handle = ::dlopen("libunlha32.so", RTLD_NOW);
    reinterpret_cast<void (*)(int)>(::dlsym(handle, "StandinReset"))(result);
    ::dlclose(handle);
}

QString expectedCalls(RunFixture &run, const QString &command) {
    return QStringLiteral("UnlhaGetVersion\nUnlha hwnd=%1 command=[%2] out=[] size=0\n")
        .arg(run.form2().hWnd())
        .arg(command);
}

} // namespace

class RunWithLibrary : public QObject {
    Q_OBJECT

private slots:
    void commandNamesArchiveAndDestination_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("folder"); // under a scratch folder; empty: the root
        QTest::addColumn<QString>("expectedTail");

        QTest::newRow("ordinary") << "/home/u/DATA.LZH"
                                  << "WORK"
                                  << "WORK/";
        QTest::newRow("root") << "/home/u/DATA.LZH"
                              << ""
                              << "//";
        QTest::newRow("blanks") << "/home/u/my files/OLD DATA.LZH"
                                << "new folder"
                                << "new folder/";
        QTest::newRow("quotes") << "\"/home/u/my files/DATA.LZH\""
                                << "a \"b\""
                                << "a \"b\"/";
        QTest::newRow("japanese") << "/home/u/資料/データ.LZH"
                                  << "解凍先"
                                  << "解凍先/";
    }

    void commandNamesArchiveAndDestination() {
        QFETCH(QString, archive);
        QFETCH(QString, folder);
        QFETCH(QString, expectedTail);
        QTemporaryDir scratch;
        QString destination = QStringLiteral("/");
        QString expectedDestination = QStringLiteral("/");
        if (!folder.isEmpty()) {
            QVERIFY(QDir(scratch.path()).mkpath(folder));
            destination = scratch.path() + u'/' + folder;
            expectedDestination = scratch.path() + u'/';
        }
        RunFixture run;
        resetStandin(0);
        run.drop(archive, destination);
        const QString command = u"e "_s + archive + u' ' +
                                (folder.isEmpty() ? QString() : expectedDestination) + expectedTail;
        QCOMPARE(standinCalls(), expectedCalls(run, command));
    }

    void noticeFollowsAnyResult_data() {
        QTest::addColumn<int>("result");
        QTest::newRow("success") << 0;
        QTest::newRow("damaged") << 4;
        QTest::newRow("cancelled") << 7;
        QTest::newRow("unknown code") << -12345;
    }

    void noticeFollowsAnyResult() {
        QFETCH(int, result);
        RunFixture run;
        resetStandin(result);
        run.drop(QStringLiteral("/home/u/DATA.LZH"), QStringLiteral("/"));

        QVERIFY(standinCalls().startsWith(u"UnlhaGetVersion\nUnlha "_s));
        QVERIFY(RunFixture::noticeShown());
        QVERIFY(!run.form2().isEnabled()); // the notice disables the main window
        QVERIFY(!run.platform().exited);
        const auto &boxes = run.platform().boxes;
        if (result == 0) {
            QVERIFY(boxes.empty());
            return;
        }
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].style, 48);
        QCOMPARE(boxes[0].title, u"エラーメッセージ"_s);
        QCOMPARE(boxes[0].text, ExtractionRun::failureMessage(result));
        QVERIFY(!boxes[0].noticeAlreadyShown);
    }

    void eachCauseHasItsOwnMessage() {
        QStringList messages;
        for (int code = 1; code <= 10; ++code) {
            const QString message = ExtractionRun::failureMessage(code);
            const auto parts = message.split(QChar(13));
            QCOMPARE(parts.size(), 2);
            QVERIFY(!parts[0].isEmpty() && !parts[1].isEmpty());
            QVERIFY2(!messages.contains(parts[0]), qPrintable(parts[0]));
            messages << parts[0];
        }
    }
};

QTEST_MAIN(RunWithLibrary)
#include "run_with_library_test.moc"
