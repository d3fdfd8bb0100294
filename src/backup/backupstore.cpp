#include "backupstore.h"

#include "backuplog.h"
#include "common/textcut.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/stalefiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <thread>

namespace Backups {
namespace {

// Milliseconds too: two backups asked for within one second must not share a name.
const QString kNameFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");
constexpr int kDaily = 7;
constexpr int kWeekly = 4;
constexpr int kMonthly = 12;
// Times a copy may be started over by writes before it gives up.
constexpr int kMostRestarts = 20;
// The newest few whatever their day: a backup on closing after a mistake must not push out the one made before it.
constexpr int kNewest = 3;
// A file name holds 255 bytes: the collection's name leaves room for the folder's hash, or a restore's date and number.
constexpr qsizetype kFolderNameBytes = 255 - 9;
// A restore adds 「（復元 yyyy-MM-dd HHmm NNN）.mdb」 (36 bytes) and SQLite "-journal" beside it (8).
constexpr qsizetype kRestoreNameBytes = 255 - 48;
const QString kNotSound = QStringLiteral("バックアップを確かめられませんでした。");

RowCounts countRows(Connection& connection)
{
    RowCounts counts{};
    int i = 0;
    for (const Schema::Table& table : Schema::tables()) {
        Query count(connection, QStringLiteral("SELECT count(*) FROM \"") + QString::fromUtf16(table.name) + u'"');
        count.next();
        counts[std::size_t(i++)] = count.integer(0);
    }
    return counts;
}

std::optional<QDateTime> timeOf(const QString& fileName)
{
    if (!fileName.endsWith(QStringLiteral(".mdb")))
        return std::nullopt;
    const QDateTime when = QDateTime::fromString(fileName.chopped(4), kNameFormat);
    return when.isValid() ? std::optional(when) : std::nullopt;
}

// The online backup, page by page, waiting out the window's brief locks instead of failing on them. False when the
// copy was started over by other connections' writes too often to finish.
[[nodiscard]] bool copyDatabase(Connection& source, const QString& target, std::chrono::milliseconds longestBusyWait,
                                const std::atomic<bool>* stop)
{
    bool gaveUp = false;
    sqlite3* destination = nullptr;
    const QByteArray path = target.toUtf8();
    int rc = sqlite3_open_v2(path.constData(), &destination, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(destination, "main", source.handle(), "main");
        if (!backup) {
            rc = sqlite3_errcode(destination);
        } else {
            auto busySince = std::chrono::steady_clock::now();
            int restarts = 0;
            int remaining = -1;
            do {
                if (stop && stop->load()) {
                    rc = SQLITE_INTERRUPT;
                    break;
                }
                rc = sqlite3_backup_step(backup, 256);
                // A write of another connection starts the copy over: writes that never pause would keep it going
                // for ever, so it gives up and says why.
                if (rc == SQLITE_OK && remaining >= 0 && sqlite3_backup_remaining(backup) >= remaining &&
                    ++restarts > kMostRestarts) {
                    gaveUp = true;
                    break;
                }
                if (rc == SQLITE_OK)
                    remaining = sqlite3_backup_remaining(backup);
                if (rc == SQLITE_OK)
                    busySince = std::chrono::steady_clock::now();
                else if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                    // A lock held that long is another program's, and quitting would wait for it as long.
                    if (std::chrono::steady_clock::now() - busySince > longestBusyWait)
                        break;
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
            } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
            const int finish = sqlite3_backup_finish(backup);
            rc = gaveUp ? SQLITE_OK : rc == SQLITE_DONE ? finish : rc;
        }
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(destination));
    sqlite3_close(destination);
    if (rc != SQLITE_OK)
        throw DbError(rc, QStringLiteral("backup: ") + message);
    return !gaveUp;
}

qint64 dataVersion(Connection& connection)
{
    Query version(connection, QStringLiteral("PRAGMA data_version"));
    return version.next() ? version.integer(0) : -1;
}

} // namespace

namespace {

QString folderNamed(const QString& name, const QString& canonical)
{
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/backups/") +
           leftWithinUtf8(name, kFolderNameBytes) + u'-' + hash;
}

QString canonicalOf(const QFileInfo& info)
{
    return info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
}

} // namespace

QString folderFor(const QString& collectionPath)
{
    // A collection opened through a link is backed up beside the same file opened by its own name.
    const QString canonical = canonicalOf(QFileInfo(collectionPath));
    return folderNamed(QFileInfo(canonical).completeBaseName(), canonical);
}

QStringList foldersFor(const QString& collectionPath)
{
    const QFileInfo info(collectionPath);
    const QStringList folders{folderFor(collectionPath), folderNamed(info.completeBaseName(), canonicalOf(info))};
    // Backups made through a link before were named after the link.
    if (folders[1] != folders[0] && QFileInfo(folders[1]).isDir())
        return folders;
    return folders.mid(0, 1);
}

QList<Entry> list(const QString& folder)
{
    QList<Entry> entries;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.mdb")}, QDir::Files)) {
        const std::optional<QDateTime> when = timeOf(file.fileName());
        if (!when)
            continue;
        Entry entry{file.absoluteFilePath(), *when, -1, file.size()};
        try {
            auto connection = Connection::openExisting(entry.path);
            connection->refuseWrites();
            Query scraps(*connection, QStringLiteral("SELECT count(*) FROM MEMO_IDX"));
            entry.scraps = scraps.next() ? scraps.integer(0) : -1;
        } catch (const DbError& e) {
            // Listed all the same, with its count unknown: the restore itself will tell.
            qCWarning(lcBackup) << "cannot count the scraps of" << entry.path << e.message();
        }
        entries << entry;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.when > b.when; });
    return entries;
}

bool isDue(const QString& folder, const QDateTime& now)
{
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.mdb")}, QDir::Files)) {
        const std::optional<QDateTime> when = timeOf(file.fileName());
        // A copy dated ahead (made while the clock was wrong) is no sign of a recent one.
        if (when && when->secsTo(now) >= 0 && when->secsTo(now) < 24 * 3600)
            return false;
    }
    return true;
}

Done verify(const QString& backup, const RowCounts& expected, const std::atomic<bool>* stop)
{
    try {
        auto connection = Connection::openExisting(backup);
        // The check reads every page of the copy, seconds for a large one: a stop ends it.
        if (stop)
            sqlite3_progress_handler(
                connection->handle(), 10000,
                [](void* flag) -> int { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; },
                const_cast<std::atomic<bool>*>(stop));
        Query check(*connection, QStringLiteral("PRAGMA integrity_check"));
        if (!check.next() || check.text(0) != QStringLiteral("ok"))
            return Failure{kNotSound, QStringLiteral("コピーの検査で壊れた箇所が見つかりました。"),
                           QStringLiteral("integrity_check: ") + check.text(0)};
        if (countRows(*connection) != expected)
            return Failure{kNotSound, QStringLiteral("コピーの件数が元のデータベースと一致しません。"),
                           QStringLiteral("the row counts differ from the collection's")};
    } catch (const DbError& e) {
        return e.failure(kNotSound);
    }
    return {};
}

QList<int> kept(const QList<QDateTime>& when)
{
    QList<int> order(when.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&when](int a, int b) { return when[a] > when[b]; });
    QSet<int> keep;
    // The newest backup of each of the last periods that have one.
    const auto keepNewestPer = [&](int periods, auto period) {
        QSet<qint64> seen;
        for (int i : order) {
            const qint64 key = period(when[i]);
            if (seen.contains(key))
                continue;
            if (seen.size() == periods)
                break;
            seen.insert(key);
            keep.insert(i);
        }
    };
    for (int i : order.mid(0, kNewest))
        keep.insert(i);
    keepNewestPer(kDaily, [](const QDateTime& t) { return t.date().toJulianDay(); });
    keepNewestPer(kWeekly, [](const QDateTime& t) {
        int year = 0;
        const int week = t.date().weekNumber(&year);
        return qint64(year) * 100 + week;
    });
    keepNewestPer(kMonthly, [](const QDateTime& t) { return qint64(t.date().year()) * 100 + t.date().month(); });
    QList<int> result(keep.cbegin(), keep.cend());
    std::sort(result.begin(), result.end());
    return result;
}

Result<QString> make(const QString& source, const QString& folder, const QDateTime& now,
                     std::chrono::milliseconds longestBusyWait, const std::atomic<bool>* stop)
{
    const QString failed = QStringLiteral("バックアップを作れませんでした。");
    const Failure stopped{failed, QStringLiteral("中止しました。"), kStopped};
    if (!QDir().mkpath(folder))
        return Failure{failed, QStringLiteral("バックアップの保存先フォルダを作れません。"), folder};
    QString name = now.toString(kNameFormat);
    const QString target = QDir(folder).filePath(name + QStringLiteral(".mdb"));
    const QString partial = target + QStringLiteral(".partial");
    const auto removePartial = [&partial] {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
    };
    removePartial();
    try {
        auto connection = Connection::openExisting(source);
        // The copy releases the file between steps so the window can write; when it did, counts and copy may be of
        // different moments, and the copy is made again.
        Done copied = Failure{failed, QStringLiteral("コピーの間もデータベースが変わり続けました。"),
                              QStringLiteral("the collection kept changing during the copy")};
        for (int attempt = 0; attempt < 3 && !copied; ++attempt) {
            removePartial();
            const qint64 before = dataVersion(*connection);
            if (!copyDatabase(*connection, partial, longestBusyWait, stop))
                break;
            const RowCounts counts = countRows(*connection);
            if (dataVersion(*connection) != before)
                continue;
            copied = verify(partial, counts, stop);
            if (!copied)
                break;
        }
        if (!copied) {
            removePartial();
            if (stop && stop->load())
                return stopped;
            return copied.failure().as(failed);
        }
        if (QFileInfo::exists(target) || !QFile::rename(partial, target)) {
            removePartial();
            return Failure{failed, QStringLiteral("コピーに名前を付けられません。"), target};
        }
    } catch (const DbError& e) {
        removePartial();
        if (stop && stop->load())
            return stopped;
        return e.failure(failed);
    }
    // Only now that a new one counts do old ones go.
    QList<QDateTime> times;
    QStringList paths;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.mdb")}, QDir::Files)) {
        if (const std::optional<QDateTime> when = timeOf(file.fileName())) {
            times << *when;
            paths << file.absoluteFilePath();
        }
    }
    const QList<int> keep = kept(times);
    for (int i = 0; i < paths.size(); ++i) {
        if (!keep.contains(i))
            QFile::remove(paths[i]);
    }
    // A copy whose program was killed half way is never finished: its partial file and journal go too.
    removeStaleFiles(folder, {QStringLiteral("*.partial"), QStringLiteral("*.partial-journal")});
    return target;
}

Result<QString> restore(const Entry& backup, const QString& collectionPath)
{
    const QFileInfo collection(collectionPath);
    const QString base = collection.absoluteDir().filePath(
        leftWithinUtf8(collection.completeBaseName(), kRestoreNameBytes) + QStringLiteral("（復元 ") +
        backup.when.toString(QStringLiteral("yyyy-MM-dd HHmm")));
    if (!QFileInfo(backup.path).isFile())
        return Failure{
            QStringLiteral("バックアップを復元できませんでした。"),
            QStringLiteral("選んだバックアップのファイルがありません（古いものから消されたか、移されました）。"),
            backup.path};
    QString target = base + QStringLiteral("）.mdb");
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = base + QStringLiteral(" %1）.mdb").arg(n);
    if (!QFile::copy(backup.path, target))
        return Failure{
            QStringLiteral("バックアップを復元できませんでした。"),
            QStringLiteral(
                "データベースのフォルダに新しいファイルを作れません（空きがないか、書き込みの許可がありません）。"),
            target};
    return target;
}

} // namespace Backups
