#pragma once

#include "crashtrialsworker.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>
#include <utility>

// What checking one file found.
struct Verdict {
    QString damage;       // empty when integrity_check says ok
    QStringList breaches; // the invariants broken, each with what broke it
    QString rows;         // a digest of what the worker's writes change, to tell whether any commit was reached
};

// How far a check goes: a copy SQLite made of a committed state needs no second reading of its whole index.
enum class CheckDepth { Whole, RowsOnly };

// Checks collections one after another; what it learnt of one file's index rows spares work on the next, whose rows
// are mostly the same.
class CollectionChecker final {
public:
    CollectionChecker();
    Q_DISABLE_COPY_MOVE(CollectionChecker)
    ~CollectionChecker();

    // Opens the file read-write, as the program would after the crash, so that a leftover journal is rolled back
    // first, then checks the file, the collection's invariants and that its body index holds what its rows hold.
    Verdict check(const QString& path, CheckDepth depth = CheckDepth::Whole);

    struct ExpectedIndex;

private:
    std::unique_ptr<ExpectedIndex> m_bodies;
    std::unique_ptr<ExpectedIndex> m_labels;
};

// The same by a checker of its own.
Verdict checkCollection(const QString& path, CheckDepth depth = CheckDepth::Whole);

// A hash of every row of the twelve tables, each value as stored: two files with equal rows have equal digests.
// Empty when the file cannot be read.
QByteArray contentDigest(const QString& path);
QByteArray fileHash(const QString& path);

// What a worker told before it was killed.
struct WorkerLog {
    QString lastPath;
    QList<std::pair<QString, QDateTime>> backups; // made and counted
    QString restoreFrom;
    static WorkerLog parse(const QByteArray& output);
};

// What the files a trial writes besides the collection must be, whole; what is left empty is not compared.
struct References {
    QString legacySource; // the old collection the worker converts, unchanged
    QByteArray legacyHash;
    QByteArray imported; // contentDigest of the source converted
    QByteArray created;  // contentDigest of a new collection
};

struct FilesVerdict {
    QStringList damage;
    QStringList breaches;
    QStringList leftBehind; // files no code of the program would ever remove
};

// Every other file of the trial: each target absent, or only as the partial file the program cleans, or complete
// and sound; every source unchanged; the backups the rotation keeps all there.
FilesVerdict checkTrialFiles(const TrialFiles& files, const WorkerLog& log, const References& references);
