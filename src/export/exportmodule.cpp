// The entry point of the spreadsheet module, which holds libxlsxwriter.
#include "workbookmodule.h"

extern "C" Q_DECL_EXPORT Result<QString> zettoraWriteListWorkbook(const QString& collectionName, const QDateTime& when,
                                                                  const ListTable& table)
{
    return writeListWorkbook(listWorkbookFolder(), collectionName, when, table);
}
