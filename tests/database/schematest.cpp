#include "database/schema.h"

#include "database/connection.h"
#include "database/query.h"
#include "database/resultset.h"
#include "databasetesthelpers.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QDate>
#include <QTest>

#include <sqlite3.h>

#include <tuple>

using namespace Qt::StringLiterals;

void SchemaTest::newFile_tableColumnsInOrderWithDeclaredTypes_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("DBID") << u"DBID"_s << QStringList{u"dbid INTEGER"_s};
    QTest::newRow("MEMO_IDX") << u"MEMO_IDX"_s
                              << QStringList{u"a01 TEXT(20)"_s,   u"a02 TEXT(255)"_s, u"a03 TEXT"_s,
                                             u"a04 TEXT(255)"_s,  u"a05 TEXT(255)"_s, u"a06 TEXT(255)"_s,
                                             u"a07 TEXT(255)"_s,  u"skID INTEGER"_s,  u"pfID INTEGER"_s,
                                             u"backC TEXT(20)"_s, u"LevNo INTEGER"_s, u"DocNo INTEGER"_s};
    QTest::newRow("MEMO_DAT") << u"MEMO_DAT"_s << QStringList{u"pfID INTEGER"_s, u"a01 TEXT"_s};
    QTest::newRow("MEMO_UNDERLINE") << u"MEMO_UNDERLINE"_s
                                    << QStringList{u"pfID INTEGER"_s, u"SelUNDER INTEGER"_s, u"StartP INTEGER"_s,
                                                   u"SelLen INTEGER"_s};
    QTest::newRow("PHOTO_DRA") << u"PHOTO_DRA"_s << QStringList{u"skID INTEGER"_s, u"a01 TEXT(255)"_s, u"a02 BLOB"_s};
    QTest::newRow("IDno") << u"IDno"_s
                          << QStringList{u"ndID INTEGER"_s, u"ndMEMO INTEGER"_s, u"skID INTEGER"_s, u"pfID INTEGER"_s,
                                         u"DocNo INTEGER"_s};
    QTest::newRow("extraNodeMEMO") << u"extraNodeMEMO"_s
                                   << QStringList{u"ndP INTEGER"_s, u"nName TEXT(127)"_s, u"ndMEMO INTEGER"_s};
    QTest::newRow("extraNodeWEB") << u"extraNodeWEB"_s
                                  << QStringList{u"ndWEB INTEGER"_s, u"ndID INTEGER"_s, u"fvName TEXT(127)"_s,
                                                 u"fvAddress TEXT(255)"_s};
    QTest::newRow("Status") << u"Status"_s
                            << QStringList{u"01iName TEXT(20)"_s, u"02BackColor TEXT(20)"_s, u"99Kana INTEGER"_s};
    QTest::newRow("FontSize") << u"FontSize"_s
                              << QStringList{u"01Font_Name TEXT(30)"_s, u"02Font_Size INTEGER"_s,
                                             u"03Font_Bold INTEGER"_s, u"04Font_Italic INTEGER"_s};
    QTest::newRow("Marker") << u"Marker"_s << QStringList{u"01Stress INTEGER"_s, u"02Seek INTEGER"_s};
    QTest::newRow("Speak") << u"Speak"_s
                           << QStringList{u"Character TEXT(20)"_s, u"LanguageID INTEGER"_s, u"Speed INTEGER"_s};
}

void SchemaTest::newFile_tableColumnsInOrderWithDeclaredTypes()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    Query info(*connection, QStringLiteral("SELECT name || ' ' || type FROM pragma_table_info(?) ORDER BY cid"));
    info.bind(1, table);
    QStringList found;
    while (info.next())
        found << info.text(0);
    QCOMPARE(found, columns);
}

void SchemaTest::newFile_defaultRowsInStoredOrder_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("kind") << u"SELECT * FROM DBID ORDER BY rowid"_s << QStringList{u"2"_s};
    // The next favourite takes ndID + 1 = 10 and the first scrap DocNo + 1 = 1.
    QTest::newRow("counters") << u"SELECT * FROM IDno ORDER BY rowid"_s << QStringList{u"9|0|0|0|0"_s};
    QTest::newRow("levels") << u"SELECT * FROM Status ORDER BY rowid"_s
                            << QStringList{u"'重要'|'16761087'|1"_s, u"'要注意'|'12648447'|2"_s,
                                           u"'発表済み'|'14737632'|3"_s, u"'進行中'|'16777152'|4"_s,
                                           u"'普通'|'-2147483629'|5"_s};
    // Full-width letters with one ASCII space between them.
    QTest::newRow("font") << u"SELECT * FROM FontSize ORDER BY rowid"_s
                          << QStringList{u"'\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF'|14|0|0"_s};
    QTest::newRow("markers") << u"SELECT * FROM Marker ORDER BY rowid"_s << QStringList{u"16711680|8454143"_s};
    QTest::newRow("favourites")
        << u"SELECT ndWEB, ndID, fvName, fvAddress LIKE 'https://_%' FROM extraNodeWEB ORDER BY rowid"_s
        << QStringList{u"2|1|'日本経済新聞'|1"_s,    u"3|2|'朝日新聞'|1"_s,           u"4|3|'毎日新聞'|1"_s,
                       u"5|4|'The Japan Times'|1"_s, u"6|5|'The New York Times'|1"_s, u"7|6|'CBS News'|1"_s,
                       u"8|7|'Le Figaro'|1"_s,       u"9|8|'Neues Deutschland'|1"_s,  u"10|9|'東亜日報'|1"_s};
    QTest::newRow("empty tables") << u"SELECT (SELECT count(*) FROM Speak), (SELECT count(*) FROM MEMO_IDX), "
                                     "(SELECT count(*) FROM MEMO_DAT), (SELECT count(*) FROM MEMO_UNDERLINE), "
                                     "(SELECT count(*) FROM PHOTO_DRA), (SELECT count(*) FROM extraNodeMEMO)"_s
                                  << QStringList{u"0|0|0|0|0|0"_s};
    // With the column table above, this pins the set of tables exactly.
    QTest::newRow("no other tables") << u"SELECT count(*) FROM sqlite_schema WHERE type = 'table'"_s
                                     << QStringList{u"12"_s};
    QTest::newRow("format version") << u"PRAGMA user_version"_s << QStringList{u"1"_s};
}

void SchemaTest::newFile_defaultRowsInStoredOrder()
{
    QFETCH(QString, select);
    QFETCH(QStringList, rows);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    QCOMPARE(rowsOf(*connection, select), rows);
}

void SchemaTest::textColumn_refusesOneCharacterOverWidth_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("width");

    const std::initializer_list<std::tuple<const char*, QString, QString, int>> columns = {
        {"level name", u"MEMO_IDX"_s, u"a01"_s, 20},
        {"title", u"MEMO_IDX"_s, u"a02"_s, 255},
        {"class 1", u"MEMO_IDX"_s, u"a04"_s, 255},
        {"class 2", u"MEMO_IDX"_s, u"a05"_s, 255},
        {"class 3", u"MEMO_IDX"_s, u"a06"_s, 255},
        {"keywords", u"MEMO_IDX"_s, u"a07"_s, 255},
        {"scrap colour", u"MEMO_IDX"_s, u"backC"_s, 20},
        {"picture caption", u"PHOTO_DRA"_s, u"a01"_s, 255},
        {"class name", u"extraNodeMEMO"_s, u"nName"_s, 127},
        {"favourite name", u"extraNodeWEB"_s, u"fvName"_s, 127},
        {"favourite address", u"extraNodeWEB"_s, u"fvAddress"_s, 255},
        {"level", u"Status"_s, u"01iName"_s, 20},
        {"level colour", u"Status"_s, u"02BackColor"_s, 20},
        {"font name", u"FontSize"_s, u"01Font_Name"_s, 30},
        {"voice", u"Speak"_s, u"Character"_s, 20},
    };
    for (const auto& [name, table, column, width] : columns)
        QTest::newRow(name) << table << column << width;
}

void SchemaTest::textColumn_refusesOneCharacterOverWidth()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, width);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    const QString count = u"SELECT count(*) FROM \""_s + table + u'"';
    const qint64 before = scalar(*connection, count);

    // Wide characters, so that a limit counted in bytes would show.
    auto set = ResultSet::open(*connection, ResultSource::wholeTable(table));
    set->addNew();
    QCOMPARE(thrownCode([&] { set->setValue(column, repeated(u'字', width + 1)); }), DbError::kWidthExceeded);
    QCOMPARE(thrownCode([&] {
                 set->setValue(column, repeated(u'字', width));
                 set->update();
             }),
             0);

    Query insert(*connection, u"INSERT INTO \""_s + table + u"\" (\""_s + column + u"\") VALUES (?)"_s);
    insert.bind(1, repeated(u'字', width + 1));
    QCOMPARE(thrownCode([&] { insert.run(); }) & 0xFF, SQLITE_CONSTRAINT);

    QCOMPARE(scalar(*connection, count), before + 1);
    QCOMPARE(scalar(*connection, u"SELECT max(length(\""_s + column + u"\")) FROM \""_s + table + u'"'), qint64(width));
}

void SchemaTest::dateColumn_acceptsOnlyIsoDates_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("ISO text") << QVariant(u"2024-02-29"_s) << true;
    QTest::newRow("date") << QVariant(QDate(2024, 2, 29)) << true;
    QTest::newRow("no date") << QVariant() << true;
    QTest::newRow("slashes") << QVariant(u"2024/02/29"_s) << false;
    QTest::newRow("two-digit year") << QVariant(u"24-02-29"_s) << false;
    QTest::newRow("with time") << QVariant(u"2024-02-29 10:00:00"_s) << false;
    QTest::newRow("no such month") << QVariant(u"2024-13-01"_s) << false;
    QTest::newRow("no such day") << QVariant(u"2023-02-29"_s) << false;
    QTest::newRow("empty text") << QVariant(u""_s) << false;
    QTest::newRow("full-width digits") << QVariant(u"２０２４-０２-２９"_s) << false;
}

void SchemaTest::dateColumn_acceptsOnlyIsoDates()
{
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    auto set = ResultSet::open(*connection, ResultSource::wholeTable(u"MEMO_IDX"_s));
    set->addNew();
    set->setValue(u"a03"_s, value);
    const int code = thrownCode([&] { set->update(); });
    QCOMPARE(code & 0xFF, accepted ? 0 : SQLITE_CONSTRAINT);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM MEMO_IDX"_s), accepted ? 1 : 0);
    if (value.isValid() && accepted)
        QCOMPARE(rowsOf(*connection, u"SELECT a03 FROM MEMO_IDX"_s), QStringList{u"'2024-02-29'"_s});
}

void SchemaTest::ensureIndexes_restoresMissingIndexes_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("tableAndColumn");

    QTest::newRow("bodies") << u"MEMO_DAT_pfID"_s << u"'MEMO_DAT'|'pfID'"_s;
    QTest::newRow("underlines") << u"MEMO_UNDERLINE_pfID"_s << u"'MEMO_UNDERLINE'|'pfID'"_s;
    QTest::newRow("pictures") << u"PHOTO_DRA_skID"_s << u"'PHOTO_DRA'|'skID'"_s;
    QTest::newRow("index rows by body") << u"MEMO_IDX_pfID"_s << u"'MEMO_IDX'|'pfID'"_s;
    QTest::newRow("index rows by picture set") << u"MEMO_IDX_skID"_s << u"'MEMO_IDX'|'skID'"_s;
}

void SchemaTest::ensureIndexes_restoresMissingIndexes()
{
    QFETCH(QString, index);
    QFETCH(QString, tableAndColumn);
    TestFolder folder;
    const QString path = folder.newCollection();
    const QString lookup = QStringLiteral("SELECT tbl_name, (SELECT group_concat(name) FROM pragma_index_info('%1')) "
                                          "FROM sqlite_schema WHERE type = 'index' AND name = '%1'")
                               .arg(index);
    {
        auto connection = Connection::openExisting(path);
        QCOMPARE(rowsOf(*connection, lookup), QStringList{tableAndColumn});
    }
    for (const char16_t* name :
         {u"MEMO_DAT_pfID", u"MEMO_UNDERLINE_pfID", u"PHOTO_DRA_skID", u"MEMO_IDX_pfID", u"MEMO_IDX_skID"})
        alterCollection(path, u"DROP INDEX \""_s + QString::fromUtf16(name) + u'"');

    auto connection = Connection::openExisting(path);
    QCOMPARE(rowsOf(*connection, lookup), QStringList());
    Schema::ensureIndexes(*connection);
    Schema::ensureIndexes(*connection);
    QCOMPARE(rowsOf(*connection, lookup), QStringList{tableAndColumn});
}
