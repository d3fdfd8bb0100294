#include "programmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QFunctionPointer loadProgramModule(const ModulePlaces& places, const char* entry, const QLoggingCategory& log)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    QStringList candidates = {programFolder.filePath(places.fileName),
                              QDir::cleanPath(programFolder.filePath(places.installed))};
    // Where it was built only for programs of the same build tree (the tests): an installed program never loads code
    // from a folder its build happened to use, which anyone may have written into since.
    if (programFolder.absolutePath().startsWith(QStringLiteral(ZETTORA_BUILD_ROOT "/")))
        candidates << places.built;
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
