#include "programmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QFunctionPointer loadProgramModule(const ModulePlaces& places, const char* entry, const QLoggingCategory& log)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QStringList candidates = {programFolder.filePath(places.fileName),
                                    QDir::cleanPath(programFolder.filePath(places.installed)), places.built};
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        module.setLoadHints(QLibrary::PreventUnloadHint);
        if (!module.load()) {
            qCInfo(log) << "cannot load the module" << path << module.errorString();
            continue;
        }
        if (const QFunctionPointer function = module.resolve(entry))
            return function;
        qCWarning(log) << "the module has no entry point" << entry << path;
    }
    qCWarning(log) << "no module" << places.fileName << "could be loaded";
    return nullptr;
}
