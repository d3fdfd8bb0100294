#pragma once

#include "database/dberror.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

class Connection;

// Every row of a SELECT, one string per row: fields joined by '|', text in single quotes, NULL as NULL.
QStringList rowsOf(Connection& connection, const QString& select);
// What a folder holds, hidden entries included: file bytes, or a marker for folders and links.
QMap<QString, QByteArray> folderContents(const QString& folder);
QString repeated(QChar c, int count);

// The DbError code an action throws, or 0 when it throws nothing.
template <typename Action> int thrownCode(Action&& action)
{
    try {
        action();
    } catch (const DbError& e) {
        return e.code();
    }
    return 0;
}
