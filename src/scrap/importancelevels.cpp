#include "importancelevels.h"

#include "database/query.h"
#include "database/transaction.h"

QList<ImportanceLevel> readImportanceLevels(Connection& connection)
{
    Query query(
        connection,
        QStringLiteral("SELECT \"01iName\", \"02BackColor\", \"99Kana\" FROM Status ORDER BY \"99Kana\", rowid"));
    QList<ImportanceLevel> levels;
    while (query.next())
        levels.append({query.text(0), query.text(1), query.isNull(2) ? QString() : QString::number(query.integer(2))});
    return levels;
}

void writeImportanceLevels(Connection& connection, const QList<ImportanceLevel>& levels)
{
    Transaction transaction(connection);
    Query(connection, QStringLiteral("DELETE FROM Status")).run();
    Query insert(connection,
                 QStringLiteral("INSERT INTO Status (\"01iName\", \"02BackColor\", \"99Kana\") VALUES (?, ?, ?)"));
    for (int i = 0; i < levels.size(); ++i) {
        insert.bind(1, levels.at(i).name).bind(2, levels.at(i).backColour).bind(3, i + 1).run();
        insert.reset();
    }
    transaction.commit();
}

QString backColourOf(const QList<ImportanceLevel>& levels, const QString& name)
{
    for (const ImportanceLevel& level : levels) {
        if (level.name == name)
            return level.backColour;
    }
    return {};
}
