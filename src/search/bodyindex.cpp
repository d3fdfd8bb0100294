#include "bodyindex.h"

#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "fulltextmatch.h"
#include "searchlog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace BodyIndex {
namespace {

// 4: a sound mark joins its kana; 5: variation selectors fold into nothing. An index of an earlier version holds
// other tokens, which no delete could take out again, so it is made anew.
constexpr int kVersion = 5;
constexpr char kTokenizerName[] = "zettora_bigram";
constexpr char kContainsFunction[] = "zettora_contains";
constexpr int kRowsPerTransaction = 200;
// A catching up keeps its transaction for about this long: each commit writes the index's segments and journal anew,
// so a rebuild of many thousands of rows in tiny transactions spends most of its time on them, while the window's
// writes wait for one transaction at most.
constexpr qint64 kTransactionMs = 250;
// FTS5 writes its pending terms out as a new segment whenever they pass this many bytes (1 MB by default): with
// bodies of pairs of characters that is every hundred bodies, and merging those segments costs more than writing them.
constexpr int kPendingBytes = 16 * 1024 * 1024;

// Where a row of the log comes from. A picture row's ref is a picture set number.
enum Kind : int { BodyRow = 0, LabelRow = 1, PictureSet = 2 };

// ---- folding UTF-8 -------------------------------------------------------------------------------------------

// One folded character with the bytes of the source character it came from.
struct Unit {
    char32_t c;
    int start;
    int end;
};

// Decodes UTF-8 leniently (a broken sequence is one U+FFFD) and folds every character.
template <typename Out> void foldUtf8(const unsigned char* text, int bytes, Out&& out)
{
    // The last unit waits for the next character, which may be a sound mark joining it.
    std::optional<Unit> held;
    for (int i = 0; i < bytes;) {
        const unsigned char lead = text[i];
        char32_t c = 0xFFFD;
        int length = 1;
        if (lead < 0x80) {
            c = lead;
        } else {
            const int extra = lead >= 0xF8 ? -1 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
            if (extra > 0 && i + extra < bytes) {
                char32_t value = lead & (0x3F >> extra);
                bool proper = true;
                for (int k = 1; k <= extra && proper; ++k) {
                    proper = (text[i + k] & 0xC0) == 0x80;
                    value = (value << 6) | (text[i + k] & 0x3F);
                }
                if (proper) {
                    c = value;
                    length = extra + 1;
                }
            }
        }
        const std::u32string_view folds = FullText::foldedChar(c);
        if (const char32_t joined = held && folds.size() == 1 && FullText::isSoundMark(folds.front())
                                        ? FullText::joinedKana(held->c, folds.front())
                                        : 0) {
            // The kana and its mark make one unit, from the bytes of both.
            held->c = joined;
            held->end = i + length;
        } else {
            for (const char32_t f : folds) {
                if (held)
                    out(*held);
                held = Unit{f, i, i + length};
            }
        }
        i += length;
    }
    if (held)
        out(*held);
}

std::u32string foldedText(sqlite3_value* value)
{
    std::u32string folded;
    const auto* text = sqlite3_value_text(value);
    const int bytes = sqlite3_value_bytes(value);
    folded.reserve(std::size_t(bytes));
    foldUtf8(text, bytes, [&folded](const Unit& unit) { folded += unit.c; });
    return folded;
}

int appendUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (c >> 18));
    out[1] = char(0x80 | ((c >> 12) & 0x3F));
    out[2] = char(0x80 | ((c >> 6) & 0x3F));
    out[3] = char(0x80 | (c & 0x3F));
    return 4;
}

// ---- the tokenizer -------------------------------------------------------------------------------------------

// The tokenizer keeps no state; FTS5 only needs a pointer that is not null.
int kTokenizerInstance = 0;

int createTokenizer(void*, const char**, int, Fts5Tokenizer** out)
{
    *out = reinterpret_cast<Fts5Tokenizer*>(&kTokenizerInstance);
    return SQLITE_OK;
}

void deleteTokenizer(Fts5Tokenizer*) {}

// A text gives one token per pair of neighbouring characters, and a last one for its last character alone, so that
// a one-character word is a prefix query and longer words are phrases of pairs. A query gives pairs only, unless it
// is one character.
int tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int bytes,
             int (*emit)(void*, int, const char*, int, int, int))
{
    thread_local std::vector<Unit> units;
    units.clear();
    units.reserve(std::size_t(bytes));
    foldUtf8(reinterpret_cast<const unsigned char*>(text), bytes, [](const Unit& unit) { units.push_back(unit); });
    std::array<char, 8> token{};
    for (std::size_t k = 0; k + 1 < units.size(); ++k) {
        int length = appendUtf8(token.data(), units[k].c);
        length += appendUtf8(token.data() + length, units[k + 1].c);
        const int rc = emit(context, 0, token.data(), length, units[k].start, units[k + 1].end);
        if (rc != SQLITE_OK)
            return rc;
    }
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    if (!units.empty() && (!query || units.size() == 1)) {
        const Unit& last = units.back();
        return emit(context, 0, token.data(), appendUtf8(token.data(), last.c), last.start, last.end);
    }
    return SQLITE_OK;
}

fts5_tokenizer kTokenizer{createTokenizer, deleteTokenizer, tokenize};

fts5_api* fts5Of(sqlite3* handle)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

// ---- the comparison a scan uses ------------------------------------------------------------------------------

void freeFolded(void* folded)
{
    delete static_cast<std::u32string*>(folded);
}

// zettora_contains(text, word): 1 when the folded text holds the folded word. The word is folded once per statement.
void contains(sqlite3_context* context, int, sqlite3_value** arguments)
{
    if (sqlite3_value_type(arguments[0]) != SQLITE_TEXT || sqlite3_value_type(arguments[1]) != SQLITE_TEXT) {
        sqlite3_result_int(context, 0);
        return;
    }
    auto* word = static_cast<std::u32string*>(sqlite3_get_auxdata(context, 1));
    if (!word) {
        word = new std::u32string(foldedText(arguments[1]));
        sqlite3_set_auxdata(context, 1, word, freeFolded);
        word = static_cast<std::u32string*>(sqlite3_get_auxdata(context, 1));
        if (!word) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    sqlite3_result_int(context, !word->empty() && foldedText(arguments[0]).find(*word) != std::u32string::npos);
}

// ---- the index's tables --------------------------------------------------------------------------------------

QString qualified(const QString& schema, const char* name)
{
    return schema + u'.' + QLatin1StringView(name);
}

QString ofSchema(QString sql, const QString& schema)
{
    return sql.replace(QStringLiteral("S."), schema + u'.');
}

// The triggers that log changes, as the catalog keeps their text. Only a collection has them: a saved edition is
// never written. A body is indexed under its pfID as record view shows it: the first MEMO_DAT row of that number.
// So the body triggers run before the change and log that first row as it still is; the index rows of MEMO_IDX are
// indexed under their rowid, whose count and sum the triggers also keep (a VACUUM may renumber rowids unseen).
struct TriggerDef {
    const char* name;
    const char* sql;
};
#define ZETTORA_LOG_BODY(number)                                                                                       \
    "INSERT INTO zettora_index_log(kind, ref, indexed, old1) SELECT 0, " number ", "                                   \
    "EXISTS (SELECT 1 FROM MEMO_DAT WHERE pfID = " number "), "                                                        \
    "(SELECT a01 FROM MEMO_DAT WHERE pfID = " number " ORDER BY rowid LIMIT 1) WHERE " number " IS NOT NULL AND "      \
    "NOT EXISTS (SELECT 1 FROM zettora_index_log WHERE kind = 0 AND ref = " number "); "
#define ZETTORA_LOG_PICTURES(number)                                                                                   \
    "INSERT INTO zettora_index_log(kind, ref, indexed) SELECT 2, " number ", 1 WHERE NOT EXISTS (SELECT 1 FROM "       \
    "zettora_index_log WHERE kind = 2 AND ref = " number "); "
constexpr std::array<TriggerDef, 9> kTriggers{{
    {"zettora_body_adding",
     "CREATE TRIGGER zettora_body_adding BEFORE INSERT ON MEMO_DAT BEGIN " ZETTORA_LOG_BODY("NEW.pfID") "END"},
    {"zettora_body_deleting",
     "CREATE TRIGGER zettora_body_deleting BEFORE DELETE ON MEMO_DAT BEGIN " ZETTORA_LOG_BODY("OLD.pfID") "END"},
    {"zettora_body_changing",
     "CREATE TRIGGER zettora_body_changing BEFORE UPDATE ON MEMO_DAT "
     "WHEN NEW.a01 IS NOT OLD.a01 OR NEW.pfID IS NOT OLD.pfID OR NEW.rowid IS NOT OLD.rowid BEGIN " ZETTORA_LOG_BODY(
         "OLD.pfID") ZETTORA_LOG_BODY("NEW.pfID") "END"},
    {"zettora_label_added",
     "CREATE TRIGGER zettora_label_added AFTER INSERT ON MEMO_IDX BEGIN "
     "INSERT INTO zettora_index_log(kind, ref, indexed) VALUES (1, NEW.rowid, 0); "
     "UPDATE zettora_index_state SET row_count = row_count + 1, rowid_sum = rowid_sum + NEW.rowid "
     "WHERE name = 'MEMO_IDX'; END"},
    {"zettora_label_deleted",
     "CREATE TRIGGER zettora_label_deleted AFTER DELETE ON MEMO_IDX BEGIN "
     "INSERT INTO zettora_index_log(kind, ref, indexed, old1, old2) SELECT 1, OLD.rowid, 1, OLD.a02, OLD.a07 "
     "WHERE NOT EXISTS (SELECT 1 FROM zettora_index_log WHERE kind = 1 AND ref = OLD.rowid); "
     "UPDATE zettora_index_state SET row_count = row_count - 1, rowid_sum = rowid_sum - OLD.rowid "
     "WHERE name = 'MEMO_IDX'; END"},
    {"zettora_label_changed",
     "CREATE TRIGGER zettora_label_changed AFTER UPDATE OF a02, a07, rowid, _rowid_, oid ON MEMO_IDX "
     "WHEN NEW.a02 IS NOT OLD.a02 OR NEW.a07 IS NOT OLD.a07 OR NEW.rowid IS NOT OLD.rowid BEGIN "
     "INSERT INTO zettora_index_log(kind, ref, indexed, old1, old2) SELECT 1, OLD.rowid, 1, OLD.a02, OLD.a07 "
     "WHERE NOT EXISTS (SELECT 1 FROM zettora_index_log WHERE kind = 1 AND ref = OLD.rowid); "
     "INSERT INTO zettora_index_log(kind, ref, indexed) SELECT 1, NEW.rowid, 0 WHERE NEW.rowid IS NOT OLD.rowid; "
     "UPDATE zettora_index_state SET rowid_sum = rowid_sum - OLD.rowid + NEW.rowid WHERE name = 'MEMO_IDX'; END"},
    {"zettora_pictures_added",
     "CREATE TRIGGER zettora_pictures_added AFTER INSERT ON zettora_picture_text BEGIN " ZETTORA_LOG_PICTURES(
         "NEW.skID") "END"},
    {"zettora_pictures_deleted",
     "CREATE TRIGGER zettora_pictures_deleted AFTER DELETE ON zettora_picture_text BEGIN " ZETTORA_LOG_PICTURES(
         "OLD.skID") "END"},
    {"zettora_pictures_changed",
     "CREATE TRIGGER zettora_pictures_changed AFTER UPDATE ON zettora_picture_text BEGIN " ZETTORA_LOG_PICTURES(
         "OLD.skID") ZETTORA_LOG_PICTURES("NEW.skID") "END"},
}};
// The label trigger as files made before it named its columns hold it: it ran for every row of an update of the class
// numbers, a third of the time of renumbering every scrap. Renewed when the file is opened to be written.
constexpr TriggerDef kFormerLabelChanged{
    "zettora_label_changed",
    "CREATE TRIGGER zettora_label_changed AFTER UPDATE ON MEMO_IDX "
    "WHEN NEW.a02 IS NOT OLD.a02 OR NEW.a07 IS NOT OLD.a07 OR NEW.rowid IS NOT OLD.rowid BEGIN "
    "INSERT INTO zettora_index_log(kind, ref, indexed, old1, old2) SELECT 1, OLD.rowid, 1, OLD.a02, OLD.a07 "
    "WHERE NOT EXISTS (SELECT 1 FROM zettora_index_log WHERE kind = 1 AND ref = OLD.rowid); "
    "INSERT INTO zettora_index_log(kind, ref, indexed) SELECT 1, NEW.rowid, 0 WHERE NEW.rowid IS NOT OLD.rowid; "
    "UPDATE zettora_index_state SET rowid_sum = rowid_sum - OLD.rowid + NEW.rowid WHERE name = 'MEMO_IDX'; END"};
constexpr std::size_t kLabelChanged = 5;
static_assert(std::string_view(kTriggers[kLabelChanged].name) == std::string_view(kFormerLabelChanged.name));
// The triggers an index without picture text has: the first ones of the list.
constexpr std::size_t kTriggersWithoutPictures = 6;
#undef ZETTORA_LOG_BODY
#undef ZETTORA_LOG_PICTURES

// The body table keeps no text (contentless): the bodies are in MEMO_DAT already.
// The text of a picture set's pictures, one row per set: it keeps its text (a few hundred characters a picture), so a
// set is taken out by its number alone.
constexpr char kPictureIndexTable[] =
    "CREATE VIRTUAL TABLE S.zettora_picture_index USING fts5(text, columnsize=0, tokenize='zettora_bigram')";
constexpr std::array<const char*, 6> kTables{
    kPictureIndexTable,
    "CREATE VIRTUAL TABLE S.zettora_body_index USING fts5(body, content='', columnsize=0, "
    "tokenize='zettora_bigram')",
    "CREATE VIRTUAL TABLE S.zettora_label_index USING fts5(title, keyword, content='', columnsize=0, "
    "tokenize='zettora_bigram')",
    "CREATE TABLE S.zettora_index_log (seq INTEGER PRIMARY KEY AUTOINCREMENT, kind INTEGER NOT NULL, "
    "ref INTEGER NOT NULL, indexed INTEGER NOT NULL, old1 TEXT, old2 TEXT)",
    "CREATE INDEX S.zettora_index_log_ref ON zettora_index_log(kind, ref)",
    "CREATE TABLE S.zettora_index_state (name TEXT PRIMARY KEY, row_count INTEGER NOT NULL, rowid_sum INTEGER NOT "
    "NULL, "
    "stamp TEXT)",
};
constexpr std::array<const char*, 5> kTableNames{"zettora_body_index", "zettora_label_index", "zettora_index_log",
                                                 "zettora_index_state", "zettora_picture_index"};
constexpr std::array<const char*, 3> kFullTextTables{"zettora_body_index", "zettora_label_index",
                                                     "zettora_picture_index"};

struct Fingerprint {
    qint64 rows = 0;
    qint64 rowidSum = 0;
    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
};

Fingerprint measured(Connection& connection, const char* table)
{
    Query query(connection,
                QStringLiteral("SELECT count(*), coalesce(sum(rowid), 0) FROM main.") + QLatin1StringView(table));
    query.next();
    return {query.integer(0), query.integer(1)};
}

std::optional<Fingerprint> stored(Connection& connection, const QString& schema, const char* name)
{
    Query query(
        connection,
        ofSchema(QStringLiteral("SELECT row_count, rowid_sum FROM S.zettora_index_state WHERE name = ?"), schema));
    query.bind(1, QString::fromLatin1(name));
    if (!query.next())
        return std::nullopt;
    return Fingerprint{query.integer(0), query.integer(1)};
}

QString storedStamp(Connection& connection, const QString& schema)
{
    Query query(connection,
                ofSchema(QStringLiteral("SELECT stamp FROM S.zettora_index_state WHERE name = 'version'"), schema));
    return query.next() ? query.text(0) : QString();
}

bool isFormerTrigger(const QString& name, const QString& sql)
{
    return name == QLatin1StringView(kFormerLabelChanged.name) && sql == QLatin1StringView(kFormerLabelChanged.sql);
}

bool isOurTrigger(const QString& name, const QString& sql)
{
    return isFormerTrigger(name, sql) || std::any_of(kTriggers.cbegin(), kTriggers.cend(), [&](const TriggerDef& t) {
               return name == QLatin1StringView(t.name) && sql == QLatin1StringView(t.sql);
           });
}

// Replaces a trigger of an earlier version by the one this version makes; what it logs is the same.
void renewFormerTriggers(Connection& connection)
{
    Query query(connection, QStringLiteral("SELECT sql FROM main.sqlite_schema WHERE type = 'trigger' AND name = ?"));
    query.bind(1, QString::fromLatin1(kFormerLabelChanged.name));
    if (!query.next() || !isFormerTrigger(QString::fromLatin1(kFormerLabelChanged.name), query.text(0)))
        return;
    Transaction transaction(connection);
    connection.execute(QStringLiteral("DROP TRIGGER main.") + QLatin1StringView(kFormerLabelChanged.name));
    connection.execute(QString::fromLatin1(kTriggers[kLabelChanged].sql));
    transaction.commit();
}

bool triggersAsExpected(Connection& connection, std::size_t expected)
{
    Query query(connection, QStringLiteral("SELECT name, sql FROM main.sqlite_schema WHERE type = 'trigger' AND "
                                           "name LIKE 'zettora\\_%' ESCAPE '\\'"));
    int found = 0;
    while (query.next()) {
        const QString name = query.text(0);
        const auto end = kTriggers.cbegin() + std::ptrdiff_t(expected);
        const auto def = std::find_if(kTriggers.cbegin(), end,
                                      [&name](const TriggerDef& t) { return name == QLatin1StringView(t.name); });
        if (def == end || (query.text(1) != QLatin1StringView(def->sql) && !isFormerTrigger(name, query.text(1))))
            return false;
        ++found;
    }
    return found == int(expected);
}

bool isMain(const QString& schema)
{
    return schema == QLatin1StringView(kMainSchema);
}

void setPendingBytes(Connection& connection, const QString& schema, const char* table)
{
    Query pending(connection, QStringLiteral("INSERT INTO ") + qualified(schema, table) + u'(' +
                                  QLatin1StringView(table) + QStringLiteral(", rank) VALUES ('hashsize', ?)"));
    pending.bind(1, kPendingBytes).run();
}

// Logs every picture set with text, for catching up.
void logPictureSets(Connection& connection, const QString& schema)
{
    if (connection.hasTable(QString::fromUtf16(Schema::kPictureText)))
        connection.execute(ofSchema(QStringLiteral("INSERT INTO S.zettora_index_log(kind, ref, indexed) "
                                                   "SELECT DISTINCT 2, skID, 0 FROM main.zettora_picture_text"),
                                    schema));
}

// The triggers on the picture text need its table, which a collection gets with its index.
void createPictureTriggers(Connection& connection)
{
    connection.execute(QString::fromLatin1(Schema::kCreatePictureText));
    for (std::size_t i = kTriggersWithoutPictures; i < kTriggers.size(); ++i)
        connection.execute(QString::fromLatin1(kTriggers[i].sql));
}

int installedVersion(Connection& connection, const QString& schema)
{
    Query version(
        connection,
        ofSchema(QStringLiteral("SELECT row_count FROM S.zettora_index_state WHERE name = 'version'"), schema));
    return version.next() ? int(version.integer(0)) : 0;
}

void dropEverything(Connection& connection, const QString& schema)
{
    if (isMain(schema)) {
        Query triggers(connection, QStringLiteral("SELECT name FROM main.sqlite_schema WHERE type = 'trigger' AND "
                                                  "name LIKE 'zettora\\_%' ESCAPE '\\'"));
        QStringList names;
        while (triggers.next())
            names << triggers.text(0);
        for (const QString& name : names)
            connection.execute(QStringLiteral("DROP TRIGGER main.\"") + name + u'"');
    }
    for (const char* table : kTableNames)
        connection.execute(QStringLiteral("DROP TABLE IF EXISTS ") + qualified(schema, table));
}

void resetInTransaction(Connection& connection, const QString& schema, const QString& stamp)
{
    dropEverything(connection, schema);
    for (const char* sql : kTables)
        connection.execute(ofSchema(QString::fromLatin1(sql), schema));
    for (const char* table : kFullTextTables)
        setPendingBytes(connection, schema, table);
    if (isMain(schema)) {
        for (std::size_t i = 0; i < kTriggersWithoutPictures; ++i)
            connection.execute(QString::fromLatin1(kTriggers[i].sql));
        createPictureTriggers(connection);
    }
    Query version(connection,
                  ofSchema(QStringLiteral("INSERT INTO S.zettora_index_state(name, row_count, rowid_sum, stamp) "
                                          "VALUES ('version', ?, 0, ?)"),
                           schema));
    version.bind(1, kVersion).bind(2, stamp).run();
    for (const char* table : {"MEMO_IDX"}) {
        const Fingerprint now = measured(connection, table);
        Query state(connection, ofSchema(QStringLiteral("INSERT INTO S.zettora_index_state(name, row_count, rowid_sum) "
                                                        "VALUES (?, ?, ?)"),
                                         schema));
        state.bind(1, QString::fromLatin1(table)).bind(2, now.rows).bind(3, now.rowidSum).run();
    }
    connection.execute(ofSchema(QStringLiteral("INSERT INTO S.zettora_index_log(kind, ref, indexed) "
                                               "SELECT DISTINCT 0, pfID, 0 FROM main.MEMO_DAT WHERE pfID IS NOT NULL"),
                                schema));
    connection.execute(ofSchema(QStringLiteral("INSERT INTO S.zettora_index_log(kind, ref, indexed) "
                                               "SELECT 1, rowid, 0 FROM main.MEMO_IDX"),
                                schema));
    logPictureSets(connection, schema);
}

// The statements one catching up uses, prepared once.
class CatchUp final {
public:
    CatchUp(Connection& connection, const QString& schema)
        : m_firstEntry(connection, ofSchema(QStringLiteral("SELECT indexed, old1, old2 FROM S.zettora_index_log "
                                                           "WHERE kind = ? AND ref = ? ORDER BY seq LIMIT 1"),
                                            schema))
        , m_dropEntries(connection,
                        ofSchema(QStringLiteral("DELETE FROM S.zettora_index_log WHERE kind = ? AND ref = ?"), schema))
        , m_body(connection, QStringLiteral("SELECT a01 FROM main.MEMO_DAT WHERE pfID = ? ORDER BY rowid LIMIT 1"))
        , m_label(connection, QStringLiteral("SELECT a02, a07 FROM main.MEMO_IDX WHERE rowid = ?"))
        , m_unindexBody(connection, ofSchema(QStringLiteral("INSERT INTO S.zettora_body_index(zettora_body_index, "
                                                            "rowid, body) VALUES ('delete', ?, ?)"),
                                             schema))
        , m_unindexLabel(connection, ofSchema(QStringLiteral("INSERT INTO S.zettora_label_index(zettora_label_index, "
                                                             "rowid, title, keyword) VALUES ('delete', ?, ?, ?)"),
                                              schema))
        , m_indexBody(connection,
                      ofSchema(QStringLiteral("INSERT INTO S.zettora_body_index(rowid, body) VALUES (?, ?)"), schema))
        , m_indexLabel(connection, ofSchema(QStringLiteral("INSERT INTO S.zettora_label_index(rowid, title, keyword) "
                                                           "VALUES (?, ?, ?)"),
                                            schema))
        , m_connection(connection)
        , m_schema(schema)
    {}

    void take(int kind, qint64 ref)
    {
        if (kind == PictureSet)
            takePictures(ref);
        else
            takeRow(kind, ref);
        m_dropEntries.reset();
        m_dropEntries.bind(1, kind).bind(2, ref).run();
    }

private:
    void takeRow(int kind, qint64 ref)
    {
        m_firstEntry.bind(1, kind).bind(2, ref);
        if (m_firstEntry.next() && m_firstEntry.integer(0) != 0)
            unindex(kind, ref);
        m_firstEntry.reset();
        Query& current = kind == BodyRow ? m_body : m_label;
        current.reset();
        current.bind(1, ref);
        if (current.next()) {
            Query& index = kind == BodyRow ? m_indexBody : m_indexLabel;
            index.reset();
            index.bind(1, ref);
            for (int column = 0; column < current.columnCount(); ++column)
                index.bindStored(column + 2, current, column);
            index.run();
        }
    }

    // A set's text is indexed whole, all its pictures in one row: what it held before goes by the set's number.
    void takePictures(qint64 set)
    {
        if (!m_unindexPictures) {
            Connection& connection = m_connection;
            m_unindexPictures.emplace(connection, ofSchema(QStringLiteral("DELETE FROM S.zettora_picture_index "
                                                                          "WHERE rowid = ?"),
                                                           m_schema));
            if (connection.hasTable(QString::fromUtf16(Schema::kPictureText)))
                m_indexPictures.emplace(
                    connection, ofSchema(QStringLiteral("INSERT INTO S.zettora_picture_index(rowid, text) SELECT ?1, "
                                                        "group_concat(text, char(10)) FROM main.zettora_picture_text "
                                                        "WHERE skID = ?1 AND text <> '' HAVING count(*) > 0"),
                                         m_schema));
        }
        m_unindexPictures->reset();
        m_unindexPictures->bind(1, set).run();
        if (m_indexPictures) {
            m_indexPictures->reset();
            m_indexPictures->bind(1, set).run();
        }
    }

    // The values as they were indexed go back in exactly as stored, or the contentless table would keep tokens.
    void unindex(int kind, qint64 ref)
    {
        Query& unindex = kind == BodyRow ? m_unindexBody : m_unindexLabel;
        unindex.reset();
        unindex.bind(1, ref);
        unindex.bindStored(2, m_firstEntry, 1);
        if (kind == LabelRow)
            unindex.bindStored(3, m_firstEntry, 2);
        unindex.run();
    }

    Query m_firstEntry;
    Query m_dropEntries;
    Query m_body;
    Query m_label;
    Query m_unindexBody;
    Query m_unindexLabel;
    Query m_indexBody;
    Query m_indexLabel;
    std::optional<Query> m_unindexPictures;
    std::optional<Query> m_indexPictures;
    Connection& m_connection;
    QString m_schema;
};

} // namespace

namespace {

constexpr char kIndexHoldsFunction[] = "zettora_index_holds";

// The statement reading the rowids of one of the index's tables that match an expression; empty for a name that is
// not "schema.table" with one of those tables.
std::string matchingRowidsSql(std::string_view qualifiedTable)
{
    const size_t dot = qualifiedTable.find('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string_view schema = qualifiedTable.substr(0, dot);
    const std::string_view table = qualifiedTable.substr(dot + 1);
    const auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    if (schema.empty() || !std::ranges::all_of(schema, plain) ||
        std::ranges::find(kFullTextTables, table) == kFullTextTables.end())
        return {};
    const std::string name(table);
    return "SELECT rowid FROM \"" + std::string(schema) + "\".\"" + name + "\" WHERE \"" + name + "\" MATCH ?";
}

void freeRowids(void* rowids)
{
    delete static_cast<std::vector<sqlite3_int64>*>(rowids);
}

// zettora_index_holds('schema.table', expression, id): 1 when id is among the rowids of the index table that match
// expression. They are read once per statement into a sorted list: SQLite's own list for an IN of tens of thousands of
// rowids costs several times more to build.
void indexHolds(sqlite3_context* context, int, sqlite3_value** arguments)
{
    auto* rowids = static_cast<std::vector<sqlite3_int64>*>(sqlite3_get_auxdata(context, 1));
    if (!rowids) {
        const auto* table = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
        const std::string sql = matchingRowidsSql(table ? std::string_view(table) : std::string_view());
        if (sql.empty()) {
            sqlite3_result_error(context, "zettora_index_holds: not a table of the body index", -1);
            return;
        }
        sqlite3* handle = sqlite3_context_db_handle(context);
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr);
        auto found = std::make_unique<std::vector<sqlite3_int64>>();
        if (rc == SQLITE_OK)
            rc = sqlite3_bind_value(statement, 1, arguments[1]);
        while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            found->push_back(sqlite3_column_int64(statement, 0));
            rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE) {
            sqlite3_result_error(context, sqlite3_errmsg(handle), -1);
            sqlite3_result_error_code(context, rc);
            return;
        }
        if (!std::ranges::is_sorted(*found))
            std::ranges::sort(*found);
        sqlite3_set_auxdata(context, 1, found.release(), freeRowids);
        rowids = static_cast<std::vector<sqlite3_int64>*>(sqlite3_get_auxdata(context, 1));
        if (!rowids) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    sqlite3_result_int(context, sqlite3_value_type(arguments[2]) == SQLITE_INTEGER &&
                                    std::ranges::binary_search(*rowids, sqlite3_value_int64(arguments[2])));
}

} // namespace

void registerFunctions(Connection& connection)
{
    sqlite3* handle = connection.handle();
    fts5_api* api = fts5Of(handle);
    if (!api)
        throw DbError(SQLITE_ERROR, QStringLiteral("this SQLite has no FTS5"));
    int rc = api->xCreateTokenizer(api, kTokenizerName, nullptr, &kTokenizer, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(handle, kContainsFunction, 2,
                                        SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, contains,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(handle, kIndexHoldsFunction, 3, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                                        indexHolds, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(rc,
                      QStringLiteral("cannot register the body search: ") + QString::fromUtf8(sqlite3_errmsg(handle)));
}

QString cacheFileFor(const QString& editionPath)
{
    const QFileInfo info(editionPath);
    const QString canonical = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray key = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/search-index/") +
           QString::fromLatin1(key) + QStringLiteral(".sqlite");
}

void attachCache(Connection& connection, const QString& cacheFile)
{
    Query attached(connection, QStringLiteral("SELECT 1 FROM pragma_database_list WHERE name = ?"));
    attached.bind(1, QString::fromLatin1(kCacheSchema));
    if (attached.next())
        return;
    // The file is made here: a connection opened without the right to create files cannot attach a new one.
    QFile file(cacheFile);
    if (!QDir().mkpath(QFileInfo(cacheFile).absolutePath()) || !file.open(QIODevice::Append))
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("cannot make ") + cacheFile);
    file.close();
    Query attach(connection, QStringLiteral("ATTACH DATABASE ? AS ") + QLatin1StringView(kCacheSchema));
    attach.bind(1, cacheFile).run();
}

QStringList foreignTriggersAndViews(Connection& connection)
{
    QStringList foreign;
    Query query(connection, QStringLiteral("SELECT type, name, sql FROM main.sqlite_schema "
                                           "WHERE type IN ('trigger', 'view') ORDER BY name"));
    while (query.next()) {
        if (query.text(0) == QLatin1StringView("view") || !isOurTrigger(query.text(1), query.text(2)))
            foreign << query.text(1);
    }
    return foreign;
}

bool isInstalled(Connection& connection, const QString& schema)
{
    Query query(connection, ofSchema(QStringLiteral("SELECT count(*) FROM S.sqlite_schema WHERE type = 'table' AND "
                                                    "name IN ('zettora_body_index', 'zettora_label_index', "
                                                    "'zettora_index_log', 'zettora_index_state')"),
                                     schema));
    // The picture table is not asked for: an index made before it still serves bodies.
    return query.next() && query.integer(0) == 4;
}

bool hasPictureTable(Connection& connection, const QString& schema)
{
    Query query(connection, ofSchema(QStringLiteral("SELECT 1 FROM S.sqlite_schema WHERE type = 'table' AND "
                                                    "name = 'zettora_picture_index'"),
                                     schema));
    return query.next();
}

bool verifyOrReset(Connection& connection, const QString& schema, const QString& stamp)
{
    if (isSound(connection, schema, stamp)) {
        if (isMain(schema))
            renewFormerTriggers(connection);
        return false;
    }
    reset(connection, schema, stamp);
    return true;
}

qint64 scrapCount(Connection& connection)
{
    Query count(connection, QStringLiteral("SELECT count(*) FROM MEMO_IDX"));
    return count.next() ? count.integer(0) : 0;
}

bool isSound(Connection& connection, const QString& schema, const QString& stamp)
{
    bool sound = isInstalled(connection, schema);
    sound = sound && installedVersion(connection, schema) == kVersion && storedStamp(connection, schema) == stamp;
    if (sound && isMain(schema))
        sound = triggersAsExpected(connection, kTriggers.size());
    // Opening each index table reads its own records: one damaged elsewhere fails here (and is taken out by the
    // caller).
    if (sound) {
        for (const char* table : kFullTextTables) {
            Query probe(connection, QStringLiteral("SELECT rowid FROM ") + qualified(schema, table) +
                                        QStringLiteral(" WHERE ") + QLatin1StringView(table) +
                                        QStringLiteral(" MATCH 'x' LIMIT 1"));
            probe.next();
        }
    }
    if (sound)
        sound = stored(connection, schema, "MEMO_IDX") == measured(connection, "MEMO_IDX");
    return sound;
}

void forgetDamagedIndex(Connection& connection, const QString& schema)
{
    // A virtual table whose module refuses to open cannot be dropped: its catalog row goes, then its own tables.
    // Defensive mode forbids editing the catalog, so it is lifted for this alone.
    sqlite3_db_config(connection.handle(), SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
    connection.execute(QStringLiteral("PRAGMA writable_schema = ON"));
    const auto off = qScopeGuard([&connection] {
        try {
            connection.execute(QStringLiteral("PRAGMA writable_schema = OFF"));
        } catch (const DbError& e) {
            qCWarning(lcSearch) << "cannot close the catalog for writing again:" << e.message();
        }
        sqlite3_db_config(connection.handle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    });
    connection.execute(ofSchema(QStringLiteral("DELETE FROM S.sqlite_schema WHERE type = 'table' AND name IN "
                                               "('zettora_body_index', 'zettora_label_index', "
                                               "'zettora_picture_index')"),
                                schema));
    for (const char* table : kFullTextTables) {
        for (const char* shadow : {"_data", "_idx", "_config", "_docsize", "_content"})
            connection.execute(QStringLiteral("DROP TABLE IF EXISTS ") + qualified(schema, table) +
                               QLatin1StringView(shadow));
    }
}

void reset(Connection& connection, const QString& schema, const QString& stamp)
{
    Transaction transaction(connection);
    resetInTransaction(connection, schema, stamp);
    transaction.commit();
}

qint64 pendingCount(Connection& connection, const QString& schema)
{
    Query query(connection, ofSchema(QStringLiteral("SELECT count(*) FROM S.zettora_index_log"), schema));
    return query.next() ? query.integer(0) : 0;
}

qint64 lastLogged(Connection& connection, const QString& schema)
{
    Query query(connection, ofSchema(QStringLiteral("SELECT coalesce(max(seq), 0) FROM S.zettora_index_log"), schema));
    return query.next() ? query.integer(0) : 0;
}

int catchUp(Connection& connection, const QString& schema, int maxRows, qint64 afterEntry)
{
    std::vector<std::pair<int, qint64>> rows;
    std::vector<qint64> unkeyed;
    {
        Query entries(connection,
                      ofSchema(QStringLiteral("SELECT kind, ref, seq, typeof(ref) = 'integer' FROM S.zettora_index_log "
                                              "WHERE seq > ? ORDER BY seq LIMIT ?"),
                               schema));
        entries.bind(1, afterEntry).bind(2, qint64(maxRows) * 2);
        QSet<QPair<int, qint64>> seen;
        while (int(rows.size() + unkeyed.size()) < maxRows && entries.next()) {
            // A number that is not a whole number (another tool's doing) can key no index row: its entry goes.
            if (entries.integer(3) == 0) {
                unkeyed.push_back(entries.integer(2));
                continue;
            }
            const QPair<int, qint64> row(int(entries.integer(0)), entries.integer(1));
            if (!seen.contains(row)) {
                seen.insert(row);
                rows.emplace_back(row.first, row.second);
            }
        }
    }
    if (!unkeyed.empty()) {
        Query drop(connection, ofSchema(QStringLiteral("DELETE FROM S.zettora_index_log WHERE seq = ?"), schema));
        for (qint64 seq : unkeyed) {
            drop.reset();
            drop.bind(1, seq).run();
        }
    }
    if (!rows.empty()) {
        CatchUp step(connection, schema);
        for (const auto& [kind, ref] : rows)
            step.take(kind, ref);
    }
    return int(rows.size() + unkeyed.size());
}

bool rebuild(Connection& connection, const QString& schema, const QString& stamp,
             const std::function<void(qint64, qint64)>& progress, const std::function<bool()>& shouldStop)
{
    reset(connection, schema, stamp);
    return catchUpAll(connection, schema, progress, shouldStop);
}

bool catchUpAll(Connection& connection, const QString& schema, const std::function<void(qint64, qint64)>& progress,
                const std::function<bool()>& shouldStop)
{
    const qint64 total = pendingCount(connection, schema);
    qint64 done = 0;
    for (;;) {
        if (shouldStop && shouldStop())
            return false;
        Transaction transaction(connection);
        QElapsedTimer held;
        held.start();
        int taken = 0;
        int takenNow = 0;
        do {
            takenNow = catchUp(connection, schema, kRowsPerTransaction);
            taken += takenNow;
            done += takenNow;
            if (progress && takenNow > 0)
                progress(std::min(done, total), total);
        } while (takenNow > 0 && held.elapsed() < kTransactionMs && !(shouldStop && shouldStop()));
        transaction.commit();
        if (taken == 0)
            return true;
    }
}

} // namespace BodyIndex
