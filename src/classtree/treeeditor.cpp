// The tree editor's window: grid, grid events and the favourites.
#include "treeeditor.h"

#include "classtreeloader.h"
#include "classtreelog.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/images.h"
#include "common/session.h"
#include "common/toolbarbuttons.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "favouritestore.h"
#include "nodedelegate.h"
#include "treerows.h"
#include "web/webpagesource.h"

#include <QAction>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

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

qint16 keyNumber(const QTreeWidgetItem* node)
{
    // A key that is not a number, or none, counts as 0.
    return qint16(node->data(0, kKeyRole).toString().trimmed().toInt());
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

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("fg"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_delegate = new NodeDelegate(kNameWidth, m_tree);
    m_tree->setItemDelegate(m_delegate);
    m_delegate->setListeners([this](const QModelIndex& index) { onEditStarting(m_tree->itemFromIndex(index)); },
                             [this](const QModelIndex& index) {
                                 // Carried out once the editor is gone, so that a message cannot reopen it.
                                 m_pendingEdit = index;
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

    int width = kClassesWidth;
    if (m_kind == TreeKind::Favourites) {
        resetFavouritesGrid();
        addFavouriteNodes();
        MakeToolbar1WEB();
        m_mode = Mode::Edit;
        setWindowTitle(QStringLiteral("お気に入り整理"));
        setStatusText(helpHint());
        width = kFavouritesWidth;
    } else if (m_kind == TreeKind::Classes) {
        resetClassGrid();
        addClassNodes();
        m_newTree = root()->childCount() == 0;
        if (m_newTree) {
            MakeToolbar1NEW();
            setStatusText(QStringLiteral("編集が全部終った段階でツールバー２「登録ボタン」で登録してください。"));
        } else {
            MakeToolbar1SCR();
            setStatusText(helpHint());
        }
        m_mode = Mode::Edit;
        setWindowTitle(QStringLiteral("スクラップ分類ツリー"));
    }
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

QTreeWidgetItem* TreeEditor::root() const
{
    return m_tree->topLevelItem(0);
}

void TreeEditor::resetGrid(const QString& rootText)
{
    m_tree->clear();
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

void TreeEditor::resetFavouritesGrid()
{
    resetGrid(QStringLiteral("お気に入りサイト"));
}

void TreeEditor::addFavouriteNodes()
{
    if (Connection* connection = m_session.connection())
        loadFavourites(m_tree, *connection);
    for (int i = 0; i < root()->childCount(); ++i)
        root()->child(i)->setFlags(root()->child(i)->flags() | Qt::ItemIsEditable);
    m_tree->setCurrentItem(root());
    m_selected = root();
}

void TreeEditor::resetClassGrid()
{
    resetGrid(QStringLiteral("スクラップ分類"));
}

void TreeEditor::addClassNodes()
{
    if (Connection* connection = m_session.connection())
        loadClassTree(m_tree, *connection);
    QTreeWidgetItem* top = root();
    top->setFlags(top->flags() & ~Qt::ItemIsEditable);
    for (int row = 2; QTreeWidgetItem* node = TreeRows::itemAt(m_tree, row); ++row)
        node->setFlags(node->flags() | Qt::ItemIsEditable);
    m_tree->setCurrentItem(top);
    m_selected = top;
}

void TreeEditor::reloadClassTree()
{
    // After a write that did not happen, the grid shows again what the file holds.
    const QAbstractItemView::EditTriggers editing = m_tree->editTriggers();
    resetClassGrid();
    addClassNodes();
    m_tree->setEditTriggers(editing);
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
    if (m_kind != TreeKind::Favourites && !m_newTree && m_mode == Mode::Edit)
        m_oldName = item->text(0);
}

void TreeEditor::runPendingEdit()
{
    const QPersistentModelIndex index = m_pendingEdit;
    m_pendingEdit = QPersistentModelIndex();
    if (index.isValid())
        onEditFinished(m_tree->itemFromIndex(index));
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

void TreeEditor::onEditFinished(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QString text = item->text(0);
    if (text == m_textBeforeEdit)
        return;
    // An emptied name is taken as a cancelled edit: an empty class name would file its scraps under the root.
    if (text.isEmpty()) {
        restoreText(item, m_textBeforeEdit);
        return;
    }
    if (m_kind == TreeKind::Favourites)
        SaveFavouriteName(item);
    else if (m_kind == TreeKind::Classes && !m_newTree)
        RenameClass(item);
}

// ---- Switching toolbars ----

void TreeEditor::toEditModeWeb()
{
    if (m_moved)
        RenumberFavourites();
    MakeToolbar1WEB();
    m_mode = Mode::Edit;
}

void TreeEditor::toMoveModeWeb()
{
    MakeToolbar2WEB();
    m_mode = Mode::Move;
    m_moved = false;
    setEditing(false);
}

void TreeEditor::closeFavourites()
{
    if (m_mode == Mode::Move && m_moved)
        RenumberFavourites();
    close();
}

void TreeEditor::toEditModeClasses()
{
    m_mode = Mode::Edit;
    if (m_newTree) {
        MakeToolbar1NEW();
    } else {
        if (m_moved)
            writeTree();
        MakeToolbar1SCR();
        setStatusText(helpHint());
    }
}

void TreeEditor::toMoveModeClasses()
{
    m_mode = Mode::Move;
    setEditing(false);
    if (m_newTree) {
        MakeToolbar2NEW();
    } else {
        m_moved = false;
        MakeToolbar2SCR();
        setStatusText(QStringLiteral("編集後は必ず登録ボタンで登録して下さい。　ヘルプ：F1キー"));
    }
}

void TreeEditor::alterSelected()
{
    if (!m_selected || m_selected == root()) {
        if (m_kind == TreeKind::Favourites)
            m_dialogs.information(QStringLiteral("「お気に入りサイト」　は訂正できません。"));
        else if (m_kind == TreeKind::Classes)
            m_dialogs.information(QStringLiteral("「スクラップ分類」　は訂正できません。"));
        return;
    }
    setEditing(true);
    m_tree->setCurrentItem(m_selected);
    m_tree->editItem(m_selected);
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
    node->setExpanded(true);
    for (int row = TreeRows::rowOf(node) + 1; QTreeWidgetItem* below = TreeRows::itemAt(m_tree, row); ++row) {
        if (TreeRows::levelOf(below) <= TreeRows::levelOf(node))
            break;
        below->setExpanded(true);
    }
    m_tree->setCurrentItem(node);
    m_selected = node;
    return true;
}

// ---- Favourites ----

void TreeEditor::AddFavourite()
{
    Connection* connection = m_session.connection();
    if (!m_web || !connection)
        return;
    const QString address = m_web->currentUrl();
    // With no page shown there is nothing to keep.
    if (address.isEmpty())
        return;
    // A page title longer than the name column keeps its beginning.
    const QString title = m_web->currentTitle().left(kNameWidth);
    onNodeClicked(root());
    QList<qint64> ids;
    for (int i = 0; i < root()->childCount(); ++i)
        ids << keyNumber(root()->child(i));
    qint16 id = 0;
    try {
        id = AddFavouriteRow(*connection, title, address, ids);
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot add the favourite" << address << e.message();
        return;
    }
    addNode(root(), title, QString::number(id).trimmed(), QStringLiteral("imgFile"));
}

void TreeEditor::RenumberFavourites()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    QList<qint64> ids;
    for (int i = 0; i < root()->childCount(); ++i)
        ids << keyNumber(root()->child(i));
    try {
        ::RenumberFavourites(*connection, ids);
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot renumber the favourites:" << e.message();
    }
}

bool TreeEditor::DeleteNodeRow()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return false;
    QList<qint64> idsAfter;
    for (int i = 0; i < root()->childCount(); ++i) {
        if (root()->child(i) != m_selected)
            idsAfter << keyNumber(root()->child(i));
    }
    try {
        DeleteFavouriteRow(*connection, keyNumber(m_selected), idsAfter);
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot delete the favourite:" << e.message();
        m_dialogs.information(QStringLiteral("データベースからの削除に失敗しました。"));
        return false;
    }
    return true;
}

void TreeEditor::deleteFavourite()
{
    if (!m_selected || m_selected == root()) {
        m_dialogs.information(QStringLiteral("「お気に入りサイト」　は削除できません。"));
        return;
    }
    if (!m_dialogs.askYesNo(m_selected->text(0) +
                                QStringLiteral(" を削除します。　削除後は復活できません。　実行しますか？"),
                            UserDialogs::Icon::Question, UserDialogs::Default::No))
        return;
    if (!DeleteNodeRow())
        return;
    QTreeWidgetItem* gone = m_selected;
    m_selected = gone->parent();
    m_tree->setCurrentItem(m_selected);
    delete gone;
}

void TreeEditor::SaveFavouriteName(QTreeWidgetItem* item)
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    try {
        ::SaveFavouriteName(*connection, keyNumber(item), item->text(0));
    } catch (const DbError& e) {
        qCWarning(lcClassTree) << "cannot rename the favourite:" << e.message();
    }
}
