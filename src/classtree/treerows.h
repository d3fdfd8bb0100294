#pragma once

class QTreeWidget;
class QTreeWidgetItem;

// Tree row numbers: a node's position in a pre-order walk of the tree, the root (the first top-level item)
// being row 1. Class node numbers and favourite positions are stored as these numbers.
namespace TreeRows {

int rowOf(const QTreeWidgetItem* item);
// nullptr when the tree has no such row.
QTreeWidgetItem* itemAt(const QTreeWidget* tree, int row);
// 1 for the root, 2 for its children, ...
int levelOf(const QTreeWidgetItem* item);
// Number of rows the tree holds (root included).
int count(const QTreeWidget* tree);

} // namespace TreeRows
