#pragma once

#include <QString>
#include <QStringList>

// Where a trial's worker writes besides its collection: all in the collection's folder, which holds nothing else
// but the restored copies Backups::restore names beside the collection.
struct TrialFiles {
    explicit TrialFiles(const QString& collection);
    QString collection;
    QString importTarget;
    QString backupFolder;
    QString createTarget;
    QString editionTarget;
    QString folderTrees; // folder hierarchies the tree editor imports as classes
    // The folders above, for a listing of what a trial left.
    QStringList folders() const;
};

// What a worker tells on standard output, one line each, fields separated by tabs.
namespace WorkerLine {
inline constexpr char kReady[] = "ready";
// Before each step: the write path it runs.
inline constexpr char kPath[] = "path";
// After each backup that counted: its file and the moment it stands for (ISO, milliseconds).
inline constexpr char kBackup[] = "backup";
// Before a restore: the backup it copies.
inline constexpr char kRestoreFrom[] = "restore-from";
// The changes another SQLite tool makes to a file: not a path of the program's, but a kill may land there.
inline constexpr char kSqlTool[] = "sql_tool";
} // namespace WorkerLine

// The write paths a worker runs, by the names trials are focused on and kills are counted under.
const QStringList& writePaths();

struct WorkerOptions {
    QString collection;
    QString legacySource; // the old Access collection the import converts
    quint32 seed = 0;
    QString focus; // once warmupMs have passed, only this path runs; empty: every path at random throughout
    int warmupMs = 0;
    int steps = 0; // 0: until killed
};

// Runs the program's write paths on the collection and the files beside it until killed (or for a number of
// steps). Throws std::exception (DbError included) when a path fails.
int runWorker(const WorkerOptions& options);
