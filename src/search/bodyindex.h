#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Connection;

// The word index over every scrap's body, title and keyword, and over the text read from each picture set: three FTS5
// tables whose tokenizer folds each character
// as the full-text marker compares (FullText::foldedChar) and emits overlapping pairs of characters, so any
// substring of one character or more can be looked up.
//
// The index never has to agree with the tables by the care of each write path. Triggers of plain SQL log every
// change of a body, title, keyword or picture text into a pending table, in the statement that makes it; whoever holds
// the tokenizer later takes the index in step with the logged rows ("catching up"). A search treats logged rows as not
// indexed and compares them one by one. The triggers need nothing of this program, so the file stays writable by
// any SQLite tool, and what such a tool changed is caught up on the next opening.
namespace BodyIndex {

// Where the index lives: in the collection itself, or, for a read-only saved edition, in a file of the user's cache
// attached under this name.
inline constexpr char kMainSchema[] = "main";
inline constexpr char kCacheSchema[] = "zsearch";

// Teaches a connection the tokenizer, the comparison function zettora_contains(text, word) and
// zettora_index_holds('schema.table', expression, rowid), a lookup in the index's matches. Throws DbError.
void registerFunctions(Connection& connection);

// The file a saved edition's index is kept in, in the user's cache folder.
QString cacheFileFor(const QString& editionPath);
// Attaches the cache file under kCacheSchema, unless something is attached there already. Throws DbError.
void attachCache(Connection& connection, const QString& cacheFile);

// The triggers and views of the file's own schema that this program did not make (a trigger of ours whose text was
// changed included). Such a file is not trusted to be written. Throws DbError.
[[nodiscard]] QStringList foreignTriggersAndViews(Connection& connection);

// True when the index's tables are in schema (read from the catalog only: cheap enough for every opening).
[[nodiscard]] bool isInstalled(Connection& connection, const QString& schema);
// True when the index has its table of picture text (an index made before it had none). From the catalog only.
[[nodiscard]] bool hasPictureTable(Connection& connection, const QString& schema);

// Checks the index against the file: its version, its triggers, the row counts and rowid sums the triggers keep,
// and for a saved edition the file's size and time. When anything is off the index is made anew, empty, with every
// row logged for catching up. stamp identifies a saved edition's file (empty for a collection). Returns true when
// the index had to be made anew. Throws DbError, also when an index table cannot be opened (see forgetDamagedIndex).
bool verifyOrReset(Connection& connection, const QString& schema, const QString& stamp);
// The same checks without making anything anew: true when the index may be searched as it is. Throws DbError.
[[nodiscard]] bool isSound(Connection& connection, const QString& schema, const QString& stamp);
// The scraps of the file, for progress the user can read. Throws DbError.
[[nodiscard]] qint64 scrapCount(Connection& connection);
// Takes index tables that can no longer be opened (damaged by another tool) out of the file's catalog, with what
// they stored; the connection must be opened anew before the index is made again. Throws DbError.
void forgetDamagedIndex(Connection& connection, const QString& schema);
// Empties the index and logs every row, creating the tables and triggers first. Throws DbError.
void reset(Connection& connection, const QString& schema, const QString& stamp);

// How many rows wait to be caught up (entries of the log, so a row changed twice counts twice).
[[nodiscard]] qint64 pendingCount(Connection& connection, const QString& schema);
// The number of the last log entry, 0 for none.
[[nodiscard]] qint64 lastLogged(Connection& connection, const QString& schema);
// Takes up to maxRows logged rows with entries after afterEntry into the index and drops their entries. Must run
// inside a transaction. Returns how many rows were taken. Throws DbError.
int catchUp(Connection& connection, const QString& schema, int maxRows, qint64 afterEntry = 0);

// Catches up every logged row, in transactions of a few hundred rows; progress(done, total) after each; stops
// early (returning false) when shouldStop says so. Throws DbError.
[[nodiscard]] bool catchUpAll(Connection& connection, const QString& schema,
                              const std::function<void(qint64, qint64)>& progress,
                              const std::function<bool()>& shouldStop);
// Makes the index anew and catches up every row, as catchUpAll. Throws DbError.
[[nodiscard]] bool rebuild(Connection& connection, const QString& schema, const QString& stamp,
                           const std::function<void(qint64, qint64)>& progress,
                           const std::function<bool()>& shouldStop);

} // namespace BodyIndex
