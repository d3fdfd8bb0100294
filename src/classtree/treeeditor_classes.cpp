// The tree editor's classification commands: adding, renaming, deleting, registering, and the folder import.
#include "classtreeloader.h"
#include "classtreelog.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "treeeditor.h"
#include "treerows.h"

#include <QProgressDialog>
#include <QTreeWidget>

namespace {

constexpr int kDeepestLevel = 4;
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

// depth 1 are the major classes; their paths follow the rule of classPathOf without asking the tree for rows.
void collectRows(const QTreeWidgetItem* node, const QTreeWidgetItem* skip, int depth, int parentRow,
                 const ClassPath& path, int& row, QList<ClassRow>& rows)
{
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* child = node->child(i);
        if (child == skip)
            continue;
        ClassPath childPath = path;
        if (depth == 1)
            childPath.major = child->text(0);
        else if (depth == 2)
            childPath.middle = child->text(0);
        else if (depth == 3)
            childPath.minor = child->text(0);
        else
            childPath = ClassPath();
        const int own = ++row;
        rows.append({parentRow, child->text(0), own, childPath});
        collectRows(child, skip, depth + 1, own, childPath, row, rows);
    }
}

} // namespace

QList<ClassRow> TreeEditor::classRows(const QTreeWidgetItem* skip) const
{
    QList<ClassRow> rows;
    int row = 1;
    if (const QTreeWidgetItem* top = root())
        collectRows(top, skip, 1, 1, ClassPath(), row, rows);
    return rows;
}

bool TreeEditor::writeTree()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return false;
    const ClassWrite result = WriteClassTree(*connection, classRows(), true);
    if (result == ClassWrite::Done)
        return true;
    showWriteFailure(result);
    const int row = TreeRows::rowOf(m_selected);
    reloadClassTree();
    if (QTreeWidgetItem* again = TreeRows::itemAt(m_tree, row))
        onNodeClicked(again);
    return false;
}

void TreeEditor::showWriteFailure(ClassWrite result)
{
    switch (result) {
    case ClassWrite::LevNoFailed:
        m_dialogs.exclamation(QStringLiteral("PHOTO_PIC->LevNo 訂正に失敗しました。"));
        break;
    case ClassWrite::Done:
    case ClassWrite::ScrapRowsFailed:
    case ClassWrite::TreeRowsFailed:
        break;
    }
}

void TreeEditor::AddClass()
{
    QTreeWidgetItem* parent = m_selected;
    if (!parent)
        return;
    const int level = TreeRows::levelOf(parent);
    const char16_t* name = defaultName(level);
    if (!name) {
        m_dialogs.exclamation(QStringLiteral("これ以上深く作成できません。"));
        return;
    }
    const int row = TreeRows::rowOf(parent);
    if (!CheckGrid(classRows()).IsUniqueInFolder(row - 1, row, QString::fromUtf16(name))) {
        m_dialogs.exclamation(QString::fromUtf16(name) + QStringLiteral("　は同一フォルダ下に既にあります。"));
        return;
    }
    addNode(parent, QString::fromUtf16(name), QStringLiteral("0"), QStringLiteral("imgFolder"));
    writeTree();
}

void TreeEditor::AddClassNEW()
{
    QTreeWidgetItem* parent = m_selected;
    if (!parent)
        return;
    const char16_t* name = defaultName(TreeRows::levelOf(parent));
    if (!name) {
        m_dialogs.exclamation(QStringLiteral("これ以上深く作成できません。"));
        return;
    }
    addNode(parent, QString::fromUtf16(name), QStringLiteral("0"), QStringLiteral("imgFolder"));
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
        restoreText(item, m_oldName);
        return;
    }
    const int level = TreeRows::levelOf(item);
    ClassPath oldPath = classPathOf(item);
    if (level == 4)
        oldPath.minor = m_oldName;
    else if (level == 3)
        oldPath.middle = m_oldName;
    else if (level == 2)
        oldPath.major = m_oldName;
    const ClassWrite result = RenameClassEverywhere(*connection, oldPath, level, newName, row);
    if (result == ClassWrite::Done)
        return;
    if (result == ClassWrite::ScrapRowsFailed)
        m_dialogs.exclamation(QStringLiteral("MEMO_IDX　分類訂正に失敗しました。"));
    restoreText(item, m_oldName);
}

void TreeEditor::DeleteClass()
{
    Connection* connection = m_session.connection();
    QTreeWidgetItem* node = m_selected;
    if (!connection || !node || node == root())
        return;
    if (!m_dialogs.askYesNo(node->text(0) + QStringLiteral(" フォルダとこのフォルダに含まれる全フォルダ・スクラップを"
                                                           "削除します。。　削除後は復活できません。　実行しますか？"),
                            UserDialogs::Icon::Question, UserDialogs::Default::No))
        return;
    const ClassWrite result = DeleteClassEverywhere(*connection, classPathOf(node), classRows(node));
    if (result == ClassWrite::ScrapRowsFailed) {
        m_dialogs.information(QStringLiteral("MEMO_IDX 削除に失敗しました。"));
        return;
    }
    if (result != ClassWrite::Done) {
        showWriteFailure(result);
        return;
    }
    onNodeClicked(node->parent());
    delete node;
}

void TreeEditor::DeleteClassNEW()
{
    QTreeWidgetItem* node = m_selected;
    if (!node || node == root()) {
        m_dialogs.information(QStringLiteral("「スクラップ分類ツリー」　は削除できません。"));
        return;
    }
    onNodeClicked(node->parent());
    delete node;
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
    if (!connection)
        return;
    // A tree that could not be stored stays in the window rather than being lost with it.
    if (WriteClassTree(*connection, rows, false) == ClassWrite::Done)
        close();
}

void TreeEditor::CloseClassTree()
{
    if (!m_newTree) {
        if (m_mode == Mode::Move && m_moved)
            writeTree();
        close();
        return;
    }
    onNodeClicked(root());
    if (root()->childCount() == 0 ||
        m_dialogs.askYesNo(QStringLiteral("分類ツリー編集結果を登録せずにこの画面を閉じますか？　"
                                          "編集結果はツールバー２「登録」ボタンで登録します。\n"
                                          "登録しない場合は「はい」を、する場合は「いいえ」をクリックしてください。"),
                           UserDialogs::Icon::Question, UserDialogs::Default::No))
        close();
}

// ---- Folder import ----

void TreeEditor::IntakeFromFolders()
{
    const QString path = ChooseFolder(m_dialogs, 1);
    if (path == QString::fromUtf16(kNoFolder))
        return;
    onNodeClicked(root());
    if (m_newTree) {
        if (root()->childCount() > 0 &&
            m_dialogs.askYesNo(
                QStringLiteral("作成済み分類ツリーの下に追加しますか？　"
                               "または作成済み分類ツリーを破棄し、新たに作成しますか？　\n"
                               "追加する場合は「はい」を、破棄・新規作成の場合は「いいえ」を選択してください。"))) {
            importFolder(path);
            return;
        }
        resetClassGrid();
        importFolder(path);
        return;
    }
    if (!m_dialogs.askYesNo(QStringLiteral("既存分類ツリーの下に追加します。　実行しますか？")))
        return;
    if (importFolder(path))
        writeTree();
}

bool TreeEditor::importFolder(const QString& path)
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
        return false;
    QTreeWidgetItem* majorNode = addNode(root(), major->name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
    for (const FolderClass& middle : major->children) {
        QTreeWidgetItem* middleNode =
            addNode(majorNode, middle.name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
        for (const FolderClass& minor : middle.children)
            addNode(middleNode, minor.name, QStringLiteral("yPHOTO"), QStringLiteral("imgFolder"));
    }
    return true;
}
