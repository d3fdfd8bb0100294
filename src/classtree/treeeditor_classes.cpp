// The tree editor's classification commands: adding, renaming, deleting, registering, and the folder import.
#include "classtreeloader.h"
#include "classtreelog.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "treeeditor.h"
#include "treerows.h"

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

void TreeEditor::RenameClass(QTreeWidgetItem* item)
{
    Connection* connection = m_session.connection();
    if (!connection || !item->parent())
        return;
    const QString newName = item->text(0);
    const int row = TreeRows::rowOf(item);
    if (!CheckGrid(classRows()).IsUniqueInFolder(row - 1, TreeRows::rowOf(item->parent()), newName)) {
        m_dialogs.exclamation(newName + QStringLiteral("　は同一フォルダ下に既にあります。　他の名前にしてください。"));
        // Left in the grid, the refused name would be stored by the next save without its scraps.
        restoreText(item, m_textBeforeEdit);
        return;
    }
    const int level = TreeRows::levelOf(item);
    ClassPath oldPath = classPathOf(item);
    if (level == 4)
        oldPath.minor = m_textBeforeEdit;
    else if (level == 3)
        oldPath.middle = m_textBeforeEdit;
    else if (level == 2)
        oldPath.major = m_textBeforeEdit;
    if (!report(RenameClassEverywhere(*connection, oldPath, level, newName, row)))
        restoreText(item, m_textBeforeEdit);
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
    if (report(connection ? WriteClassTree(*connection, rows, false)
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
    QTreeWidgetItem* major = importFolder(*path);
    if (major && !report(writeTree()))
        delete major;
}

QTreeWidgetItem* TreeEditor::importFolder(const QString& path)
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
        return nullptr;
    QTreeWidgetItem* majorNode = addNode(root(), major->name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
    for (const FolderClass& middle : major->children) {
        QTreeWidgetItem* middleNode =
            addNode(majorNode, middle.name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
        for (const FolderClass& minor : middle.children)
            addNode(middleNode, minor.name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
    }
    return majorNode;
}
