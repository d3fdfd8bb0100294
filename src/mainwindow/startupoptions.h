#pragma once

#include <QString>

// Where the program looks for its files; main.cpp fills it from the command line.
struct StartupOptions {
    QString programFolder; // ReadMe.txt and the default collection live here
    QString databasePath;  // the collection opened at start-up: programFolder + "/Zettora.mdb" unless given
    QString importProgram; // runs `--import` for the window's imports: this program itself unless given
    bool backups = true;   // off only where a collection is a throwaway (the bench's)
};

// The collection opened when none is named: Zettora.mdb beside the program when it is there or could be (a portable
// copy, the build tree); otherwise, for an installed program (its folder not writable, or ../share/doc/zettora beside
// it), the user's own in userDataFolder, created with the default rows when missing.
QString defaultCollectionPath(const QString& programFolder, const QString& userDataFolder);
