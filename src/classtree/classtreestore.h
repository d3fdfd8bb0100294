#pragma once

#include "common/result.h"
#include "common/session.h"

#include <QList>
#include <QString>
#include <QVariantList>

class Connection;

// One class of the tree as it is stored: its tree row, its parent's row, its name and the classification path
// its scraps are filed under.
struct ClassRow {
    int ndP = 1;
    QString nName;
    int ndMEMO = 2;
    ClassPath path;
};

// The WHERE clause (with its values appended) of the scraps of the class at path and level (2 major, 3 middle,
// 4 minor) and of every class below it: every name down to its level must match, an empty one too (another
// program's file may hold one: a class named "" is not every class of its level).
[[nodiscard]] QString scrapsOfClassWhere(const ClassPath& path, int level, QVariantList& values);

// Each write of the tree with its scrap rows runs in a single transaction: unless it is done, the file is as it
// was before, and the failure names the step that failed and why.

// Replaces the stored tree by rows (in tree-row order) and, with renumber, gives every scrap the row of its class.
[[nodiscard]] Done WriteClassTree(Connection& connection, const QList<ClassRow>& rows, bool renumber);
// Carries a rename of a class into its scraps and stores rowsAfter (the tree with the new name); level: 2 major,
// 3 middle, 4 minor class; oldPath is the class's path before the rename.
[[nodiscard]] Done RenameClassEverywhere(Connection& connection, const ClassPath& oldPath, int level,
                                         const QString& newName, const QList<ClassRow>& rowsAfter,
                                         const QList<ClassPath>& ownedElsewhere = {});
// Deletes every scrap filed under path (a class of that level) or below it, with its pictures, body and marks, then
// stores rowsAfter (the tree without the class) and renumbers.
[[nodiscard]] Done DeleteClassEverywhere(Connection& connection, const ClassPath& path, int level,
                                         const QList<ClassRow>& rowsAfter, const QList<ClassPath>& ownedElsewhere = {});
// The full paths below path (a class of that level) whose scraps belong to a class outside the tree rows first to
// last, which a rename or a delete of that class leaves alone: another program's file may give two classes one path
// (twins, or a class named ""), and a path's scraps are those of the first class that has it.
QList<ClassPath> pathsOwnedOutside(const QList<ClassRow>& rows, int first, int last, const ClassPath& path, int level);

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
