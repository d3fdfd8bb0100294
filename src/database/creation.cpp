#include "creation.h"

#include "connection.h"
#include "databaselog.h"
#include "dberror.h"
#include "query.h"
#include "resultset.h"
#include "schema.h"
#include "stalefiles.h"
#include "transaction.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <initializer_list>
#include <utility>

const DefaultFavourite kDefaultFavourites[9] = {
    {2, 1, u"日本経済新聞", u"https://www.nikkei.com/"},
    {3, 2, u"朝日新聞", u"https://www.asahi.com/"},
    {4, 3, u"毎日新聞", u"https://mainichi.jp/"},
    {5, 4, u"The Japan Times", u"https://www.japantimes.co.jp/"},
    {6, 5, u"The New York Times", u"https://www.nytimes.com/"},
    {7, 6, u"CBS News", u"https://www.cbsnews.com/"},
    {8, 7, u"Le Figaro", u"https://www.lefigaro.fr/"},
    {9, 8, u"Neues Deutschland", u"https://www.nd-aktuell.de/"},
    {10, 9, u"東亜日報", u"https://www.donga.com/"},
};

const DefaultLevel kDefaultLevels[5] = {
    {u"重要", 0xFFC0FF, 1},   {u"要注意", 0xC0FFFF, 2}, {u"発表済み", 0xE0E0E0, 3},
    {u"進行中", 0xFFFFC0, 4}, {u"普通", 0x80000013, 5},
};

namespace {

using Field = std::pair<const char16_t*, QVariant>;

// Appends one row through a result set opened on the whole table, field by field in column order.
void appendRow(ResultSet& table, std::initializer_list<Field> fields)
{
    table.addNew();
    for (const auto& [name, value] : fields)
        table.setValue(QString::fromUtf16(name), value);
    table.update();
}

std::unique_ptr<ResultSet> openTable(Connection& connection, const char16_t* name)
{
    return ResultSet::open(connection, ResultSource::wholeTable(QString::fromUtf16(name)));
}

QString signedDecimal(quint32 colour)
{
    return QString::number(qint32(colour));
}

} // namespace

void CreateTables(Connection& connection)
{
    Schema::createTables(connection);
}

void WriteCounterRow(Connection& connection)
{
    auto table = openTable(connection, Schema::kIDno);
    appendRow(*table, {{u"ndID", 9}, {u"ndMEMO", 0}, {u"skID", 0}, {u"pfID", 0}, {u"DocNo", 0}});
}

void WriteDefaultLevels(Connection& connection)
{
    auto table = openTable(connection, Schema::kStatus);
    for (const DefaultLevel& level : kDefaultLevels) {
        appendRow(*table, {{u"01iName", QString::fromUtf16(level.name)},
                           {u"02BackColor", signedDecimal(level.colour)},
                           {u"99Kana", level.position}});
    }
}

void WriteDefaultFont(Connection& connection)
{
    auto table = openTable(connection, Schema::kFontSize);
    appendRow(*table, {{u"01Font_Name", QStringLiteral("ＭＳ Ｐゴシック")},
                       {u"02Font_Size", 14},
                       {u"03Font_Bold", 0},
                       {u"04Font_Italic", 0}});
}

void WriteDefaultMarkers(Connection& connection)
{
    auto table = openTable(connection, Schema::kMarker);
    appendRow(*table, {{u"01Stress", qint64(0xFF0000)}, {u"02Seek", qint64(0x80FFFF)}});
}

void WriteKindMarker(Connection& connection, int kind)
{
    auto table = openTable(connection, Schema::kDBID);
    appendRow(*table, {{u"dbid", kind}});
}

void WriteDefaultFavourites(Connection& connection)
{
    auto table = openTable(connection, Schema::kExtraNodeWeb);
    for (const DefaultFavourite& favourite : kDefaultFavourites) {
        appendRow(*table, {{u"ndWEB", favourite.ndWEB},
                           {u"ndID", favourite.ndID},
                           {u"fvName", QString::fromUtf16(favourite.fvName)},
                           {u"fvAddress", QString::fromUtf16(favourite.fvAddress)}});
    }
}

void createScrapDatabaseFile(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw DbError(DbError::kFileExists, QStringLiteral("a file of that name already exists: ") + path);
    // A creation whose program was killed half way left its file; it goes before a new one is begun.
    removeStaleFiles(target.absolutePath(), {QStringLiteral(".zettora-creating-*")});
    // Not derived from the target's name, which may already be as long as a file name can be.
    const QString partial =
        target.absolutePath() + u"/.zettora-creating-" + QString::number(QRandomGenerator::global()->generate64(), 16);
    auto removePartial = [&partial] {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
    };
    try {
        {
            auto connection = Connection::createNew(partial);
            Transaction transaction(*connection);
            CreateTables(*connection);
            WriteCounterRow(*connection);
            WriteDefaultLevels(*connection);
            WriteDefaultFont(*connection);
            WriteDefaultMarkers(*connection);
            WriteKindMarker(*connection);
            WriteDefaultFavourites(*connection);
            transaction.commit();
        }
        // rename() never replaces an existing file, so a file made meanwhile under the name is kept.
        if (!QFile::rename(partial, path))
            throw DbError(SQLITE_CANTOPEN, QStringLiteral("cannot move the new file into place: ") + path);
    } catch (const DbError&) {
        removePartial();
        throw;
    }
}

QString withDatabaseExtension(const QString& path)
{
    return path.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".mdb");
}
