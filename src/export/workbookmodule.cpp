#include "workbookmodule.h"

#include "common/commonlog.h"
#include "common/programmodule.h"

Result<QString> writeListWorkbookInModule(const QString& collectionName, const QDateTime& when, const ListTable& table)
{
    static const auto write = reinterpret_cast<WriteListWorkbook>(
        loadProgramModule({QStringLiteral(ZETTORA_EXPORT_MODULE_NAME), QStringLiteral(ZETTORA_EXPORT_MODULE_INSTALLED),
                           QStringLiteral(ZETTORA_EXPORT_MODULE_BUILT)},
                          kWriteListWorkbook, lcCommon()));
    if (!write)
        return Failure{QStringLiteral("一覧表のファイルを作成できませんでした。"),
                       QStringLiteral("表計算のファイルを書く部品（") + QStringLiteral(ZETTORA_EXPORT_MODULE_NAME) +
                           QStringLiteral("）がありません。　Zettoraをインストールし直してください。")};
    return write(collectionName, when, table);
}
