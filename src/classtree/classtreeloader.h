#pragma once

#include "common/session.h"

class Connection;
class QTreeWidget;
class QTreeWidgetItem;

// Fills tree with the root "スクラップ分類" and the stored classes, each under the node at its parent's tree row.
// Each class node keeps its ndMEMO number as text in Qt::UserRole. Never throws: a read failure leaves the tree
// as far as it got.
void loadClassTree(QTreeWidget* tree, Connection& connection);

// Adds every stored favourite under the tree's root, in display order, each keeping its ndID as text in
// Qt::UserRole. Never throws: a read failure leaves the favourites as far as they got.
void loadFavourites(QTreeWidget* tree, Connection& connection);

// The major, middle and minor class names a node stands for; all empty for the root and for nodes deeper than
// the minor classes.
ClassPath classPathOf(const QTreeWidgetItem* node);
