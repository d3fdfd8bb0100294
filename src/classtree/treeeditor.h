#pragma once

#include "classtreeloader.h"
#include "classtreestore.h"
#include "folderimport.h"

#include <QDialog>
#include <QPersistentModelIndex>

#include <optional>
#include <span>

class NodeDelegate;
class QAction;
class QLabel;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class Session;
class UserDialogs;
class WebPageSource;
struct ToolbarButton;

// Which tree the editor works on.
enum class TreeKind { Favourites, Classes };

// The tree editor: the favourites or the classification tree. Changes to favourites
// and to a stored classification tree are written at once, moves when the user leaves move mode; a tree that
// was empty at opening is built here and registered in one step. A write that fails is told with its cause and
// leaves the file as it was; the grid then shows the file again, except for moves and an unregistered new tree,
// which stay on screen until they are stored or the user agrees to close without them.
class TreeEditor final : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Edit, Move };

    // web gives the address and title of a new favourite; without it no favourite can be added.
    TreeEditor(Session& session, UserDialogs& dialogs, WebPageSource* web, TreeKind kind, QWidget* parent = nullptr);
    ~TreeEditor() override;

    TreeKind kind() const { return m_kind; }
    int helpTopic() const;
    Mode mode() const { return m_mode; }
    bool newTreeFlag() const { return m_newTree; }
    bool movedFlag() const { return m_moved; }
    QString statusText() const;
    QTreeWidgetItem* selectedNode() const { return m_selected; }
    QAction* toolbarButton(const QString& key) const;

    // Folder listings go through this, so that a listing failure can be staged.
    void setFolderLister(FolderLister lister) { m_lister = std::move(lister); }

Q_SIGNALS:
    // Sent once, however the window closes; the opener rebuilds its tree pane from the file.
    void closed();
    void helpRequested(int topic);

public Q_SLOTS:
    void done(int result) override;
    // Escape and the close box: a new tree is left unregistered only when the user says so, as 閉じる asks.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The grid.
    void resetGrid();
    // Fills the grid from the file, with what it could not show; fails when the file cannot be read.
    [[nodiscard]] Result<ClassTreeLoad> fillGrid();
    // Offers to store the tree as shown when the file holds more than it can show; false when the window must close.
    [[nodiscard]] bool registerShownTree(const Failure& leftOut);
    // Scraps whose class is not among those shown: what storing the shown tree would leave without a class.
    qint64 scrapsOutsideShownTree() const;
    QTreeWidgetItem* root() const;
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, const QString& key, const QString& image);
    // Closes the window once the event loop runs again, for a window that cannot be used from its opening.
    void closeSoon();
    // Shows a failed write's message; true when it succeeded.
    bool report(const Done& written);
    // Why a write failed when no collection is open.
    static QString noCollection();

    // Toolbars and modes.
    void MakeToolbar1WEB();
    void MakeToolbar2WEB();
    void MakeToolbar1SCR();
    void MakeToolbar2SCR();
    void MakeToolbar1NEW();
    void MakeToolbar2NEW();
    // Shows these buttons, each storing a name still being typed before it acts.
    void setToolbar(std::span<const ToolbarButton> buttons);
    void toEditMode();
    void toMoveMode();
    void closeEditor();
    // Whether a new tree may go unregistered: asked when it holds a class.
    [[nodiscard]] bool mayDropNewTree();
    void moveNode(bool up);
    [[nodiscard]] bool moveSelected(bool up);
    // Stores the moves made in move mode, if there are any to store.
    [[nodiscard]] Done saveMoves();
    void setStatusText(const QString& text);

    // Grid events.
    void onNodeClicked(QTreeWidgetItem* item);
    void onNodeDoubleClicked();
    void onEditStarting(QTreeWidgetItem* item);
    void onEditFinished(QTreeWidgetItem* item, const QString& oldText);
    void setEditing(bool on);
    void finishEditing(bool keep);
    void runPendingEdit();
    void restoreText(QTreeWidgetItem* item, const QString& text);

    // Commands on the selected node, for either tree.
    void alterSelected();
    void deleteSelected();
    [[nodiscard]] Done deleteStored(QTreeWidgetItem* node);

    // Favourites.
    // False when the favourite could not be stored.
    [[nodiscard]] bool AddFavourite();
    void SaveFavouriteName(QTreeWidgetItem* item, const QString& oldText);
    [[nodiscard]] Done storeFavouriteOrder();
    // The identifiers of the favourites in row order, without skip.
    QList<qint64> favouriteIds(const QTreeWidgetItem* skip = nullptr) const;

    // Classes.
    void AddClass();
    void RenameClass(QTreeWidgetItem* item, const QString& oldText);
    void RegisterNewTree();
    [[nodiscard]] Done writeTree();
    // The classes in tree-row order, without skip and the classes under it.
    QList<ClassRow> classRows(const QTreeWidgetItem* skip = nullptr) const;

    // Folder import.
    void IntakeFromFolders();
    // The classes the folder added, in the order made, or nullopt when the walk was cancelled.
    std::optional<QList<QTreeWidgetItem*>> importFolder(const QString& path);

    void layOut();

    Session& m_session;
    UserDialogs& m_dialogs;
    WebPageSource* m_web;
    const TreeKind m_kind;
    Mode m_mode = Mode::Edit;
    bool m_moved = false;
    bool m_newTree = false;
    bool m_closing = false;
    // False while the program itself closes the window (quitting, another collection): nothing is asked then.
    bool m_userLeaving = true;
    QTreeWidgetItem* m_selected = nullptr;
    QString m_textBeforeEdit;
    // An edit the view stored, with the name it replaced: Tab opens the next row's editor before the edit runs.
    struct PendingEdit {
        QPersistentModelIndex index;
        QString oldText;
    };
    QList<PendingEdit> m_pendingEdits;
    FolderLister m_lister = listSubfolders;

    QToolBar* m_toolbar;
    QTreeWidget* m_tree;
    NodeDelegate* m_delegate;
    QStatusBar* m_status;
    QLabel* m_statusText;
};
