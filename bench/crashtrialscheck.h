#pragma once

#include "crashtrialsworker.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// What checking one file found.
struct Verdict {
    QString damage;       // empty when integrity_check says ok
    QStringList breaches; // the invariants broken, each with what broke it
    QString rows;         // a digest of what the worker's writes change, to tell whether any commit was reached
};

// Opens the file read-write, as the program would after the crash, so that a leftover journal is rolled back first,
// then checks the file, the collection's invariants and that its body index holds what its rows hold.
Verdict checkCollection(const QString& path);

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

// What the files a trial writes besides the collection must be, whole.
struct References {
    QString legacySource;
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
