// SPDX-License-Identifier: MIT
#include "failure_list.h"

#include "outcome.h"
#include "unlha32.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace unlha {
namespace {

QString fromEngine(const std::string &text) {
    return QString::fromStdString(lha::printable(text));
}

// The engine runs in this process, so it words a system error exactly as
// strerror does here, in this locale.
bool endsWithSystemError(const std::string &message, int error) {
    return std::string_view(message).ends_with(std::strerror(error));
}

bool isDiskFull(const lha::MemberOutcome &member) {
    return member.error == lha::Error::WriteFailed &&
           (endsWithSystemError(member.message, ENOSPC) ||
            endsWithSystemError(member.message, EDQUOT));
}

// A failure after which the engine stops and lists every member left.
bool stopsTheRun(const lha::MemberOutcome &member) {
    return isDiskFull(member) ||
           (member.error == lha::Error::WriteFailed && endsWithSystemError(member.message, EROFS));
}

bool isFailure(const lha::MemberOutcome &member) {
    return member.error != lha::Error::None && member.error != lha::Error::Cancelled &&
           member.error != lha::Error::Exists;
}

} // namespace

QString causeText(int code) {
    switch (code) {
    case UNLHA_ERROR_COMMAND:
        return QStringLiteral("解凍コマンドが正しくありません。");
    case UNLHA_ERROR_ARCHIVE_UNREADABLE:
        return QStringLiteral("解凍元ファイルが見つからないか、読み込めません。");
    case UNLHA_ERROR_NOT_ARCHIVE:
        return QStringLiteral("解凍元ファイルはＬＨＡ形式ではありません。");
    case UNLHA_ERROR_DAMAGED:
        return QStringLiteral("解凍元ファイルが壊れています。");
    case UNLHA_ERROR_METHOD:
        return QStringLiteral("対応していない圧縮形式のファイルがあります。");
    case UNLHA_ERROR_WRITE:
        return QStringLiteral("解凍先フォルダに書き込めません。");
    case UNLHA_ERROR_CANCELLED:
        return QStringLiteral("解凍を中止しました。");
    case UNLHA_ERROR_EXISTS:
        return QStringLiteral("同じ名前のファイルがあるため、解凍しなかったファイルがあります。");
    case UNLHA_ERROR_UNSAFE_NAME:
        return QStringLiteral("解凍先フォルダの外を指す名前のファイルは解凍しませんでした。");
    }
    return QStringLiteral("解凍中にエラーが発生しました（コード %1）。").arg(code);
}

FailureList failureList(const lha::Result &result, int code, const QString &archiveName) {
    const QString diskFull = QStringLiteral("解凍先のディスクの空き容量が足りません。");
    FailureList list;
    const lha::MemberOutcome *stop = nullptr;
    for (const lha::MemberOutcome &member : result.members) {
        if (!isFailure(member))
            continue;
        QString cause;
        if (stop != nullptr && member.error == lha::Error::WriteFailed)
            cause = isDiskFull(*stop)
                        ? QStringLiteral("空き容量が足りなくなったため、解凍しませんでした。")
                        : QStringLiteral("書き込めなくなったため、解凍しませんでした。");
        else
            cause = isDiskFull(member) ? diskFull : causeText(codeFor(member.error));
        if (stop == nullptr && result.error == lha::Error::WriteFailed && stopsTheRun(member))
            stop = &member;
        list.members.append({fromEngine(member.name), cause, fromEngine(member.message)});
    }
    const uint64_t failedMembers = list.members.size() + result.unlistedFailures;
    // An archive that breaks off, or cannot be read at all, is a failure of
    // its own; a full disk has been told at its member.
    const bool archiveFailed = result.error != lha::Error::None &&
                               result.error != lha::Error::Cancelled && stop == nullptr;
    if (archiveFailed)
        list.members.append(
            {archiveName, causeText(codeFor(result.error)), fromEngine(result.message)});

    QStringList summary;
    if (failedMembers > 0)
        summary << QStringLiteral("%1 個のファイルを解凍できませんでした。").arg(failedMembers);
    else
        summary << (archiveFailed ? causeText(codeFor(result.error)) : causeText(code));
    if (result.unlistedFailures > 0)
        summary << QStringLiteral("そのうち %1 個は一覧に載せていません。")
                       .arg(result.unlistedFailures);
    const bool outOfSpace = stop != nullptr && isDiskFull(*stop);
    summary << (outOfSpace ? QStringLiteral("空き容量を増やしてから、もう一度解凍してください。")
                           : QStringLiteral("解凍元ファイルと解凍先フォルダを確認してください。"));
    list.summary = summary.join(QChar('\n'));
    return list;
}

} // namespace unlha
