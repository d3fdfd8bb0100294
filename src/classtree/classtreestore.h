#pragma once

#include "common/session.h"

#include <QList>
#include <QString>

class Connection;

// One class of the tree as it is stored: its tree row, its parent's row, its name and the classification path
// its scraps are filed under.
struct ClassRow {
    int ndP = 1;
    QString nName;
    int ndMEMO = 2;
    ClassPath path;
};

// How a write of the tree with its scrap rows ended. Every one runs in a single transaction: unless it ends in
// Done, the file is as it was before.
enum class ClassWrite { Done, ScrapRowsFailed, TreeRowsFailed, LevNoFailed };

// The pieces; they throw DbError and leave transactions to the caller.
void ClearTreeTable(Connection& connection);
void SaveTreeTable(Connection& connection, const QList<ClassRow>& rows);
void RenumberScrapLevNo(Connection& connection, const QList<ClassRow>& rows);
// level: 2 major, 3 middle, 4 minor class; the path is the class's path before the rename.
void RenameInScraps(Connection& connection, const ClassPath& oldPath, const QString& newName, int level);
// Deletes every scrap filed under path or below it, with its pictures, body and marks.
void DeleteScrapsOfClass(Connection& connection, const ClassPath& path);

// Replaces the stored tree by rows (in tree-row order) and, with renumber, gives every scrap the row of its class.
[[nodiscard]] ClassWrite WriteClassTree(Connection& connection, const QList<ClassRow>& rows, bool renumber);
// Carries a rename of the class at row ndMEMO into its scraps and its tree row.
[[nodiscard]] ClassWrite RenameClassEverywhere(Connection& connection, const ClassPath& oldPath, int level,
                                               const QString& newName, int ndMEMO);
// Deletes the scraps under path, then stores rowsAfter (the tree without the class) and renumbers.
[[nodiscard]] ClassWrite DeleteClassEverywhere(Connection& connection, const ClassPath& path,
                                               const QList<ClassRow>& rowsAfter);

// The hidden check grid: for every class row, its parent's row and its name, indexed by tree row - 1.
class CheckGrid {
public:
    // Row 0 stands for the header, so that indexes match tree rows - 1.
    explicit CheckGrid(const QList<ClassRow>& rows);

    // False when a row other than skipRow has this parent and this name (exact, case-sensitive).
    bool IsUniqueInFolder(int skipRow, int parentRow, const QString& name) const;
    // The parent row under which some name occurs twice (the last such in row order), or 0.
    int FindDuplicateFolder() const;

private:
    struct Entry {
        int parentRow;
        QString name;
    };
    QList<Entry> m_rows;
};
