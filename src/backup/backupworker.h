#pragma once

#include "backupstore.h"

#include <QObject>

#include <atomic>
#include <thread>

// Makes one backup at a time on a thread of its own, with its own connection, so the window goes on.
class BackupWorker final : public QObject {
    Q_OBJECT
public:
    explicit BackupWorker(QObject* parent = nullptr);
    ~BackupWorker() override;

    // False when a backup is being made already.
    bool start(const QString& collectionPath);
    bool isRunning() const { return m_running.load(); }
    // Waits for the backup being made, if any.
    void wait();
    // The backup being made, if any, ends between two of its steps, leaving nothing; it reports Backups::kStopped.
    void stop() { m_stop = true; }

Q_SIGNALS:
    // Emitted from the worker; queued to the receivers.
    void finished(const Result<QString>& made);

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
};
