#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class Connection;

// Where a scrap came from: the page's address and title, when it was clipped, and the page as it was shown (an
// MHTML file, compressed). Kept in a table of the program's own beside the twelve, made by the first scrap that has
// a source, so a collection never clipped from the web keeps the old shape. Functions throw DbError.
struct ScrapSource {
    QString address{};
    QString title{};
    QDateTime clippedAt{};
    // The compressed page; empty when none was kept, or not read.
    QByteArray pageCopy{};
    // A copy is stored, whether read or not.
    bool hasCopy = false;
};

namespace ScrapSources {

inline constexpr char16_t kTable[] = u"zettora_sources";
inline constexpr char16_t kOptionsTable[] = u"zettora_source_options";

// Whether pages clipped from the web tab are kept with their scraps, and how much of them: per page and for the
// whole collection, in compressed bytes.
// SQLite refuses a row of more than a billion bytes: no page limit goes past it, with room for the row's other values.
inline constexpr qint64 kLargestPageCopy = 999'000'000;
struct CopyOptions {
    bool keepCopies = true;
    qint64 pageLimit = 20LL * 1024 * 1024;
    qint64 collectionLimit = 2LL * 1024 * 1024 * 1024;
};
// The defaults where the file holds none.
[[nodiscard]] CopyOptions readOptions(Connection& connection);
void writeOptions(Connection& connection, const CopyOptions& options);

// The host part of an address, as the listing of one site compares it (lower case).
QString hostOf(const QString& address);

// False when the file has no sources yet (or a table of that name in another shape, which is never written).
[[nodiscard]] bool isPresent(Connection& connection);
// Makes the table when missing; throws DbError when a table of that name has another shape. Belongs in the
// caller's transaction.
void ensureTable(Connection& connection);

// Stores the source of scrap docNo, replacing one it had. In the caller's transaction.
void save(Connection& connection, qint64 docNo, const ScrapSource& source);
// The page copy of a scrap whose source is stored already; false when it has none (deleted meanwhile).
[[nodiscard]] bool attachPageCopy(Connection& connection, qint64 docNo, const QByteArray& pageCopy);
// The source of docNo; its page copy read only when asked for, since it may be large.
[[nodiscard]] std::optional<ScrapSource> load(Connection& connection, qint64 docNo, bool withCopy = false);
// The compressed bytes of every page copy kept in the file.
[[nodiscard]] qint64 storedCopyBytes(Connection& connection);
// The scraps whose source is exactly this address, by DocNo.
[[nodiscard]] QList<qint64> scrapsFrom(Connection& connection, const QString& address);
// The address of every scrap that has a source, by DocNo.
[[nodiscard]] QHash<qint64, QString> addresses(Connection& connection);
// Every site scraps came from, with how many, by host.
[[nodiscard]] QList<std::pair<QString, int>> sites(Connection& connection);
// Deletes the source of docNo, if there is one. In the caller's transaction.
void remove(Connection& connection, qint64 docNo);

// What lists the scraps of one address or of one host: a filter on MEMO_IDX.
QString addressFilter();
QString hostFilter();

} // namespace ScrapSources
