#pragma once

#include "common/result.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <optional>

// Verified copies of a collection in the user's data folder, made with SQLite's online backup, kept as the 3 newest, 7
// daily, 4 weekly and 12 monthly ones.
namespace Backups {

struct Entry {
    QString path;
    QDateTime when; // local time the copy was made, from its name
    qint64 scraps = 0;
    qint64 bytes = 0;
};

// Rows of the twelve tables, in schema order.
using RowCounts = std::array<qint64, 12>;

// <data>/backups/<collection name>-<short hash of its path>, both of the file a link leads to
QString folderFor(const QString& collectionPath);
// folderFor, and the folder named after the link the collection was opened through, where backups were made before.
QStringList foldersFor(const QString& collectionPath);
// Newest first; files that are not backups of ours are left out.
QList<Entry> list(const QString& folder);
// True when no backup in folder was made in the last 24 hours.
bool isDue(const QString& folder, const QDateTime& now = QDateTime::currentDateTime());

// Copies the collection at source into folder under a name of the moment, verifies the copy (integrity_check and
// the row counts of the twelve tables as they were when copied) and, once it counts, removes what the rotation no
// longer keeps (and partial copies of killed programs). A copy that fails verification is removed. Gives the
// verified backup's path. Never throws. A file another program keeps locked longer than longestBusyWait is not
// waited for any longer: the backup fails and says why. Once stop is set, the copy ends between two of its steps,
// leaves nothing behind, and fails with kStopped as its detail.
Result<QString> make(const QString& source, const QString& folder, const QDateTime& now = QDateTime::currentDateTime(),
                     std::chrono::milliseconds longestBusyWait = std::chrono::seconds(20),
                     const std::atomic<bool>* stop = nullptr);
inline const QString kStopped = QStringLiteral("the backup was stopped");

// The checks a copy must pass; a stop set meanwhile ends them, as a failure.
Done verify(const QString& backup, const RowCounts& expected, const std::atomic<bool>* stop = nullptr);

// Which of the backups taken at these times the rotation keeps (indexes into when, any order).
QList<int> kept(const QList<QDateTime>& when);

// Copies a backup to a new file beside the collection, never over an existing one; gives the new path.
Result<QString> restore(const Entry& backup, const QString& collectionPath);

} // namespace Backups

Q_DECLARE_METATYPE(Result<QString>)
