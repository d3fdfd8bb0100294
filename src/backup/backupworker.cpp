#include "backupworker.h"

BackupWorker::BackupWorker(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<Backups::Outcome>();
}

BackupWorker::~BackupWorker()
{
    wait();
}

bool BackupWorker::start(const QString& collectionPath)
{
    if (m_running.load())
        return false;
    wait();
    m_running = true;
    m_thread = std::thread([this, collectionPath] {
        const Backups::Outcome outcome = Backups::make(collectionPath, Backups::folderFor(collectionPath));
        m_running = false;
        Q_EMIT finished(outcome);
    });
    return true;
}

void BackupWorker::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
