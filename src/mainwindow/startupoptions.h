#pragma once

#include <QString>

// Where the program looks for its files; main.cpp fills it from the command line.
struct StartupOptions {
    QString programFolder; // ReadMe.txt and the default collection live here
    QString databasePath;  // the collection opened at start-up: programFolder + "/Zettora.mdb" unless given
    QString importProgram; // runs `--import` for the window's imports: this program itself unless given
    bool backups = true;   // off only where a collection is a throwaway (the bench's)
};
