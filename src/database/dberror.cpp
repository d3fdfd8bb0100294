#include "dberror.h"

#include <sqlite3.h>

QString DbError::reason() const
{
    if (!m_reason.isEmpty())
        return m_reason;
    switch (m_code) {
    case kWidthExceeded:
        return QStringLiteral("文字数が多すぎます。");
    case kNoCurrentRow:
        return QStringLiteral("対象のスクラップが見つかりません（他の操作で削除された可能性があります）。");
    case kFileExists:
        return QStringLiteral("同じ名前のファイルが既にあります。");
    case kNotUpdatable:
        return QStringLiteral("この一覧からは書き込めません。");
    case kNotYetChecked:
        return QStringLiteral(
            "開いたスクラップ集を確認している間は書き込めません。　確認が終わってから、もう一度お試しください。");
    default:
        break;
    }
    switch (m_code & 0xFF) {
    case SQLITE_FULL:
        return QStringLiteral("ディスクの空きがありません。");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("書き込みできない場所か、書き込みの許可がありません。");
    case SQLITE_CANTOPEN:
        return QStringLiteral("ファイルを開けません（見つからないか、開く許可がありません）。");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return QStringLiteral("ファイルが壊れているか、Zettora のデータベースではありません。");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("他のプログラムがこのファイルを使用中です。");
    case SQLITE_IOERR:
        return QStringLiteral("ディスクの読み書きに失敗しました。");
    case SQLITE_TOOBIG:
        return QStringLiteral("データが大きすぎます。");
    case SQLITE_NOMEM:
        return QStringLiteral("メモリが足りません。");
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
        return QStringLiteral("値がデータベースの決まりに合いません。");
    default:
        return QStringLiteral("データベースの処理でエラーが起きました（コード %1）。").arg(m_code);
    }
}
