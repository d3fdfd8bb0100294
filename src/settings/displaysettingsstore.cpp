#include "displaysettingsstore.h"

#include "database/dberror.h"
#include "database/query.h"
#include "database/transaction.h"
#include "settingslog.h"

#include <optional>

namespace {

// A size past this (or below 1 point) is no font size but a damaged or foreign value: the default is used instead,
// as list rows and sheet rows are computed from it.
constexpr qint64 kLargestPoints = 512;

// The rowid of a settings table's first row, the one the readers above take.
std::optional<qint64> firstRowid(Connection& connection, const QString& table)
{
    Query first(connection, QStringLiteral("SELECT rowid FROM ") + table + QStringLiteral(" ORDER BY rowid LIMIT 1"));
    return first.next() ? std::optional(first.integer(0)) : std::nullopt;
}

qint64 flag(bool on)
{
    return on ? -1 : 0;
}

} // namespace

void ReadDisplayFont(Connection& connection, DisplayFont& font)
{
    try {
        Query row(connection,
                  QStringLiteral("SELECT \"01Font_Name\", \"02Font_Size\" FROM FontSize ORDER BY rowid LIMIT 1"));
        DisplayFont read;
        if (row.next()) {
            read.name = row.text(0);
            if (const qint64 size = row.integer(1); size >= 1 && size <= kLargestPoints)
                read.size = int(size);
        }
        font = read;
    } catch (const DbError& e) {
        qCWarning(lcSettings) << "cannot read the display font:" << e.message();
    }
}

void ReadBackColor(Connection& connection, MarkerColours& markers)
{
    try {
        Query row(connection, QStringLiteral("SELECT \"01Stress\", \"02Seek\" FROM Marker ORDER BY rowid LIMIT 1"));
        MarkerColours read;
        // A colour left empty (another program's file) keeps its default rather than turn black.
        if (row.next()) {
            if (!row.isNull(0))
                read.stress = quint32(row.integer(0));
            if (!row.isNull(1))
                read.seek = quint32(row.integer(1));
        }
        markers = read;
    } catch (const DbError& e) {
        qCWarning(lcSettings) << "cannot read the marker colours:" << e.message();
    }
}

int wholePoints(qreal pointSize)
{
    return qRound(pointSize);
}

void StoreDisplayFont(Connection& connection, const DisplayFont& font)
{
    Transaction transaction(connection);
    const std::optional<qint64> row = firstRowid(connection, QStringLiteral("FontSize"));
    Query write(connection, row ? QStringLiteral("UPDATE FontSize SET \"01Font_Name\" = ?, \"02Font_Size\" = ?, "
                                                 "\"03Font_Bold\" = ?, \"04Font_Italic\" = ? WHERE rowid = ?")
                                : QStringLiteral("INSERT INTO FontSize (\"01Font_Name\", \"02Font_Size\", "
                                                 "\"03Font_Bold\", \"04Font_Italic\") VALUES (?, ?, ?, ?)"));
    write.bind(1, font.name).bind(2, font.size).bind(3, flag(font.bold)).bind(4, flag(font.italic));
    if (row)
        write.bind(5, *row);
    write.run();
    transaction.commit();
}

void StoreMarkerColour(Connection& connection, int which, quint32 colour)
{
    Q_ASSERT(which == kUnderlineMarker || which == kFullTextMarker);
    Transaction transaction(connection);
    if (const std::optional<qint64> row = firstRowid(connection, QStringLiteral("Marker"))) {
        Query write(connection, which == kUnderlineMarker
                                    ? QStringLiteral("UPDATE Marker SET \"01Stress\" = ? WHERE rowid = ?")
                                    : QStringLiteral("UPDATE Marker SET \"02Seek\" = ? WHERE rowid = ?"));
        write.bind(1, qint64(colour)).bind(2, *row);
        write.run();
    } else {
        MarkerColours added;
        (which == kUnderlineMarker ? added.stress : added.seek) = colour;
        Query write(connection, QStringLiteral("INSERT INTO Marker (\"01Stress\", \"02Seek\") VALUES (?, ?)"));
        write.bind(1, qint64(added.stress)).bind(2, qint64(added.seek));
        write.run();
    }
    transaction.commit();
}
