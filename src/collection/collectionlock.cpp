#include "collectionlock.h"

#include "collectionlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

// Where the identity locks live: the user's runtime folder, or the cache when the desktop gives none.
QString identityFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return QDir(base).filePath(QStringLiteral("zettora-locks"));
}

// The locks this program holds now.
QSet<QString>& heldHere()
{
    static QSet<QString> held;
    return held;
}

// Locks at path; null when another program holds it, or when no lock can be made there. In the program's own lock
// folder a lock file of this very process that it does not hold is one it could not remove (the inode was reused).
std::unique_ptr<QLockFile> lockAt(const QString& path, bool& inUse, bool ownFolder)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    qint64 pid = 0;
    if (lock->tryLock(0) || (lock->error() == QLockFile::LockFailedError && lock->getLockInfo(&pid, nullptr, nullptr) &&
                             ownFolder && pid == QCoreApplication::applicationPid() && !heldHere().contains(path) &&
                             lock->removeStaleLockFile() && lock->tryLock(0))) {
        heldHere().insert(path);
        return lock;
    }
    inUse = inUse || lock->error() == QLockFile::LockFailedError;
    if (lock->error() != QLockFile::LockFailedError)
        qCWarning(lcCollection) << "no lock can be made at" << path << "error" << lock->error();
    return nullptr;
}

} // namespace

QString fileIdentity(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return QString::number(quint64(status.st_dev)) + u'-' + QString::number(quint64(status.st_ino));
}

CollectionLock::~CollectionLock()
{
    for (const std::unique_ptr<QLockFile>& lock : {std::cref(m_beside), std::cref(m_identity)}) {
        if (lock.get())
            heldHere().remove(lock.get()->fileName());
    }
}

std::unique_ptr<CollectionLock> CollectionLock::take(const QString& path, Taken& taken)
{
    const QFileInfo file(QFileInfo(path).canonicalFilePath().isEmpty() ? path : QFileInfo(path).canonicalFilePath());
    std::unique_ptr<CollectionLock> lock(new CollectionLock);
    lock->m_identityKey = fileIdentity(file.filePath());
    bool inUse = false;
    lock->m_beside =
        lockAt(file.absoluteDir().filePath(u'.' + file.fileName() + QStringLiteral(".lock")), inUse, false);
    if (!inUse && !lock->m_identityKey.isEmpty() && QDir().mkpath(identityFolder()))
        lock->m_identity =
            lockAt(QDir(identityFolder()).filePath(lock->m_identityKey + QStringLiteral(".lock")), inUse, true);
    if (inUse) {
        taken = Taken::InUse;
        return nullptr;
    }
    if (!lock->m_beside && !lock->m_identity) {
        taken = Taken::NothingToLock;
        return nullptr;
    }
    taken = Taken::Locked;
    return lock;
}

bool CollectionLock::covers(const QString& path) const
{
    return !m_identityKey.isEmpty() && fileIdentity(path) == m_identityKey;
}
