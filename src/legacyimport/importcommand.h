#pragma once

#include <QStringList>

class QTextStream;

namespace LegacyImport {

// `zettora --import OLD.mdb NEW.mdb`: converts without a window, writes the report to out and a failure to err.
// Returns the exit code: 0 done, 1 the conversion failed, 2 the arguments were wrong.
int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Set in the environment of the command, it prints kProgressPrefix, the table and the rows copied, one line each.
inline constexpr char kProgressVariable[] = "ZETTORA_IMPORT_PROGRESS";
inline constexpr char kProgressPrefix[] = "@progress\t";

// True when the program's arguments ask for that command.
[[nodiscard]] bool isImportCommand(int argc, char* argv[]);

} // namespace LegacyImport
