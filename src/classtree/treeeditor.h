#pragma once

#include "classtreestore.h"
#include "folderimport.h"

#include <QDialog>
#include <QPersistentModelIndex>

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
// was empty at opening is built here and registered in one step.
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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Building the grid.
    void resetFavouritesGrid();
    void addFavouriteNodes();
    void resetClassGrid();
    void addClassNodes();
    void resetGrid(const QString& rootText);
    void reloadClassTree();
    QTreeWidgetItem* root() const;
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, const QString& key, const QString& image);

    // Toolbars.
    void MakeToolbar1WEB();
    void MakeToolbar2WEB();
    void MakeToolbar1SCR();
    void MakeToolbar2SCR();
    void MakeToolbar1NEW();
    void MakeToolbar2NEW();
    // Shows these buttons, each storing a name still being typed before it acts.
    void setToolbar(std::span<const ToolbarButton> buttons);
    void toEditModeWeb();
    void toMoveModeWeb();
    void closeFavourites();
    void toEditModeClasses();
    void toMoveModeClasses();
    void moveClass(bool up);
    void setStatusText(const QString& text);

    // Grid events.
    void onNodeClicked(QTreeWidgetItem* item);
    void onNodeDoubleClicked();
    void onEditStarting(QTreeWidgetItem* item);
    void onEditFinished(QTreeWidgetItem* item);
    void setEditing(bool on);
    void finishEditing(bool keep);
    void runPendingEdit();
    void restoreText(QTreeWidgetItem* item, const QString& text);

    // Favourites.
    void AddFavourite();
    bool DeleteNodeRow();
    void RenumberFavourites();
    void SaveFavouriteName(QTreeWidgetItem* item);

    // Classes.
    void AddClass();
    void AddClassNEW();
    void RenameClass(QTreeWidgetItem* item);
    void DeleteClass();
    void DeleteClassNEW();
    void RegisterNewTree();
    void CloseClassTree();
    bool writeTree();
    void showWriteFailure(ClassWrite result);
    // The classes in tree-row order, without skip and the classes under it.
    QList<ClassRow> classRows(const QTreeWidgetItem* skip = nullptr) const;
    bool moveSelected(bool up);
    void alterSelected();
    void deleteFavourite();

    // Folder import.
    void IntakeFromFolders();
    bool importFolder(const QString& path);

    void layOut();

    Session& m_session;
    UserDialogs& m_dialogs;
    WebPageSource* m_web;
    const TreeKind m_kind;
    Mode m_mode = Mode::Edit;
    bool m_moved = false;
    bool m_newTree = false;
    bool m_closing = false;
    QTreeWidgetItem* m_selected = nullptr;
    QString m_oldName;
    QString m_textBeforeEdit;
    QPersistentModelIndex m_pendingEdit;
    FolderLister m_lister = listSubfolders;

    QToolBar* m_toolbar;
    QTreeWidget* m_tree;
    NodeDelegate* m_delegate;
    QStatusBar* m_status;
    QLabel* m_statusText;
};
