#include "backupworker.h"

#include "backuplog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// How much lower than the window's thread the worker runs.
constexpr int kWorkerNice = 10;

} // namespace

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
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this, collectionPath] {
        // Below the window's thread: on two cores a backup at full priority starves the event loop for tens of ms.
        const auto thread = id_t(::gettid());
        errno = 0;
        const int nice = ::getpriority(PRIO_PROCESS, thread);
        if (errno != 0 || ::setpriority(PRIO_PROCESS, thread, std::min(19, nice + kWorkerNice)) != 0)
            qCDebug(lcBackup) << "the backup runs at the window's priority:" << std::strerror(errno);
        const Result<QString> made = Backups::make(collectionPath, Backups::folderFor(collectionPath),
                                                   QDateTime::currentDateTime(), std::chrono::seconds(20), &m_stop);
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
