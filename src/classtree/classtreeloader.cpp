#include "classtreeloader.h"

#include "classtreelog.h"
#include "common/images.h"
#include "database/dberror.h"
#include "database/query.h"
#include "treerows.h"

#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace {

struct StoredClass {
    int parent; // index of the parent, -1 for the root
    int level;
    QString name;
    qint64 ndMEMO;
    std::vector<int> children;
};

// The stored rows as the tree they make, before any of it is shown. Each row hangs under the node at its parent's
// tree row as the tree stands when the row is read. Rows written in tree order always extend the tree at its last
// row, under a node on the path down to that row, so the row index grows by appending. A row out of that order
// goes in before later rows, which then move down one: the index stays right up to its parent's row and is made
// again only when a row beyond that is asked for.
class StoredTree {
public:
    StoredTree()
    {
        m_nodes.push_back({-1, 1, QString(), 0, {}});
        m_rows.push_back(0);
        m_path.push_back(0);
        m_onPath.push_back(true);
    }

    // False when parentRow is no row of the tree.
    bool add(qint64 storedParent, const QString& name, qint64 ndMEMO)
    {
        // Compared in 64 bits: a damaged number past 2^31 must not wrap round to a row that exists.
        if (storedParent < 1 || storedParent > m_count)
            return false;
        const int parentRow = int(storedParent);
        if (parentRow > m_valid)
            renumber();
        const int parent = m_rows[parentRow - 1];
        const int node = int(m_nodes.size());
        m_nodes.push_back({parent, m_nodes[parent].level + 1, name, ndMEMO, {}});
        m_nodes[parent].children.push_back(node);
        const bool indexWhole = m_valid == m_count;
        ++m_count;
        // Under a node off the path the last row stays the last, so the path stays as it is.
        if (!m_onPath[parent]) {
            m_onPath.push_back(false);
            m_valid = std::min(m_valid, parentRow);
            return true;
        }
        while (m_path.back() != parent) {
            m_onPath[m_path.back()] = false;
            m_path.pop_back();
        }
        m_path.push_back(node);
        m_onPath.push_back(true);
        if (indexWhole) {
            m_rows.push_back(node);
            ++m_valid;
        }
        return true;
    }

    const StoredClass& node(int index) const { return m_nodes[index]; }
    // Node indexes in tree-row order, the root first.
    const std::vector<int>& rows()
    {
        if (m_valid < m_count)
            renumber();
        return m_rows;
    }

private:
    void renumber()
    {
        m_rows.clear();
        std::vector<int> stack{0};
        while (!stack.empty()) {
            const int node = stack.back();
            stack.pop_back();
            m_rows.push_back(node);
            const std::vector<int>& children = m_nodes[node].children;
            stack.insert(stack.end(), children.rbegin(), children.rend());
        }
        m_valid = m_count;
    }

    std::vector<StoredClass> m_nodes;
    // m_rows[r - 1] is the node at row r, for every r up to m_valid.
    std::vector<int> m_rows;
    int m_valid = 1;
    int m_count = 1;
    // The nodes from the root down to the last row.
    std::vector<int> m_path;
    std::vector<bool> m_onPath;
};

// Builds the shown tree from the stored one, leaving out what is too deep, and returns how many classes that was.
int show(QTreeWidget* tree, StoredTree& stored)
{
    const QIcon folder = Images::icon(QStringLiteral("imgFolder"));
    // Built apart from the view and handed over whole, so the view takes it in one insertion.
    auto* root = new QTreeWidgetItem(QStringList{QStringLiteral("スクラップ分類")});
    std::vector<QTreeWidgetItem*> items(stored.rows().size(), nullptr);
    items[0] = root;
    int tooDeep = 0;
    for (int index : stored.rows()) {
        const StoredClass& entry = stored.node(index);
        if (entry.parent < 0)
            continue;
        // A parent comes before its children, and a class below one too deep is too deep itself.
        if (entry.level > kDeepestShownLevel) {
            ++tooDeep;
            continue;
        }
        auto* node = new QTreeWidgetItem(items[entry.parent], QStringList{entry.name});
        node->setData(0, Qt::UserRole, QString::number(entry.ndMEMO));
        node->setIcon(0, folder);
        items[index] = node;
    }
    tree->addTopLevelItem(root);
    tree->expandAll();
    return tooDeep;
}

} // namespace

Failure ClassTreeLoad::leftOut() const
{
    QStringList why;
    if (tooDeep > 0)
        why << QStringLiteral("%1 階層より深い分類が %2 件あります。").arg(kDeepestShownLevel).arg(tooDeep);
    if (parentless > 0)
        why << QStringLiteral("親の分類が見つからない分類が %1 件あります。").arg(parentless);
    return {QStringLiteral("分類ツリーの一部を表示できません。"), why.join(u'　'),
            QStringLiteral("%1 classes too deep, %2 from a missing parent on").arg(tooDeep).arg(parentless)};
}

Result<ClassTreeLoad> readClassTree(QTreeWidget* tree, Connection& connection)
{
    tree->clear();
    StoredTree stored;
    ClassTreeLoad load;
    std::optional<Failure> failure;
    try {
        Query classes(connection, QStringLiteral("SELECT ndP, nName, ndMEMO FROM extraNodeMEMO ORDER BY rowid"));
        while (classes.next()) {
            if (load.parentless > 0) {
                ++load.parentless;
            } else if (!stored.add(classes.integer(0), classes.text(1), classes.integer(2))) {
                // Later rows count their parents in a tree that already went wrong, so nothing after this one holds.
                qCWarning(lcClassTree) << "class" << classes.text(1) << "names a missing parent row"
                                       << classes.integer(0);
                load.parentless = 1;
            }
        }
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot read the classification tree:" << e.message();
        failure = e.failure(QStringLiteral("分類ツリーを読み込めませんでした。"));
    }
    load.tooDeep = show(tree, stored);
    if (failure)
        return *failure;
    return load;
}

void loadClassTree(QTreeWidget* tree, Connection& connection)
{
    const Result<ClassTreeLoad> load = readClassTree(tree, connection);
    if (load && !load->whole())
        qCWarning(lcClassTree) << "the classification tree is shown in part:" << load->leftOut().detail;
}

Done readFavourites(QTreeWidget* tree, Connection& connection)
{
    QTreeWidgetItem* root = tree->topLevelItem(0);
    if (!root)
        return {};
    std::optional<Failure> failure;
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
        failure = e.failure(QStringLiteral("お気に入りを読み込めませんでした。"));
    }
    tree->expandAll();
    if (failure)
        return *failure;
    return {};
}

void loadFavourites(QTreeWidget* tree, Connection& connection)
{
    // readFavourites has logged the failure; a tree that only shows has nothing more to do about it.
    static_cast<void>(readFavourites(tree, connection));
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
