#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One program writes a collection at a time, however the file is reached: a lock beside the file's resolved path
// (another user, another machine on a shared folder) and one named after the file's device and inode in the user's
// runtime folder (a hard link in another folder), so a symbolic or hard link to an open collection finds it locked.
// A lock whose program died is taken over.
class CollectionLock final {
public:
    enum class Taken { Locked, InUse, NothingToLock };

    ~CollectionLock();
    Q_DISABLE_COPY_MOVE(CollectionLock)

    // Locks the file at path; null when another program holds it (InUse) or nothing can be locked there
    // (NothingToLock: a folder where no lock file can be made, and no identity to lock by).
    static std::unique_ptr<CollectionLock> take(const QString& path, Taken& taken);
    // True when path is this lock's file, by whatever name.
    [[nodiscard]] bool covers(const QString& path) const;

private:
    CollectionLock() = default;

    std::unique_ptr<QLockFile> m_beside;
    std::unique_ptr<QLockFile> m_identity;
    QString m_identityKey;
};

// The file's device and inode as text ("dev-ino"), or empty when it cannot be read.
QString fileIdentity(const QString& path);
