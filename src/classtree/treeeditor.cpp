// The tree editor's window: grid, grid events and the favourites.
#include "treeeditor.h"

#include "classtreeloader.h"
#include "classtreelog.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/images.h"
#include "common/session.h"
#include "common/textcut.h"
#include "common/toolbarbuttons.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "favouritestore.h"
#include "nodedelegate.h"
#include "treerows.h"
#include "web/webpagesource.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QSet>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace {

constexpr int kFavouritesWidth = 7000;
constexpr int kClassesWidth = 7800;
constexpr int kWindowHeight = 7500;
constexpr int kGridLeft = 40;
constexpr int kGridWidthInset = 200;
constexpr int kGridHeightInset = 500;
constexpr int kNameWidth = 127;
constexpr int kKeyRole = Qt::UserRole;

QString helpHint()
{
    return QStringLiteral("ヘルプ：F1キー");
}

qint64 keyNumber(const QTreeWidgetItem* node)
{
    // A key that is not a number, or none, counts as 0.
    return node->data(0, kKeyRole).toString().trimmed().toLongLong();
}

} // namespace

TreeEditor::TreeEditor(Session& session, UserDialogs& dialogs, WebPageSource* web, TreeKind kind, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_web(web)
    , m_kind(kind)
{
    setObjectName(QStringLiteral("Form2"));
    setModal(true);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // The toolbar from the keyboard, with the keys other programs give these commands.
    bindToolbarKeys(
        this, m_toolbar,
        {{QKeySequence(Qt::Key_Insert),
          {QStringLiteral("AddWEB"), QStringLiteral("AddSCR"), QStringLiteral("AddSCR_NEW")}},
         {QKeySequence::Delete, {QStringLiteral("DelWEB"), QStringLiteral("Del_SCR"), QStringLiteral("Del_NEW")}},
         {QKeySequence(Qt::Key_F2), {QStringLiteral("Alt")}},
         {QKeySequence(Qt::CTRL | Qt::Key_Up), {QStringLiteral("moveUP_WEB"), QStringLiteral("moveUP_SCR")}},
         {QKeySequence(Qt::CTRL | Qt::Key_Down), {QStringLiteral("moveDN_WEB"), QStringLiteral("moveDN_SCR")}}});

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("fg"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_delegate = new NodeDelegate(kNameWidth, m_tree);
    m_tree->setItemDelegate(m_delegate);
    m_delegate->setListeners([this](const QModelIndex& index) { onEditStarting(m_tree->itemFromIndex(index)); },
                             [this](const QModelIndex& index) {
                                 // Carried out once the editor is gone, so that a message cannot reopen it.
                                 m_pendingEdits.append({index, m_textBeforeEdit});
                                 QMetaObject::invokeMethod(this, &TreeEditor::runPendingEdit, Qt::QueuedConnection);
                             });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { onNodeClicked(item); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            m_selected = item;
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { onNodeDoubleClicked(); });

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    // One simple-text area; a widget rather than a message, so that no status tip replaces it.
    m_statusText = new QLabel(m_status);
    m_statusText->setObjectName(QStringLiteral("StatusText"));
    m_status->addWidget(m_statusText, 1);

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });

    resetGrid();
    const Result<ClassTreeLoad> filled = fillGrid();
    bool usable = true;
    if (!filled) {
        m_dialogs.exclamation(filled.message());
        usable = false;
    } else if (!filled->whole()) {
        usable = registerShownTree(filled->leftOut());
    }
    m_newTree = m_kind == TreeKind::Classes && root()->childCount() == 0;
    m_mode = Mode::Edit;
    if (m_kind == TreeKind::Favourites) {
        MakeToolbar1WEB();
        setWindowTitle(QStringLiteral("お気に入り整理"));
    } else {
        if (m_newTree)
            MakeToolbar1NEW();
        else
            MakeToolbar1SCR();
        setWindowTitle(QStringLiteral("スクラップ分類ツリー"));
    }
    setStatusText(m_newTree ? QStringLiteral("編集が全部終った段階でツールバー２「登録ボタン」で登録してください。")
                            : helpHint());
    // A grid that is not what the file holds would write over what it lacks.
    if (!usable)
        closeSoon();
    const int width = m_kind == TreeKind::Favourites ? kFavouritesWidth : kClassesWidth;
    resize(twipsToPixels(width), twipsToPixels(kWindowHeight));
    layOut();
}

TreeEditor::~TreeEditor()
{
    // Tearing the grid down may still hand an open editor's text over; it must no longer reach this window.
    m_delegate->setListeners({}, {});
    m_tree->disconnect(this);
}

int TreeEditor::helpTopic() const
{
    return m_kind == TreeKind::Favourites ? HelpTopic::kFavouritesEditor : HelpTopic::kClassTreeEditor;
}

QString TreeEditor::statusText() const
{
    return m_statusText->text();
}

void TreeEditor::setStatusText(const QString& text)
{
    m_statusText->setText(text);
}

QAction* TreeEditor::toolbarButton(const QString& key) const
{
    return findToolbarButton(m_toolbar, key);
}

void TreeEditor::done(int result)
{
    // The close box drops a name still being typed, as it drops pending moves; a name already entered is stored.
    m_delegate->finish(false);
    runPendingEdit();
    QDialog::done(result);
    if (!m_closing) {
        m_closing = true;
        Q_EMIT closed();
    }
}

void TreeEditor::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layOut();
}

void TreeEditor::layOut()
{
    if (isMinimized())
        return;
    const int toolbarHeight = m_toolbar->sizeHint().height();
    const int statusHeight = m_status->sizeHint().height();
    m_toolbar->setGeometry(0, 0, width(), toolbarHeight);
    m_tree->setGeometry(twipsToPixels(kGridLeft), toolbarHeight, std::max(0, width() - twipsToPixels(kGridWidthInset)),
                        std::max(0, height() - toolbarHeight - statusHeight - twipsToPixels(kGridHeightInset)));
    m_status->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

// ---- The grid ----

QString TreeEditor::noCollection()
{
    return QStringLiteral("データベースが開かれていません。");
}

QTreeWidgetItem* TreeEditor::root() const
{
    return m_tree->topLevelItem(0);
}

void TreeEditor::resetGrid()
{
    m_tree->clear();
    const QString rootText =
        m_kind == TreeKind::Favourites ? QStringLiteral("お気に入りサイト") : QStringLiteral("スクラップ分類");
    auto* top = new QTreeWidgetItem(m_tree, QStringList{rootText});
    // The root is never stored, so its text cannot be changed.
    top->setFlags(top->flags() & ~Qt::ItemIsEditable);
    m_tree->setCurrentItem(top);
    m_selected = top;
    setEditing(true);
}

QTreeWidgetItem* TreeEditor::addNode(QTreeWidgetItem* parent, const QString& text, const QString& key,
                                     const QString& image)
{
    auto* node = new QTreeWidgetItem(parent, QStringList{text});
    node->setData(0, kKeyRole, key);
    node->setIcon(0, Images::icon(image));
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    parent->setExpanded(true);
    return node;
}

Result<ClassTreeLoad> TreeEditor::fillGrid()
{
    Result<ClassTreeLoad> filled = ClassTreeLoad();
    if (Connection* connection = m_session.connection()) {
        if (m_kind == TreeKind::Favourites) {
            if (const Done read = readFavourites(m_tree, *connection); !read)
                filled = read.failure();
        } else {
            filled = readClassTree(m_tree, *connection);
        }
    }
    QTreeWidgetItem* top = root();
    {
        // The view has nothing to redraw for a node becoming editable; told of each, it takes seconds on a large tree.
        const QSignalBlocker quiet(m_tree->model());
        for (QTreeWidgetItem* node : TreeRows::subtree(top))
            node->setFlags(node == top ? node->flags() & ~Qt::ItemIsEditable : node->flags() | Qt::ItemIsEditable);
    }
    m_tree->setCurrentItem(top);
    m_selected = top;
    return filled;
}

qint64 TreeEditor::scrapsOutsideShownTree() const
{
    Connection* connection = m_session.connection();
    if (m_kind != TreeKind::Classes || !connection)
        return 0;
    QSet<QString> shown;
    const auto key = [](const QString& major, const QString& middle, const QString& minor) -> QString {
        return major + u'\x1f' + middle + u'\x1f' + minor;
    };
    for (const ClassRow& row : classRows())
        shown.insert(key(row.path.major, row.path.middle, row.path.minor));
    qint64 outside = 0;
    try {
        Query paths(*connection,
                    QStringLiteral("SELECT coalesce(a04, ''), coalesce(a05, ''), coalesce(a06, ''), "
                                   "count(*) FROM MEMO_IDX WHERE coalesce(a04, '') <> '' GROUP BY 1, 2, 3"));
        while (paths.next()) {
            if (!shown.contains(key(paths.text(0), paths.text(1), paths.text(2))))
                outside += paths.integer(3);
        }
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot count the scraps outside the shown tree:" << e.message();
    }
    return outside;
}

bool TreeEditor::registerShownTree(const Failure& leftOut)
{
    // The scraps filed under the classes left out keep their class names, which no class of the tree then has.
    const qint64 outside = scrapsOutsideShownTree();
    const QString orphans =
        outside > 0 ? QStringLiteral("\n表示できる分類だけで登録すると、%1 件のスクラップが分類のないまま残ります。")
                          .arg(outside)
                    : QString();
    if (!m_dialogs.askYesNo(leftOut.message() + orphans +
                                QStringLiteral("\n表示できる分類だけで分類ツリーを登録し直しますか？　"
                                               "「いいえ」を選ぶと何も変更せずに閉じます。"),
                            UserDialogs::Icon::Exclamation, UserDialogs::Default::No))
        return false;
    return report(writeTree());
}

void TreeEditor::closeSoon()
{
    QMetaObject::invokeMethod(
        this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
}

bool TreeEditor::report(const Done& written)
{
    if (!written)
        m_dialogs.exclamation(written.message());
    return written.ok();
}

// ---- Grid events ----

void TreeEditor::onNodeClicked(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    m_selected = item;
}

void TreeEditor::onNodeDoubleClicked()
{
    // In edit mode the view opens the editor on this same double-click, now that editing is on.
    setEditing(m_mode == Mode::Edit);
}

void TreeEditor::setEditing(bool on)
{
    m_tree->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::SelectedClicked
                               : QAbstractItemView::NoEditTriggers);
}

void TreeEditor::onEditStarting(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_selected = item;
    m_textBeforeEdit = item->text(0);
}

void TreeEditor::runPendingEdit()
{
    const QList<PendingEdit> pending = std::exchange(m_pendingEdits, {});
    for (const PendingEdit& edit : pending) {
        if (edit.index.isValid())
            onEditFinished(m_tree->itemFromIndex(edit.index), edit.oldText);
    }
}

void TreeEditor::finishEditing(bool keep)
{
    m_delegate->finish(keep);
    runPendingEdit();
}

void TreeEditor::restoreText(QTreeWidgetItem* item, const QString& text)
{
    const QSignalBlocker quiet(m_tree);
    item->setText(0, text);
}

void TreeEditor::onEditFinished(QTreeWidgetItem* item, const QString& oldText)
{
    if (!item)
        return;
    const QString text = item->text(0);
    if (text == oldText)
        return;
    // An emptied name is taken as a cancelled edit: an empty class name would file its scraps under the root.
    if (text.isEmpty()) {
        restoreText(item, oldText);
        return;
    }
    // A new tree's names are stored by its registration.
    if (m_kind == TreeKind::Favourites)
        SaveFavouriteName(item, oldText);
    else if (!m_newTree)
        RenameClass(item, oldText);
}

// ---- Modes ----

void TreeEditor::toEditMode()
{
    // A failed save keeps the moves on screen and the window in move mode: the user may try again or close.
    if (!report(saveMoves()))
        return;
    m_mode = Mode::Edit;
    if (m_kind == TreeKind::Favourites)
        MakeToolbar1WEB();
    else if (m_newTree)
        MakeToolbar1NEW();
    else
        MakeToolbar1SCR();
    if (!m_newTree)
        setStatusText(helpHint());
}

void TreeEditor::toMoveMode()
{
    m_mode = Mode::Move;
    m_moved = false;
    setEditing(false);
    if (m_kind == TreeKind::Favourites) {
        MakeToolbar2WEB();
    } else if (m_newTree) {
        MakeToolbar2NEW();
    } else {
        MakeToolbar2SCR();
        setStatusText(QStringLiteral("編集後は必ず登録ボタンで登録して下さい。　ヘルプ：F1キー"));
    }
}

bool TreeEditor::mayDropNewTree()
{
    onNodeClicked(root());
    return root()->childCount() == 0 ||
           m_dialogs.askYesNo(
               QStringLiteral("分類ツリー編集結果を登録せずにこの画面を閉じますか？　"
                              "編集結果はツールバー２「登録」ボタンで登録します。\n"
                              "登録しない場合は「はい」を、する場合は「いいえ」をクリックしてください。"),
               UserDialogs::Icon::Question, UserDialogs::Default::No);
}

void TreeEditor::reject()
{
    if (m_userLeaving && m_newTree && !mayDropNewTree())
        return;
    QDialog::reject();
}

void TreeEditor::closeEvent(QCloseEvent* event)
{
    m_userLeaving = event->spontaneous();
    QDialog::closeEvent(event);
    m_userLeaving = true;
}

void TreeEditor::closeEditor()
{
    if (m_newTree) {
        if (mayDropNewTree())
            close();
        return;
    }
    // Moves that cannot be stored are dropped only when the user says so.
    if (const Done saved = saveMoves();
        !saved && !m_dialogs.askYesNo(saved.message() + QStringLiteral("\n移動した結果を登録せずに閉じますか？　"
                                                                       "「いいえ」を選ぶと画面に戻ります。"),
                                      UserDialogs::Icon::Exclamation, UserDialogs::Default::No))
        return;
    close();
}

Done TreeEditor::saveMoves()
{
    // A new tree is stored whole by its registration, moves included.
    if (m_mode != Mode::Move || !m_moved || m_newTree)
        return {};
    const Done saved = m_kind == TreeKind::Favourites ? storeFavouriteOrder() : writeTree();
    if (saved)
        m_moved = false;
    return saved;
}

void TreeEditor::moveNode(bool up)
{
    if (moveSelected(up))
        m_moved = true;
}

bool TreeEditor::moveSelected(bool up)
{
    QTreeWidgetItem* node = m_selected;
    QTreeWidgetItem* parent = node ? node->parent() : nullptr;
    if (!parent)
        return false;
    const int from = parent->indexOfChild(node);
    const int to = up ? from - 1 : from + 1;
    if (to < 0 || to >= parent->childCount())
        return false;
    const QSignalBlocker quiet(m_tree);
    parent->takeChild(from);
    parent->insertChild(to, node);
    // A node taken out of the view comes back folded; the editor shows every level open.
    for (QTreeWidgetItem* moved : TreeRows::subtree(node))
        moved->setExpanded(true);
    m_tree->setCurrentItem(node);
    m_selected = node;
    return true;
}

// ---- Commands on the selected node ----

void TreeEditor::alterSelected()
{
    if (!m_selected || m_selected == root()) {
        if (m_kind == TreeKind::Favourites)
            m_dialogs.information(QStringLiteral("「お気に入りサイト」　は訂正できません。"));
        else
            m_dialogs.information(QStringLiteral("「スクラップ分類」　は訂正できません。"));
        return;
    }
    setEditing(true);
    m_tree->setCurrentItem(m_selected);
    m_tree->editItem(m_selected);
}

void TreeEditor::deleteSelected()
{
    QTreeWidgetItem* node = m_selected;
    if (!node || node == root()) {
        if (m_kind == TreeKind::Favourites)
            m_dialogs.information(QStringLiteral("「お気に入りサイト」　は削除できません。"));
        else if (m_newTree)
            m_dialogs.information(QStringLiteral("「スクラップ分類ツリー」　は削除できません。"));
        return;
    }
    const QString question =
        m_kind == TreeKind::Favourites
            ? node->text(0) + QStringLiteral(" を削除します。　削除後は復活できません。　実行しますか？")
            : node->text(0) + QStringLiteral(" フォルダとこのフォルダに含まれる全フォルダ・スクラップを"
                                             "削除します。。　削除後は復活できません。　実行しますか？");
    // A new tree is not stored yet, so nothing is lost that cannot be made again.
    if (!m_newTree && !m_dialogs.askYesNo(question, UserDialogs::Icon::Question, UserDialogs::Default::No))
        return;
    if (!report(deleteStored(node)))
        return;
    onNodeClicked(node->parent());
    delete node;
}

Done TreeEditor::deleteStored(QTreeWidgetItem* node)
{
    if (m_newTree)
        return {};
    Connection* connection = m_session.connection();
    if (!connection)
        return Failure{QStringLiteral("データベースからの削除に失敗しました。"), noCollection(), {}};
    if (m_kind == TreeKind::Favourites)
        return DeleteFavouriteRow(*connection, keyNumber(node), favouriteIds(node));
    // A class below the minor classes has no path, so no scrap is filed there: only its rows leave the tree.
    if (classPathOf(node).major.isEmpty())
        return WriteClassTree(*connection, classRows(node), true);
    const int first = TreeRows::rowOf(node);
    const int last = first + int(TreeRows::subtree(node).size()) - 1;
    const ClassPath path = classPathOf(node);
    const int level = TreeRows::levelOf(node);
    return DeleteClassEverywhere(*connection, path, level, classRows(node),
                                 pathsOwnedOutside(classRows(), first, last, path, level));
}

// ---- Favourites ----

bool TreeEditor::AddFavourite()
{
    Connection* connection = m_session.connection();
    if (!m_web || !connection)
        return true;
    const QString address = m_web->currentUrl();
    // With no page shown there is nothing to keep.
    if (address.isEmpty())
        return true;
    // A page title longer than the name column keeps its beginning, never half a character.
    const QString title = leftWhole(m_web->currentTitle(), kNameWidth);
    onNodeClicked(root());
    const Result<qint64> id = AddFavouriteRow(*connection, title, address, favouriteIds());
    if (!id) {
        m_dialogs.exclamation(id.message());
        return false;
    }
    addNode(root(), title, QString::number(*id).trimmed(), QStringLiteral("imgFile"));
    return true;
}

QList<qint64> TreeEditor::favouriteIds(const QTreeWidgetItem* skip) const
{
    QList<qint64> ids;
    for (int i = 0; i < root()->childCount(); ++i) {
        if (root()->child(i) != skip)
            ids << keyNumber(root()->child(i));
    }
    return ids;
}

Done TreeEditor::storeFavouriteOrder()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return Failure{QStringLiteral("お気に入りの並び順の登録に失敗しました。"), noCollection(), {}};
    return RenumberFavourites(*connection, favouriteIds());
}

void TreeEditor::SaveFavouriteName(QTreeWidgetItem* item, const QString& oldText)
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    // The grid keeps the name the file holds.
    if (!report(::SaveFavouriteName(*connection, keyNumber(item), item->text(0))))
        restoreText(item, oldText);
}
