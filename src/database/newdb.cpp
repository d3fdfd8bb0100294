// zettora-newdb PATH: creates a new, empty scrap database at PATH with the program's own creation code.
// Leaves an existing file untouched and succeeds, so the build can run it every time.
#include "creation.h"
#include "dberror.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: zettora-newdb PATH\n");
        return 2;
    }
    const QString path = args.at(1);
    if (QFileInfo::exists(path))
        return 0;
    try {
        createScrapDatabaseFile(path);
    } catch (const DbError& e) {
        std::fprintf(stderr, "zettora-newdb: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
