#pragma once

#include "database/connection.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

// Keeps the body index of the open file in step, away from the window's thread: on opening it first checks the whole
// file (PRAGMA integrity_check, before anything writes to it), then the index
// (bringing it in anew when the file was changed where no trigger saw it) and catches up every logged row, on a
// connection of its own, in short transactions so the window's writes are never held up for long.
class BodyIndexer final : public QObject {
    Q_OBJECT
public:
    explicit BodyIndexer(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(BodyIndexer)
    ~BodyIndexer() override;

    struct Job {
        QString path{};
        // Where the index lives, with the cache file attached there for a saved edition, and the edition's stamp.
        QString schema{};
        QString cacheFile{};
        QString stamp{};
        // Nothing is written: the index is used as the file has it, or searches read every body.
        bool readOnly = false;
        // Runs on the worker's connection once the file's check passed, before the index is touched; what it
        // returns (empty when nothing) keeps the file from being written, reported as the check's finding.
        std::function<QString(Connection&)> prepare{};
    };

    // Starts on a file; stops what ran before.
    void start(Job job);
    // Catches up again what is logged, unless it is running already.
    void resume();
    // Stops and waits for the worker.
    void stop();

    bool isRunning() const { return m_running.load(); }
    // The index was checked against the file since start().
    bool isVerified() const { return m_verified.load(); }
    // The file's check has ended since start(), whatever it found.
    bool isFileChecked() const { return m_fileChecked.load(); }
    // Counts start()s, so a report of an earlier file can be told from one of the file now open.
    quint64 runNumber() const { return m_run; }

Q_SIGNALS:
    // Emitted from the worker; queued to the receivers. progress counts scraps.
    // The file's check ended: sound, or damaged with the first problem found. A damaged file's index is left alone.
    void fileChecked(quint64 run, bool sound, const QString& problem);
    void verified(bool rebuilding);
    void progress(qint64 done, qint64 total);
    // run tells a stopped run's signal, delivered after the next start, from the running one's.
    void finished(quint64 run, bool complete);

private:
    void run(bool verify);
    // What the check of the whole file found wrong; empty when it is sound.
    [[nodiscard]] QString checkFile(Connection& connection);
    [[nodiscard]] bool repairDamagedIndex();

    Job m_job;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_verified{false};
    std::atomic<bool> m_fileChecked{false};
    bool m_checkPassed = false;
    quint64 m_run = 0;
};

// Catches up, at every commit on the window's connection, the rows its transaction logged, so the index is written
// in the same transaction as the rows. Rows beyond a few dozen (a whole class deleted) are left to the worker: a
// search compares them one by one until then.
class IndexKeeper final : public TransactionObserver {
public:
    IndexKeeper(QString schema, std::function<void()> leftOver);
    void transactionBegun(Connection& connection) override;
    void transactionCommitting(Connection& connection) override;
    // When set, only the rows of the committing transaction are taken, not older ones the worker is busy with.
    void setWorkerBusy(bool busy) { m_workerBusy = busy; }
    // Test seam: runs between taking the rows and committing; throwing there stands for a failed index write.
    std::function<void()> failureForTest;

private:
    QString m_schema;
    std::function<void()> m_leftOver;
    qint64 m_begunAfter = 0;
    bool m_workerBusy = false;
};
