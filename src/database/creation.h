#pragma once

#include <QString>

class Connection;

// Creating a new scrap database file with its tables and default rows.

// Every table, in creation order (also used for the file of a saved edition).
void CreateTables(Connection& connection);
void WriteCounterRow(Connection& connection);
void WriteDefaultLevels(Connection& connection);
void WriteDefaultFont(Connection& connection);
void WriteDefaultMarkers(Connection& connection);
void WriteKindMarker(Connection& connection, int kind = 2);
void WriteDefaultFavourites(Connection& connection);

// Makes the complete file at path, all or nothing: it is built under a temporary name beside the target and
// moved into place only when every step succeeded. Refuses an existing file. Throws DbError.
void createScrapDatabaseFile(const QString& path);

// The ".mdb" path a user's answer from the save dialog stands for (the extension appended when missing).
QString withDatabaseExtension(const QString& path);

struct DefaultFavourite {
    int ndWEB;
    int ndID;
    const char16_t* fvName;
    const char16_t* fvAddress;
};
struct DefaultLevel {
    const char16_t* name;
    quint32 colour; // 0x00BBGGRR, or 0x80000000 + system colour index
    int position;
};
extern const DefaultFavourite kDefaultFavourites[9];
extern const DefaultLevel kDefaultLevels[5];
