#include "databasetesthelpers.h"

#include "database/query.h"
#include "testcollection.h"

#include <QDir>
#include <QFileInfo>

QStringList rowsOf(Connection& connection, const QString& select)
{
    QStringList rows;
    Query query(connection, select);
    while (query.next()) {
        QStringList fields;
        for (int c = 0; c < query.columnCount(); ++c) {
            const QVariant value = query.value(c);
            if (!value.isValid())
                fields << QStringLiteral("NULL");
            else if (value.typeId() == QMetaType::QString)
                fields << u'\'' + value.toString() + u'\'';
            else
                fields << value.toString();
        }
        rows << fields.join(u'|');
    }
    return rows;
}

QMap<QString, QByteArray> folderContents(const QString& folder)
{
    QMap<QString, QByteArray> contents;
    const auto entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink())
            contents.insert(entry.fileName(), "link to " + entry.symLinkTarget().toUtf8());
        else if (entry.isDir())
            contents.insert(entry.fileName(), "folder");
        else
            contents.insert(entry.fileName(), TestFolder::read(entry.filePath()));
    }
    return contents;
}

QString repeated(QChar c, int count)
{
    return QString(count, c);
}
