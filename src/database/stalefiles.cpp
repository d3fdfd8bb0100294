#include "stalefiles.h"

#include "databaselog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

int removeStaleFiles(const QString& folder, const QStringList& nameFilters)
{
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-kStaleFileSeconds);
    int removed = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(nameFilters, QDir::Files | QDir::Hidden)) {
        if (file.lastModified() < stale && QFile::remove(file.absoluteFilePath())) {
            qCInfo(lcDatabase) << "removed what a killed program left:" << file.absoluteFilePath();
            ++removed;
        }
    }
    return removed;
}
