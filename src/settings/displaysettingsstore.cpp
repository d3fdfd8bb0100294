#include "displaysettingsstore.h"

#include "database/dberror.h"
#include "database/query.h"
#include "settingslog.h"

void ReadDisplayFont(Connection& connection, DisplayFont& font)
{
    try {
        Query row(connection,
                  QStringLiteral("SELECT \"01Font_Name\", \"02Font_Size\" FROM FontSize ORDER BY rowid LIMIT 1"));
        DisplayFont read;
        if (row.next()) {
            read.name = row.text(0);
            read.size = int(row.integer(1));
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
        if (row.next()) {
            read.stress = quint32(row.integer(0));
            read.seek = quint32(row.integer(1));
        }
        markers = read;
    } catch (const DbError& e) {
        qCWarning(lcSettings) << "cannot read the marker colours:" << e.message();
    }
}
