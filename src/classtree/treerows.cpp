#include "treerows.h"

#include <QTreeWidget>

#include <utility>
#include <vector>

namespace TreeRows {
namespace {

// Visits item and everything below it in pre-order until visit returns false; returns false when it stopped.
// An explicit stack, since a tree from another file may be deeper than the call stack allows.
template <typename Visit> bool walk(QTreeWidgetItem* item, Visit&& visit)
{
    if (!visit(item))
        return false;
    std::vector<std::pair<QTreeWidgetItem*, int>> stack{{item, 0}};
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back().first;
        const int next = stack.back().second;
        if (next == node->childCount()) {
            stack.pop_back();
            continue;
        }
        ++stack.back().second;
        QTreeWidgetItem* child = node->child(next);
        if (!visit(child))
            return false;
        stack.emplace_back(child, 0);
    }
    return true;
}

template <typename Visit> void walk(const QTreeWidget* tree, Visit&& visit)
{
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i) {
        if (!walk(tree->topLevelItem(i), visit))
            return;
    }
}

int subtreeSize(const QTreeWidgetItem* item)
{
    int size = 0;
    walk(const_cast<QTreeWidgetItem*>(item), [&size](QTreeWidgetItem*) {
        ++size;
        return true;
    });
    return size;
}

} // namespace

int rowOf(const QTreeWidgetItem* item)
{
    if (!item)
        return 0;
    // The rows before item are its ancestors and the subtrees of the siblings before each of them.
    int row = 1;
    for (const QTreeWidgetItem* node = item; node; node = node->parent()) {
        const QTreeWidgetItem* parent = node->parent();
        if (parent) {
            row += 1;
            const int index = parent->indexOfChild(const_cast<QTreeWidgetItem*>(node));
            for (int i = 0; i < index; ++i)
                row += subtreeSize(parent->child(i));
        } else if (const QTreeWidget* tree = node->treeWidget()) {
            const int index = tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node));
            for (int i = 0; i < index; ++i)
                row += subtreeSize(tree->topLevelItem(i));
        }
    }
    return row;
}

QTreeWidgetItem* itemAt(const QTreeWidget* tree, int row)
{
    QTreeWidgetItem* found = nullptr;
    if (row < 1)
        return found;
    int seen = 0;
    walk(tree, [&](QTreeWidgetItem* item) {
        if (++seen < row)
            return true;
        found = item;
        return false;
    });
    return found;
}

int levelOf(const QTreeWidgetItem* item)
{
    int level = 0;
    for (const QTreeWidgetItem* node = item; node; node = node->parent())
        ++level;
    return level;
}

int count(const QTreeWidget* tree)
{
    int rows = 0;
    walk(tree, [&rows](QTreeWidgetItem*) {
        ++rows;
        return true;
    });
    return rows;
}

QList<QTreeWidgetItem*> inOrder(const QTreeWidget* tree)
{
    QList<QTreeWidgetItem*> items;
    walk(tree, [&items](QTreeWidgetItem* item) {
        items.append(item);
        return true;
    });
    return items;
}

QList<QTreeWidgetItem*> subtree(QTreeWidgetItem* item)
{
    QList<QTreeWidgetItem*> items;
    if (item) {
        walk(item, [&items](QTreeWidgetItem* node) {
            items.append(node);
            return true;
        });
    }
    return items;
}

} // namespace TreeRows
