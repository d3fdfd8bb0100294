#pragma once

#include <QLoggingCategory>
#include <QString>

// Where a module of the program may stand: beside the program, where it is installed (relative to the program's
// folder), and where it was built (tried only by programs of that build tree).
struct ModulePlaces {
    QString fileName;
    QString installed;
    QString built;
};

// Loads the first module of places that loads (never unloaded: its threads and objects outlive any caller) and
// resolves entry in it; null, with the reason logged, when none can be loaded.
QFunctionPointer loadProgramModule(const ModulePlaces& places, const char* entry, const QLoggingCategory& log);
