#pragma once

#include <QString>
#include <QStringList>

#include <span>

class Connection;

// The twelve tables of a scrap database, with their columns in creation order. Names used in SQL text come
// only from these constants.
namespace Schema {

enum class ColumnType { Text, Integer, Date, Memo, YesNo, Binary };

struct Column {
    const char16_t* name;
    ColumnType type;
    int width = 0; // characters, for Text only
};

struct Table {
    const char16_t* name;
    std::span<const Column> columns;
};

inline constexpr int kVersion = 1;

inline constexpr char16_t kDBID[] = u"DBID";
inline constexpr char16_t kMemoIdx[] = u"MEMO_IDX";
inline constexpr char16_t kMemoDat[] = u"MEMO_DAT";
inline constexpr char16_t kMemoUnderline[] = u"MEMO_UNDERLINE";
inline constexpr char16_t kPhotoDra[] = u"PHOTO_DRA";
// Beside the twelve tables: the text read from each picture, by picture set and byte size; made once a file is trusted.
inline constexpr char16_t kPictureText[] = u"zettora_picture_text";
inline constexpr char kCreatePictureText[] =
    "CREATE TABLE IF NOT EXISTS main.zettora_picture_text (skID INTEGER NOT NULL, size INTEGER NOT NULL, engine TEXT "
    "NOT NULL, text TEXT NOT NULL, words TEXT NOT NULL, problem TEXT, PRIMARY KEY (skID, size))";
inline constexpr char16_t kIDno[] = u"IDno";
inline constexpr char16_t kExtraNodeMemo[] = u"extraNodeMEMO";
inline constexpr char16_t kExtraNodeWeb[] = u"extraNodeWEB";
inline constexpr char16_t kStatus[] = u"Status";
inline constexpr char16_t kFontSize[] = u"FontSize";
inline constexpr char16_t kMarker[] = u"Marker";
inline constexpr char16_t kSpeak[] = u"Speak";

// Every table in creation order.
std::span<const Table> tables();
const Table* table(const QString& name);
const Column* column(const Table& table, const QString& name);

// The statement that creates a table: widths and ISO dates are checked by the engine itself.
QString createStatement(const Table& table);
void createTables(Connection& connection);
// The tables and columns (as "TABLE.column") the file lacks; empty for a sound collection. Throws DbError.
QStringList missingParts(Connection& connection);
// Lookup indexes the engine needs for speed; created when missing, so older files get them on opening.
void ensureIndexes(Connection& connection);

// Empty when the value fits the column; otherwise the message to report.
// Characters as the file's own width checks count them (length()): a pair of UTF-16 units is one.
qsizetype characterCount(QStringView text);

QString widthViolation(const Table& table, const Column& column, const QString& value);

inline QString name(const char16_t* constant)
{
    return QString::fromUtf16(constant);
}

} // namespace Schema
