#include "ExtractionRun.h"

#include "unlha32.h"

using namespace Qt::StringLiterals;

namespace ExtractionRun {
namespace {

QString withRequest(const QString &message, const QString &request) {
    return message + QChar(13) + request;
}

QString causeOf(int code) {
    switch (code) {
    case UNLHA_ERROR_COMMAND:
        return u"解凍コマンドが正しくありません"_s;
    case UNLHA_ERROR_ARCHIVE_UNREADABLE:
        return u"解凍元ファイルが見つからないか、読み込めません"_s;
    case UNLHA_ERROR_NOT_ARCHIVE:
        return u"解凍元ファイルはＬＨＡ形式ではありません"_s;
    case UNLHA_ERROR_DAMAGED:
        return u"解凍元ファイルが壊れています"_s;
    case UNLHA_ERROR_METHOD:
        return u"対応していない圧縮形式のファイルがあります"_s;
    case UNLHA_ERROR_WRITE:
        return u"解凍先フォルダに書き込めません"_s;
    case UNLHA_ERROR_CANCELLED:
        return u"解凍を中止しました"_s;
    case UNLHA_ERROR_EXISTS:
        return u"同じ名前のファイルがあるため、解凍しなかったファイルがあります"_s;
    case UNLHA_ERROR_UNSAFE_NAME:
        return u"解凍先フォルダの外を指す名前のファイルは解凍しませんでした"_s;
    }
    return u"解凍中にエラーが発生しました（コード %1）"_s.arg(code);
}

} // namespace

QString command(const QString &archive, const QString &destination) {
    return u"e "_s + archive + u' ' + destination + u'/';
}

QString errorTitle() {
    return u"エラーメッセージ"_s;
}

QString failureMessage(int code) {
    return withRequest(causeOf(code), u"解凍元ファイルと解凍先フォルダを確認してください。"_s);
}

QString libraryMissingMessage() {
    return withRequest(u"解凍ライブラリ（libunlha32.so）が見つかりません"_s,
                       u"インストールし直してください。"_s);
}

QString runFailedMessage() {
    return withRequest(u"解凍を実行できませんでした"_s, u"もう一度お試しください。"_s);
}

} // namespace ExtractionRun
