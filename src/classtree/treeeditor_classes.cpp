// The tree editor's classification commands: adding, renaming, deleting, registering, and the folder import.
#include "classtreeloader.h"
#include "classtreelog.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "treeeditor.h"
#include "treerows.h"

#include <QHash>
#include <QProgressDialog>
#include <QTreeWidget>

#include <vector>

namespace {

// A walk that ends within this time shows no progress window at all.
constexpr int kProgressDelayMs = 400;

const char16_t* defaultName(int level)
{
    switch (level) {
    case 1:
        return u"新しい大分類";
    case 2:
        return u"新しい中分類";
    case 3:
        return u"新しい小分類";
    default:
        return nullptr;
    }
}

} // namespace

QList<ClassRow> TreeEditor::classRows(const QTreeWidgetItem* skip) const
{
    // Walked with a stack of its own: a tree from another file may be deeper than the call stack allows.
    struct Open {
        const QTreeWidgetItem* node;
        int next;
        int row;
        ClassPath path;
    };
    QList<ClassRow> rows;
    const QTreeWidgetItem* top = root();
    if (!top)
        return rows;
    int row = 1;
    std::vector<Open> stack{{top, 0, 1, ClassPath()}};
    while (!stack.empty()) {
        Open& open = stack.back();
        if (open.next == open.node->childCount()) {
            stack.pop_back();
            continue;
        }
        const QTreeWidgetItem* child = open.node->child(open.next++);
        if (child == skip)
            continue;
        // The depth of the child: 1 for a major class; its path follows the rule of classPathOf.
        const auto depth = int(stack.size());
        ClassPath path = open.path;
        if (depth == 1)
            path.major = child->text(0);
        else if (depth == 2)
            path.middle = child->text(0);
        else if (depth == 3)
            path.minor = child->text(0);
        else
            path = ClassPath();
        rows.append({open.row, child->text(0), ++row, path});
        stack.push_back({child, 0, row, path});
    }
    return rows;
}

Done TreeEditor::writeTree()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return Failure{QStringLiteral("分類ツリーの登録に失敗しました。"), noCollection(), {}};
    return WriteClassTree(*connection, classRows(), true);
}

void TreeEditor::AddClass()
{
    QTreeWidgetItem* parent = m_selected;
    if (!parent)
        return;
    const char16_t* name = defaultName(TreeRows::levelOf(parent));
    if (!name) {
        m_dialogs.exclamation(QStringLiteral("これ以上深く作成できません。"));
        return;
    }
    // A new tree is checked for names twice in a folder when it is registered.
    const int row = TreeRows::rowOf(parent);
    if (!m_newTree && !CheckGrid(classRows()).IsUniqueInFolder(row - 1, row, QString::fromUtf16(name))) {
        m_dialogs.exclamation(QString::fromUtf16(name) + QStringLiteral("　は同一フォルダ下に既にあります。"));
        return;
    }
    QTreeWidgetItem* node = addNode(parent, QString::fromUtf16(name), QStringLiteral("0"), QStringLiteral("imgFolder"));
    // A class the file does not hold leaves the grid again, so that the grid stays what the file holds.
    if (!m_newTree && !report(writeTree()))
        delete node;
}

void TreeEditor::RenameClass(QTreeWidgetItem* item, const QString& oldText)
{
    Connection* connection = m_session.connection();
    if (!connection || !item->parent())
        return;
    const QString newName = item->text(0);
    const int row = TreeRows::rowOf(item);
    if (!CheckGrid(classRows()).IsUniqueInFolder(row - 1, TreeRows::rowOf(item->parent()), newName)) {
        m_dialogs.exclamation(newName + QStringLiteral("　は同一フォルダ下に既にあります。　他の名前にしてください。"));
        // Left in the grid, the refused name would be stored by the next save without its scraps.
        restoreText(item, oldText);
        return;
    }
    const int level = TreeRows::levelOf(item);
    ClassPath oldPath = classPathOf(item);
    if (level == 4)
        oldPath.minor = oldText;
    else if (level == 3)
        oldPath.middle = oldText;
    else if (level == 2)
        oldPath.major = oldText;
    // The tree as it was, for the classes elsewhere whose scraps the old path also names.
    const int first = row;
    const int last = first + int(TreeRows::subtree(item).size()) - 1;
    QList<ClassRow> before = classRows();
    for (ClassRow& r : before) {
        if (r.ndMEMO < first || r.ndMEMO > last)
            continue;
        QString& name = level == 2 ? r.path.major : level == 3 ? r.path.middle : r.path.minor;
        name = oldText;
    }
    if (!report(RenameClassEverywhere(*connection, oldPath, level, newName, classRows(),
                                      pathsOwnedOutside(before, first, last, oldPath, level))))
        restoreText(item, oldText);
}

void TreeEditor::RegisterNewTree()
{
    const QList<ClassRow> rows = classRows();
    if (const int parentRow = CheckGrid(rows).FindDuplicateFolder()) {
        QTreeWidgetItem* parent = TreeRows::itemAt(m_tree, parentRow);
        onNodeClicked(parent);
        m_dialogs.exclamation(parent->text(0) +
                              QStringLiteral("　フォルダ下に同一の分類名が２個または２個以上あります。"
                                             "　訂正してください。"));
        return;
    }
    Connection* connection = m_session.connection();
    // A tree that could not be stored stays in the window rather than being lost with it.
    // Scraps may already stand under names the new tree gives: they take its rows.
    if (report(connection ? WriteClassTree(*connection, rows, true)
                          : Done(Failure{QStringLiteral("分類ツリーの登録に失敗しました。"), noCollection(), {}})))
        close();
}

// ---- Folder import ----

void TreeEditor::IntakeFromFolders()
{
    const std::optional<QString> path = ChooseFolder(m_dialogs, 1);
    if (!path)
        return;
    onNodeClicked(root());
    if (m_newTree) {
        if (root()->childCount() > 0 &&
            m_dialogs.askYesNo(
                QStringLiteral("作成済み分類ツリーの下に追加しますか？　"
                               "または作成済み分類ツリーを破棄し、新たに作成しますか？　\n"
                               "追加する場合は「はい」を、破棄・新規作成の場合は「いいえ」を選択してください。"))) {
            importFolder(*path);
            return;
        }
        resetGrid();
        importFolder(*path);
        return;
    }
    if (!m_dialogs.askYesNo(QStringLiteral("既存分類ツリーの下に追加します。　実行しますか？")))
        return;
    const std::optional<QList<QTreeWidgetItem*>> added = importFolder(*path);
    // Only the classes the import made leave the grid again, children before their parents.
    if (added && !report(writeTree())) {
        for (auto node = added->crbegin(); node != added->crend(); ++node)
            delete *node;
    }
}

std::optional<QList<QTreeWidgetItem*>> TreeEditor::importFolder(const QString& path)
{
    QProgressDialog progress(this);
    progress.setWindowTitle(windowTitle());
    progress.setCancelButtonText(QStringLiteral("キャンセル"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelayMs);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    const std::optional<FolderClass> major =
        BuildFromFolder(path, m_lister, [&progress](int done, int total, const QString& current) {
            progress.setMaximum(total);
            progress.setLabelText(current);
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    progress.close();
    if (!major)
        return std::nullopt;
    QList<QTreeWidgetItem*> added;
    QHash<const QTreeWidgetItem*, QHash<QString, QTreeWidgetItem*>> namesUnder;
    // A folder named as a class already in its place joins that class: two siblings of one name share their scraps.
    const auto classFor = [&](QTreeWidgetItem* parent, const QString& name) {
        QHash<QString, QTreeWidgetItem*>& names = namesUnder[parent];
        if (names.isEmpty()) {
            for (int i = parent->childCount() - 1; i >= 0; --i)
                names.insert(parent->child(i)->text(0), parent->child(i));
        }
        QTreeWidgetItem*& node = names[name];
        if (!node) {
            node = addNode(parent, name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
            added.append(node);
        }
        return node;
    };
    QTreeWidgetItem* majorNode = classFor(root(), major->name);
    for (const FolderClass& middle : major->children) {
        QTreeWidgetItem* middleNode = classFor(majorNode, middle.name);
        for (const FolderClass& minor : middle.children)
            classFor(middleNode, minor.name);
    }
    return added;
}
