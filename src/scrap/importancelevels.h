#pragma once

#include <QList>
#include <QString>

class Connection;

// One importance level: its name, the colour value its scraps take as backC, and its place in the list.
struct ImportanceLevel {
    QString name;
    QString backColour;
    QString order; // the stored 99Kana, empty when it has none
};

// The levels in display order (99Kana, then as stored). Throws DbError.
QList<ImportanceLevel> readImportanceLevels(Connection& connection);
// Replaces every level by levels, in their order (99Kana 1, 2, 3, ...), all or nothing. Throws DbError.
void writeImportanceLevels(Connection& connection, const QList<ImportanceLevel>& levels);
// The colour value of the level called name, or an empty text when there is no such level.
QString backColourOf(const QList<ImportanceLevel>& levels, const QString& name);
