// SPDX-License-Identifier: MIT
// What the user reads when the extraction run fails: the cause by the
// library's code, the member the library's report names, and what to do.
#include "extract/ExtractionRun.h"

#include "unlha32.h"

#include <QTest>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

const QString Check = u"解凍元ファイルと解凍先フォルダを確認してください。"_s;

QString lines(std::initializer_list<QString> parts) {
    return QStringList(parts).join(QChar(13));
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

class MessagesTest : public QObject {
    Q_OBJECT

private slots:
    void failureMessage_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("message");
        const QString damaged = u"failed  docs/説明.txt: CRC mismatch\nresult 4: damaged\n"_s;
        QTest::newRow("damaged member named") << int(UNLHA_ERROR_DAMAGED) << damaged
                                              << lines({u"解凍元ファイルが壊れています。"_s,
                                                        u"対象ファイル：docs/説明.txt"_s, Check});
        QTest::newRow("no report") << int(UNLHA_ERROR_DAMAGED) << QString()
                                   << lines({u"解凍元ファイルが壊れています。"_s, Check});
        QTest::newRow("archive-level failure names no member")
            << int(UNLHA_ERROR_NOT_ARCHIVE) << u"no header found\nresult 3: not\n"_s
            << lines({u"解凍元ファイルはＬＨＡ形式ではありません。"_s, Check});
        QTest::newRow("first failure of several, after a good member")
            << int(UNLHA_ERROR_METHOD)
            << u"ok      a.txt\nfailed  b.bin: unknown method -lhx-\nfailed  c.bin: x\n"_s
            << lines({u"対応していない圧縮形式のファイルがあります。"_s, u"対象ファイル：b.bin"_s,
                      Check});
        QTest::newRow("disk full")
            << int(UNLHA_ERROR_WRITE)
            << u"failed  big.bin: cannot write the file: %1\n"_s.arg(systemError(ENOSPC))
            << lines({u"解凍先のディスクの空き容量が足りません。"_s, u"対象ファイル：big.bin"_s,
                      u"空き容量を増やしてから、もう一度解凍してください。"_s});
        QTest::newRow("quota full")
            << int(UNLHA_ERROR_WRITE)
            << u"failed  big.bin: cannot write the file: %1\n"_s.arg(systemError(EDQUOT))
            << lines({u"解凍先のディスクの空き容量が足りません。"_s, u"対象ファイル：big.bin"_s,
                      u"空き容量を増やしてから、もう一度解凍してください。"_s});
        QTest::newRow("no permission is no full disk")
            << int(UNLHA_ERROR_WRITE)
            << u"failed  a/b.txt: cannot create folder \"a\": %1\n"_s.arg(systemError(EACCES))
            << lines({u"解凍先フォルダに書き込めません。"_s, u"対象ファイル：a/b.txt"_s, Check});
        QTest::newRow("unknown code")
            << -12345 << QString()
            << lines({u"解凍中にエラーが発生しました（コード -12345）。"_s, Check});
    }

    void failureMessage() {
        QFETCH(int, code);
        QFETCH(QString, report);
        QFETCH(QString, message);
        QCOMPARE(ExtractionRun::failureMessage(code, report), message);
    }

    void everyCauseEndsInAFullStop() {
        for (int code = UNLHA_ERROR_COMMAND; code <= UNLHA_ERROR_UNEXPECTED + 1; ++code) {
            const QString cause = ExtractionRun::failureMessage(code).section(QChar(13), 0, 0);
            QVERIFY2(cause.endsWith(u'。'), qPrintable(cause));
        }
        for (const QString &message :
             {ExtractionRun::libraryMissingMessage(), ExtractionRun::runFailedMessage()})
            QVERIFY(message.section(QChar(13), 0, 0).endsWith(u'。'));
    }

    void onlyTheUsersCancelIsNoError() {
        for (int code = UNLHA_OK; code <= UNLHA_ERROR_UNEXPECTED; ++code)
            QCOMPARE(ExtractionRun::isCancel(code), code == UNLHA_ERROR_CANCELLED);
    }
};

QTEST_GUILESS_MAIN(MessagesTest)
#include "messages_test.moc"
