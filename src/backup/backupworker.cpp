#include "backupworker.h"

BackupWorker::BackupWorker(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<Result<QString>>();
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
        const Result<QString> made = Backups::make(collectionPath, Backups::folderFor(collectionPath));
        m_running = false;
        Q_EMIT finished(made);
    });
    return true;
}

void BackupWorker::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
