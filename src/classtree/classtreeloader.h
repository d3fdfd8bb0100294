#pragma once

#include "common/result.h"
#include "common/session.h"

class Connection;
class QTreeWidget;
class QTreeWidgetItem;

// The deepest level a class tree shows, the root being level 1. The program files scraps down to level 4 only;
// deeper classes from another program's file are shown but hold no scraps. Deeper than this the view's own layout
// takes seconds (it grows with the square of the depth) and, between 20,000 and 30,000 levels, overflows the stack.
inline constexpr int kDeepestShownLevel = 5000;

// What a load of the classification tree could not show.
struct ClassTreeLoad {
    // Classes deeper than kDeepestShownLevel.
    int tooDeep = 0;
    // The first row naming a parent row the tree does not have, and every row after it.
    int parentless = 0;

    bool whole() const { return tooDeep == 0 && parentless == 0; }
    // What was left out and why, as the user is told it.
    Failure leftOut() const;
};

// Fills tree with the root "スクラップ分類" and the stored classes, each under the node at its parent's tree row,
// each keeping its ndMEMO number as text in Qt::UserRole. Fails when the rows cannot be read; the tree then holds
// the classes read before.
[[nodiscard]] Result<ClassTreeLoad> readClassTree(QTreeWidget* tree, Connection& connection);
// readClassTree for a tree that only shows: what cannot be read or shown is logged, the tree shows the rest.
void loadClassTree(QTreeWidget* tree, Connection& connection);

// Adds every stored favourite under the tree's root, in display order, each keeping its ndID as text in
// Qt::UserRole. Fails when the rows cannot be read; the favourites read before stay.
[[nodiscard]] Done readFavourites(QTreeWidget* tree, Connection& connection);
// readFavourites for a tree that only shows: a read failure is logged.
void loadFavourites(QTreeWidget* tree, Connection& connection);

// The major, middle and minor class names a node stands for; all empty for the root and for nodes deeper than
// the minor classes.
ClassPath classPathOf(const QTreeWidgetItem* node);
