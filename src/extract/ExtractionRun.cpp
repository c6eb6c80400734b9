// SPDX-License-Identifier: MIT
#include "ExtractionRun.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ExtractionRun {
namespace {

QString joinLines(const QStringList &lines) {
    return lines.join(QChar(13));
}

} // namespace

QString command(const QString &archive, const QString &destination) {
    return u"e "_s + archive + u' ' + destination + u'/';
}

QString errorTitle() {
    return u"エラーメッセージ"_s;
}

QString libraryMissingMessage() {
    return joinLines({u"解凍ライブラリ（libunlha32.so）が見つかりません。"_s,
                      u"インストールし直してください。"_s});
}

QString runFailedMessage() {
    return joinLines({u"解凍を実行できませんでした。"_s, u"もう一度お試しください。"_s});
}

} // namespace ExtractionRun
