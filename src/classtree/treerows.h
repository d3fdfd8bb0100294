#pragma once

#include <QList>

class QTreeWidget;
class QTreeWidgetItem;

// Tree row numbers: a node's position in a pre-order walk of the tree, the root (the first top-level item)
// being row 1. Class node numbers and favourite positions are stored as these numbers. Each function walks the
// tree once at most and without recursion, so a tree thousands of levels deep costs no more than a wide one.
namespace TreeRows {

int rowOf(const QTreeWidgetItem* item);
// nullptr when the tree has no such row.
QTreeWidgetItem* itemAt(const QTreeWidget* tree, int row);
// 1 for the root, 2 for its children, ...
int levelOf(const QTreeWidgetItem* item);
// Number of rows the tree holds (root included).
int count(const QTreeWidget* tree);
// Every item in row order: the item at row r is at index r - 1.
QList<QTreeWidgetItem*> inOrder(const QTreeWidget* tree);
// item and every item below it, in row order.
QList<QTreeWidgetItem*> subtree(QTreeWidgetItem* item);

} // namespace TreeRows
