#include "schema.h"

#include "connection.h"
#include "query.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace Schema {
namespace {

using enum ColumnType;

constexpr std::array<Column, 1> kDbidColumns{{{u"dbid", Integer}}};
constexpr std::array<Column, 12> kMemoIdxColumns{{
    {u"a01", Text, 20},
    {u"a02", Text, 255},
    {u"a03", Date},
    {u"a04", Text, 255},
    {u"a05", Text, 255},
    {u"a06", Text, 255},
    {u"a07", Text, 255},
    {u"skID", Integer},
    {u"pfID", Integer},
    {u"backC", Text, 20},
    {u"LevNo", Integer},
    {u"DocNo", Integer},
}};
constexpr std::array<Column, 2> kMemoDatColumns{{{u"pfID", Integer}, {u"a01", Memo}}};
constexpr std::array<Column, 4> kMemoUnderlineColumns{{
    {u"pfID", Integer},
    {u"SelUNDER", YesNo},
    {u"StartP", Integer},
    {u"SelLen", Integer},
}};
constexpr std::array<Column, 3> kPhotoDraColumns{{{u"skID", Integer}, {u"a01", Text, 255}, {u"a02", Binary}}};
constexpr std::array<Column, 5> kIDnoColumns{{
    {u"ndID", Integer},
    {u"ndMEMO", Integer},
    {u"skID", Integer},
    {u"pfID", Integer},
    {u"DocNo", Integer},
}};
constexpr std::array<Column, 3> kExtraNodeMemoColumns{{{u"ndP", Integer}, {u"nName", Text, 127}, {u"ndMEMO", Integer}}};
constexpr std::array<Column, 4> kExtraNodeWebColumns{{
    {u"ndWEB", Integer},
    {u"ndID", Integer},
    {u"fvName", Text, 127},
    {u"fvAddress", Text, 255},
}};
constexpr std::array<Column, 3> kStatusColumns{
    {{u"01iName", Text, 20}, {u"02BackColor", Text, 20}, {u"99Kana", Integer}}};
constexpr std::array<Column, 4> kFontSizeColumns{{
    {u"01Font_Name", Text, 30},
    {u"02Font_Size", Integer},
    {u"03Font_Bold", Integer},
    {u"04Font_Italic", Integer},
}};
constexpr std::array<Column, 2> kMarkerColumns{{{u"01Stress", Integer}, {u"02Seek", Integer}}};
constexpr std::array<Column, 3> kSpeakColumns{
    {{u"Character", Text, 20}, {u"LanguageID", Integer}, {u"Speed", Integer}}};

constexpr std::array<Table, 12> kTables{{
    {kDBID, kDbidColumns},
    {kMemoIdx, kMemoIdxColumns},
    {kMemoDat, kMemoDatColumns},
    {kMemoUnderline, kMemoUnderlineColumns},
    {kPhotoDra, kPhotoDraColumns},
    {kIDno, kIDnoColumns},
    {kExtraNodeMemo, kExtraNodeMemoColumns},
    {kExtraNodeWeb, kExtraNodeWebColumns},
    {kStatus, kStatusColumns},
    {kFontSize, kFontSizeColumns},
    {kMarker, kMarkerColumns},
    {kSpeak, kSpeakColumns},
}};

struct IndexDef {
    const char16_t* name;
    const char16_t* table;
    std::array<const char16_t*, 3> columns; // unused ones stay null
};

// The body, marks and pictures of one scrap are looked up by number on every step through a result set; saving
// the class tree renumbers the scraps of each class by its three class names; a body search goes from the bodies
// it found to their index rows.
constexpr std::array<IndexDef, 6> kIndexes{{
    {u"MEMO_DAT_pfID", kMemoDat, {u"pfID"}},
    {u"MEMO_UNDERLINE_pfID", kMemoUnderline, {u"pfID"}},
    {u"PHOTO_DRA_skID", kPhotoDra, {u"skID"}},
    {u"MEMO_IDX_class", kMemoIdx, {u"a04", u"a05", u"a06"}},
    {u"MEMO_IDX_pfID", kMemoIdx, {u"pfID"}},
    // Scraps by picture set: a body search finds words in pictures by their set.
    {u"MEMO_IDX_skID", kMemoIdx, {u"skID"}},
}};

QString quoted(const char16_t* identifier)
{
    return u'"' + QString::fromUtf16(identifier) + u'"';
}

} // namespace

std::span<const Table> tables()
{
    return kTables;
}

const Table* table(const QString& name)
{
    for (const Table& t : kTables) {
        if (name == QString::fromUtf16(t.name))
            return &t;
    }
    return nullptr;
}

const Column* column(const Table& table, const QString& name)
{
    for (const Column& c : table.columns) {
        if (name == QString::fromUtf16(c.name))
            return &c;
    }
    return nullptr;
}

QString createStatement(const Table& table)
{
    QString sql = QStringLiteral("CREATE TABLE ") + quoted(table.name) + QStringLiteral(" (");
    bool first = true;
    for (const Column& c : table.columns) {
        if (!first)
            sql += QStringLiteral(", ");
        first = false;
        const QString name = quoted(c.name);
        sql += name;
        switch (c.type) {
        case Text:
            sql += QStringLiteral(" TEXT(%1) CHECK (length(%2) <= %1)").arg(c.width).arg(name);
            break;
        case Integer:
        case YesNo:
            sql += QStringLiteral(" INTEGER");
            break;
        case Date:
            // A real calendar date in ISO form: only for those does date() with a modifier give back the same text.
            sql += QStringLiteral(" TEXT CHECK (%1 IS NULL OR date(%1, '+0 days') IS %1)").arg(name);
            break;
        case Memo:
            sql += QStringLiteral(" TEXT");
            break;
        case Binary:
            sql += QStringLiteral(" BLOB");
            break;
        }
    }
    return sql + u')';
}

void createTables(Connection& connection)
{
    for (const Table& t : kTables)
        connection.execute(createStatement(t));
    connection.execute(QStringLiteral("PRAGMA user_version = %1").arg(kVersion));
    ensureIndexes(connection);
}

QStringList missingParts(Connection& connection)
{
    QStringList missing;
    for (const Table& table : tables()) {
        Query info(connection, QStringLiteral("SELECT name FROM pragma_table_info(?)"));
        info.bind(1, name(table.name));
        QStringList present;
        while (info.next())
            present << info.text(0).toLower();
        if (present.isEmpty()) {
            missing << name(table.name);
            continue;
        }
        for (const Column& column : table.columns) {
            if (!present.contains(name(column.name).toLower()))
                missing << name(table.name) + u'.' + name(column.name);
        }
    }
    return missing;
}

void ensureIndexes(Connection& connection)
{
    for (const IndexDef& index : kIndexes) {
        QStringList columns;
        for (const char16_t* column : index.columns) {
            if (column)
                columns << quoted(column);
        }
        connection.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS ") + quoted(index.name) + QStringLiteral(" ON ") +
                           quoted(index.table) + u'(' + columns.join(QStringLiteral(", ")) + u')');
    }
}

qsizetype characterCount(QStringView text)
{
    return text.size() - std::ranges::count_if(text, [](QChar c) { return c.isLowSurrogate(); });
}

QString widthViolation(const Table& table, const Column& column, const QString& value)
{
    if (column.type != Text || value.size() <= column.width)
        return {};
    const qsizetype characters = characterCount(value);
    if (characters <= column.width)
        return {};
    return QStringLiteral("%1.%2 holds at most %3 characters (%4 given)")
        .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name))
        .arg(column.width)
        .arg(characters);
}

} // namespace Schema
