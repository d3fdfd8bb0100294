#pragma once

#include "listworkbook.h"

// The list written by the spreadsheet module, loaded when the first list is sent: linked into the program,
// libxlsxwriter and the crypto library it brings cost every start-up over a millisecond before its first frame.
// Writes into listWorkbookFolder(), as writeListWorkbook does.
Result<QString> writeListWorkbookInModule(const QString& collectionName, const QDateTime& when, const ListTable& table);

// The module's entry point.
using WriteListWorkbook = Result<QString> (*)(const QString& collectionName, const QDateTime& when,
                                              const ListTable& table);
inline constexpr char kWriteListWorkbook[] = "zettoraWriteListWorkbook";
