#include "importancelevels.h"

#include "database/query.h"

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

QString backColourOf(const QList<ImportanceLevel>& levels, const QString& name)
{
    for (const ImportanceLevel& level : levels) {
        if (level.name == name)
            return level.backColour;
    }
    return {};
}
