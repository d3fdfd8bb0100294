#pragma once

#include <QStringList>

class QTextStream;

namespace LegacyImport {

// `zettora --import OLD.mdb NEW.mdb`: converts without a window, writes the report to out and a failure to err.
// Returns the exit code: 0 done, 1 the conversion failed, 2 the arguments were wrong.
int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// True when the program's arguments ask for that command.
bool isImportCommand(int argc, char* argv[]);

} // namespace LegacyImport
