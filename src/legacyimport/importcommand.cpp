#include "importcommand.h"

#include "legacyimport.h"

#include <QTextStream>

#include <cstring>

namespace LegacyImport {

bool isImportCommand(int argc, char* argv[])
{
    return argc > 1 && std::strcmp(argv[1], "--import") == 0;
}

int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    // arguments: the program, "--import", the old file, the new file.
    if (arguments.size() != 4) {
        err << "使い方: zettora --import 旧形式.mdb 新しいファイル.mdb\n";
        return 2;
    }
    Options options;
    // The window that runs this as its child reads each table's progress from these lines.
    if (qEnvironmentVariableIsSet(kProgressVariable)) {
        options.progress = [&out](const QString& table, qint64 rows) {
            out << kProgressPrefix << table << '\t' << rows << '\n';
            out.flush();
        };
    }
    try {
        const Report report = convert(arguments.at(2), arguments.at(3), options);
        out << report.text() << '\n';
        return 0;
    } catch (const ImportError& e) {
        err << e.message() << '\n';
        return 1;
    }
}

} // namespace LegacyImport
