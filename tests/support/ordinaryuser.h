#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>

#include <unistd.h>
#include <utility>

// Permissions bind everyone but the superuser, and CI runs as root: for as long as this lives, the effective user
// and group are nobody's, and the folders above the given ones can be passed through by others. Undone in reverse.
class OrdinaryUser final {
public:
    explicit OrdinaryUser(const QStringList& folders)
    {
        for (const QString& folder : folders) {
            for (QDir dir(QFileInfo(folder).path()); !(QFile::permissions(dir.path()) & QFile::ExeOther); dir.cdUp()) {
                m_opened.append({dir.path(), QFile::permissions(dir.path())});
                QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
            }
        }
        m_switched = geteuid() == 0 && setegid(65534) == 0 && seteuid(65534) == 0;
    }
    ~OrdinaryUser()
    {
        if (m_switched && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("cannot become the superuser again");
        for (auto it = m_opened.crbegin(); it != m_opened.crend(); ++it)
            QFile::setPermissions(it->first, it->second);
    }
    Q_DISABLE_COPY_MOVE(OrdinaryUser)
    // True when permissions now bind this process.
    bool bound() const { return m_switched || geteuid() != 0; }

private:
    QList<std::pair<QString, QFile::Permissions>> m_opened;
    bool m_switched = false;
};
