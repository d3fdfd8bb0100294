#include "startupoptions.h"

#include "database/creation.h"
#include "database/dberror.h"
#include "mainwindowlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kCollectionName = QStringLiteral("Zettora.mdb");

bool canWrite(const QString& folder)
{
    // The effective user decides, as it does when the file is created.
    return faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) == 0;
}

} // namespace

QString defaultCollectionPath(const QString& programFolder, const QString& userDataFolder)
{
    const QString beside = QDir(programFolder).filePath(kCollectionName);
    // An installed program is one even for the superuser, who could write into its folder.
    const bool installed = QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral("../share/doc/zettora")));
    if (QFileInfo::exists(beside) || (!installed && canWrite(programFolder)))
        return beside;
    const QString own = QDir(userDataFolder).filePath(kCollectionName);
    if (QFileInfo::exists(own))
        return own;
    // An installed program: the user's first start makes the collection in the user's data folder.
    if (!QDir().mkpath(userDataFolder)) {
        qCWarning(lcMainWindow) << "cannot make the data folder" << userDataFolder;
        return own;
    }
    try {
        createScrapDatabaseFile(own);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot create the user's collection" << own << e.message();
    }
    return own;
}
