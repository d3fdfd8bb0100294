#include "classtreeloader.h"

#include "classtreelog.h"
#include "common/images.h"
#include "database/dberror.h"
#include "database/query.h"
#include "treerows.h"

#include <QTreeWidget>

void loadClassTree(QTreeWidget* tree, Connection& connection)
{
    tree->clear();
    new QTreeWidgetItem(tree, QStringList{QStringLiteral("スクラップ分類")});
    try {
        Query classes(connection, QStringLiteral("SELECT ndP, nName, ndMEMO FROM extraNodeMEMO ORDER BY rowid"));
        const QIcon folder = Images::icon(QStringLiteral("imgFolder"));
        while (classes.next()) {
            QTreeWidgetItem* parent = TreeRows::itemAt(tree, int(classes.integer(0)));
            if (!parent) {
                // Later rows count their parents in a tree that already went wrong, so nothing after this one holds.
                qCWarning(lcClassTree) << "class" << classes.text(1) << "names a missing parent row"
                                       << classes.integer(0);
                break;
            }
            auto* node = new QTreeWidgetItem(parent, QStringList{classes.text(1)});
            node->setData(0, Qt::UserRole, QString::number(classes.integer(2)));
            node->setIcon(0, folder);
        }
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot read the classification tree:" << e.message();
    }
    tree->expandAll();
}

void loadFavourites(QTreeWidget* tree, Connection& connection)
{
    QTreeWidgetItem* root = tree->topLevelItem(0);
    if (!root)
        return;
    try {
        Query favourites(connection, QStringLiteral("SELECT fvName, ndID FROM extraNodeWEB ORDER BY ndWEB, rowid"));
        const QIcon page = Images::icon(QStringLiteral("imgFile"));
        while (favourites.next()) {
            auto* node = new QTreeWidgetItem(root, QStringList{favourites.text(0)});
            node->setData(0, Qt::UserRole, QString::number(favourites.integer(1)));
            node->setIcon(0, page);
        }
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot read the favourites:" << e.message();
    }
    tree->expandAll();
}

ClassPath classPathOf(const QTreeWidgetItem* node)
{
    ClassPath path;
    switch (TreeRows::levelOf(node)) {
    case 2:
        path.major = node->text(0);
        break;
    case 3:
        path.major = node->parent()->text(0);
        path.middle = node->text(0);
        break;
    case 4:
        path.major = node->parent()->parent()->text(0);
        path.middle = node->parent()->text(0);
        path.minor = node->text(0);
        break;
    default:
        break;
    }
    return path;
}
