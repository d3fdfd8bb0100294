#include "treerows.h"

#include <QTreeWidget>

namespace TreeRows {
namespace {

int subtreeSize(const QTreeWidgetItem* item)
{
    int size = 1;
    for (int i = 0; i < item->childCount(); ++i)
        size += subtreeSize(item->child(i));
    return size;
}

QTreeWidgetItem* descend(QTreeWidgetItem* item, int offset)
{
    // offset 0 is item itself; otherwise skip whole subtrees of the children before the one that holds it.
    while (offset > 0) {
        --offset;
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount(); ++i) {
            const int size = subtreeSize(item->child(i));
            if (offset < size) {
                next = item->child(i);
                break;
            }
            offset -= size;
        }
        if (!next)
            return nullptr;
        item = next;
    }
    return item;
}

} // namespace

int rowOf(const QTreeWidgetItem* item)
{
    if (!item)
        return 0;
    int row = 1;
    for (const QTreeWidgetItem* node = item; node; node = node->parent()) {
        const QTreeWidgetItem* parent = node->parent();
        if (parent) {
            row += 1;
            for (int i = 0; i < parent->indexOfChild(const_cast<QTreeWidgetItem*>(node)); ++i)
                row += subtreeSize(parent->child(i));
        } else if (const QTreeWidget* tree = node->treeWidget()) {
            for (int i = 0; i < tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)); ++i)
                row += subtreeSize(tree->topLevelItem(i));
        }
    }
    return row;
}

QTreeWidgetItem* itemAt(const QTreeWidget* tree, int row)
{
    if (!tree || row < 1)
        return nullptr;
    int offset = row - 1;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree->topLevelItem(i);
        const int size = subtreeSize(top);
        if (offset < size)
            return descend(top, offset);
        offset -= size;
    }
    return nullptr;
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
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i)
        rows += subtreeSize(tree->topLevelItem(i));
    return rows;
}

} // namespace TreeRows
