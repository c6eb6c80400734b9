// SPDX-License-Identifier: MIT
#include "ExtractionRun.h"

#include "unlha32.h"

#include <QStringList>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace ExtractionRun {
namespace {

// How the library's report marks a member that failed: the status word,
// padded to eight columns, then "NAME: cause".
constexpr auto kFailedMark = "failed  "_L1;
constexpr auto kCauseSeparator = ": "_L1;

QString joinLines(const QStringList &lines) {
    return lines.join(QChar(13));
}

QString causeOf(int code) {
    switch (code) {
    case UNLHA_ERROR_COMMAND:
        return u"解凍コマンドが正しくありません。"_s;
    case UNLHA_ERROR_ARCHIVE_UNREADABLE:
        return u"解凍元ファイルが見つからないか、読み込めません。"_s;
    case UNLHA_ERROR_NOT_ARCHIVE:
        return u"解凍元ファイルはＬＨＡ形式ではありません。"_s;
    case UNLHA_ERROR_DAMAGED:
        return u"解凍元ファイルが壊れています。"_s;
    case UNLHA_ERROR_METHOD:
        return u"対応していない圧縮形式のファイルがあります。"_s;
    case UNLHA_ERROR_WRITE:
        return u"解凍先フォルダに書き込めません。"_s;
    case UNLHA_ERROR_CANCELLED:
        return u"解凍を中止しました。"_s;
    case UNLHA_ERROR_EXISTS:
        return u"同じ名前のファイルがあるため、解凍しなかったファイルがあります。"_s;
    case UNLHA_ERROR_UNSAFE_NAME:
        return u"解凍先フォルダの外を指す名前のファイルは解凍しませんでした。"_s;
    }
    return u"解凍中にエラーが発生しました（コード %1）。"_s.arg(code);
}

// The library runs in this process, so it words a system error exactly as
// strerror does here, in this locale.
bool endsWithSystemError(const QString &cause, int error) {
    return cause.endsWith(QString::fromLocal8Bit(std::strerror(error)));
}

bool isDiskFull(const std::optional<FailedMember> &member) {
    return member && (endsWithSystemError(member->cause, ENOSPC) ||
                      endsWithSystemError(member->cause, EDQUOT));
}

} // namespace

QString command(const QString &archive, const QString &destination) {
    return u"e "_s + archive + u' ' + destination + u'/';
}

QString errorTitle() {
    return u"エラーメッセージ"_s;
}

bool isCancel(int code) {
    return code == UNLHA_ERROR_CANCELLED;
}

std::optional<FailedMember> firstFailedMember(const QString &report) {
    for (const QString &line : report.split(QChar('\n'))) {
        if (!line.startsWith(kFailedMark))
            continue;
        const QString rest = line.mid(kFailedMark.size());
        const qsizetype separator = rest.indexOf(kCauseSeparator);
        if (separator < 0)
            return FailedMember{rest, QString()};
        return FailedMember{rest.left(separator), rest.mid(separator + kCauseSeparator.size())};
    }
    return std::nullopt;
}

QString failureMessage(int code, const QString &report) {
    const std::optional<FailedMember> member = firstFailedMember(report);
    QStringList lines;
    const bool diskFull = code == UNLHA_ERROR_WRITE && isDiskFull(member);
    lines << (diskFull ? u"解凍先のディスクの空き容量が足りません。"_s : causeOf(code));
    if (member)
        lines << u"対象ファイル：%1"_s.arg(member->name);
    lines << (diskFull ? u"空き容量を増やしてから、もう一度解凍してください。"_s
                       : u"解凍元ファイルと解凍先フォルダを確認してください。"_s);
    return joinLines(lines);
}

QString libraryMissingMessage() {
    return joinLines({u"解凍ライブラリ（libunlha32.so）が見つかりません。"_s,
                      u"インストールし直してください。"_s});
}

QString runFailedMessage() {
    return joinLines({u"解凍を実行できませんでした。"_s, u"もう一度お試しください。"_s});
}

} // namespace ExtractionRun
