#pragma once

#include "childwindows.h"
#include "common/scrapidentity.h"
#include "startupoptions.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <optional>

class Collection;
class Desktop;
class HelpWindow;
class PicturesWindow;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;
class QTableView;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class RecordView;
class ScrapListController;
enum class ScrapsFrom;
class ScrapListModel;
class ScrapSheet;
class Session;
class SpeechOutput;
class SourceKeeper;
class QPushButton;
class SourceLine;
class SpeechReader;
class SplitterBar;
class UserDialogs;
class WebPane;
enum class PicturesOpener;
enum class TextSearchField;
struct ResultSource;

// True when the file at path is an Access (Jet or ACE) database, by its header.
[[nodiscard]] bool looksLikeAccessFile(const QString& path);

// The main window, a view of the open collection: toolbar, left pane (tree fg(0) and sheet fg(1) in one place),
// splitter, tab strip with the browser, entry, list and record-view panes, status bar and menus. The list and record
// view have controllers of their own; the collection's life is the Collection's. Start-up runs in the constructor, but
// for the entry, list and record-view panes and the first listing, which come after the first frame (completeStartUp).
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // What a click in the tree pane does, and which toolbar shows.
    enum class Mode { Favourites, Registration, Search, RecordView };
    // Which panes of the tab strip are shown, and which grid stands in the left pane.
    enum class TabPane { Entry, Browser, List, RecordBody };
    enum class LeftPane { Tree, Sheet };
    enum Tab { TabBrowser = 0, TabEntry = 1, TabSearch = 2 };

    // The window takes web, the browser of the web tab, as its child; speech is the speech character it drives.
    MainWindow(Session& session, Collection& collection, UserDialogs& dialogs, Desktop& desktop, WebPane* web,
               SpeechOutput& speech, const StartupOptions& options, QWidget* parent = nullptr);
    ~MainWindow() override;

    Mode mode() const { return m_mode; }
    int helpTopic() const { return m_helpTopic; }
    bool recordViewFlag() const { return m_recordView; }
    bool webShown() const { return m_webShown; }
    int leftPaneWidth(int grid) const { return m_leftPaneWidths[grid]; }
    Collection& collection() const { return m_collection; }
    // Record view's controller, made when it is first needed (or once the first frame is painted).
    RecordView* recordView() { return record(); }
    ScrapListModel* scrapListModel() const;

    // The splitter dropped on target at x twips from target's left edge.
    void dropSplitter(QWidget* target, int x);
    QAction* toolbarButton(const QString& key) const;
    // A title, keyword or date search: opens the shared result set on source and lists it.
    void runSearch(const ResultSource& source);
    int resultCount() const;
    int resultPosition() const;
    QTreeWidgetItem* currentNode() const { return m_currentNode; }
    // The scrap record view shows, while it shows one of the shared result set.
    std::optional<ScrapIdentity> shownScrap() const;
    // The scrap registered from the entry pane, while marks made there belong to it.
    std::optional<ScrapIdentity> entryScrap() const { return m_entryScrap; }
    const QString& loadedBody() const;
    bool justRegistered() const { return m_entryScrap.has_value(); }
    QString statusText(int panel = 0) const;

    // A picture the web pane copied to the clipboard: the pictures window takes it, and it waits there while the
    // user registers its scrap in registration mode.
    void openPicturesForWebPicture();
    // Keeps the source of the scrap being written in the entry pane.
    SourceKeeper* sourceKeeper() const { return m_sources; }
    // Makes the panes the first frame leaves out and lists the collection's scraps: the window does it once its first
    // frame is painted; a window never painted (a test's) is completed by hand.
    void completeStartUp();

Q_SIGNALS:
    // A class was clicked in registration mode: the registration sheet opens for it.
    void registrationRequested(int levNo);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Layout and panes.
    void buildControls();
    // The entry, list and record-view panes, made once, when first needed.
    void buildTabContents();
    QPlainTextEdit* entryBody();
    QPlainTextEdit* recordBody();
    ScrapListController* listController();
    void showTabContents();
    void watchEntryPastes();
    RecordView* record();
    void buildMenus();
    void startUp();
    // The whole index table as the collection's first result set, unless one is open.
    void listAllScraps();
    void ArrangePanes(int leftWidth);
    void SetLeftPaneWidth();
    void ShowLeftPane(LeftPane which);
    void ShowTabPanes(TabPane which);
    void onPaneAreaResized();
    void onSplitterDropped(const QPoint& globalPos);
    int windowWidth() const;
    void setStatusSimple(const QString& text);
    void setStatusPanels(const QString& panel1, const QString& panel2);

    // Modes.
    void onTabSelected();
    void ShowFavouritesMode();
    void ShowRegistrationMode();
    void ShowSearchMode();
    void showSearchPanes();
    void ShowRecordMode(int position);
    void CloseModeWindows();
    // Record view is left only when its edited body is saved, or the user let it go.
    [[nodiscard]] bool leaveRecordView();
    // False, with the reason shown, while closing the open collection would lose what the user has done.
    [[nodiscard]] bool mayCloseCollection();
    // Tries the close again once the work that put it off has ended.
    void closeWhenWorkEnds();
    void enableResultCommands(bool ok);
    void enableResultMenus(bool ok);
    void onListed(int count);

    // The open collection: opening, creating, importing, backing up, restoring.
    void OpenDefaultDatabase();
    void OpenOtherDatabase();
    // leaveAsked: mayCloseCollection was already asked (and said yes) on this road.
    void openDatabaseAt(const QString& path, bool leaveAsked = false);
    void onCollectionOpened();
    void showReadOnlyLayout();
    void applyOpenedDatabaseMenus();
    void CreateScrapDatabase();
    void ImportOldCollection();
    void importFrom(const QString& oldPath);
    void BackUpNow();
    void RestoreFromBackup();
    void ApplyDisplayFont();

    // Toolbars: one layout per mode, each button bound to its handler where the layout is built.
    void ClearToolbar();
    void BuildWebToolbar();
    void BuildEntryToolbar();
    void BuildSearchToolbar();
    void BuildRecordToolbar();
    void addBodySearchField();
    void focusBodySearch();
    void ToggleBodyBackground(QPlainTextEdit* box);
    void ToggleAddressBar();
    // The body box the text commands act on: record view's in record view, else the entry pane's.
    QPlainTextEdit* shownBody();
    void cutText();
    void copyText();
    void clearEntry();
    void showFirstResult();
    void openClassTreeEditor();
    void openTreeEditor();
    void openTextSearch(TextSearchField field);
    void openDateSearch();
    void openImportanceFilter();
    void openFullTextSearch();
    void openImportanceLevels();
    void MakeSavedEdition();
    void DeleteAllSearchResults();

    // The tree pane: the classification tree or the favourites.
    void resetTree(const QString& rootText);
    void showClassTree();
    void showFavouritesTree();
    void onTreeNodeClicked(QTreeWidgetItem* item);
    void OpenFavourite();

    // The entry pane: its registration, marks and pictures.
    void openRegistrationSheet(int levNo);
    void refileOpenRegistration();
    void toggleEntryMark();
    void enableEntryMarking(bool on);
    void endEntryMarking();
    void onResultsReplaced();
    void openPicturesOfEntryScrap();
    // The pictures window of the scrap record view shows; null when a web picture waits in the window for its
    // registration, which is said.
    PicturesWindow* openPicturesOfShownScrap();
    // True, after saying so, when a web picture waits in the pictures window for its registration.
    bool webPictureWaits();
    // Record view names the picture whose read text holds a word of the last body search; a click shows it.
    void showPictureHolding(bool recordShown);
    PicturesWindow* openPicturesWindow(PicturesOpener opener, const std::optional<ScrapIdentity>& scrap,
                                       const QString& title);
    void onPictureSetChanged(qint64 scrapRowid, qint64 skID);

    // The web pane: the address box, the start page of the open collection, text clipped to the entry.
    void NavigateToAddressBox();
    void refreshStartPage();
    void clipTextToEntry(const QString& text);

    // Where scraps come from: the clip's page kept, record view's source line, listings by page and by site.
    void buildSourceControls();
    // Asks before text from a page clipped already is clipped again; false when it is not to be.
    [[nodiscard]] bool clipAgainAllowed(const QString& address);
    void listScrapsFrom(ScrapsFrom which, const QString& value);
    void showSourceOfShownScrap();
    // By value: the source line clears the address it sent once record view ends on the way to the web tab.
    void openLiveSource(QString address);
    void openSavedSource();
    void openSiteSearch();
    void openPageCopyOptions();

    // Reading aloud: 0 the web selection, 1 the entry text, 2 the clipboard or the shown scrap.
    void ReadAloud(int mode);

    // Help: F1 in a window of ours that has no help key of its own shows topic.
    void showHelp(int topic);
    void giveHelpKey(QWidget* window, int topic);
    void showVersion();
    void openReadMe();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addMenuAction(QMenu* menu, const QString& name, const QString& caption);

    Session& m_session;
    Collection& m_collection;
    UserDialogs& m_dialogs;
    Desktop& m_desktop;
    StartupOptions m_options;
    SpeechOutput& m_speech;
    ChildWindows m_children;

    QToolBar* m_toolbar = nullptr;
    QWidget* m_paneArea = nullptr;
    QTreeWidget* m_treePane = nullptr;
    ScrapSheet* m_recordSheet = nullptr;
    SplitterBar* m_splitter = nullptr;
    QTabWidget* m_tabs = nullptr;
    WebPane* m_webPane = nullptr;
    QWidget* m_entryPage = nullptr;
    QWidget* m_searchPage = nullptr;
    bool m_tabContentsBuilt = false;
    TabPane m_tabPane = TabPane::Browser;
    QPlainTextEdit* m_entryBody = nullptr;
    QTableView* m_scrapList = nullptr;
    QPlainTextEdit* m_recordBody = nullptr;
    QComboBox* m_addressBox = nullptr;
    QLabel* m_statusSimple = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusPanel2 = nullptr;
    QProgressBar* m_indexProgress = nullptr;
    QPointer<HelpWindow> m_helpWindow;
    RecordView* m_record = nullptr;
    // The collection's scraps are read after the first frame.
    bool m_listAllAfterFirstFrame = false;
    // So is the stored speech character: its engine is a module that takes milliseconds to load.
    bool m_speechAfterFirstFrame = false;
    ScrapListController* m_list = nullptr;
    SpeechReader* m_reader = nullptr;
    SourceKeeper* m_sources = nullptr;
    SourceLine* m_sourceLine = nullptr;
    QPushButton* m_pictureHolding = nullptr;
    qint64 m_pictureHoldingRowid = 0;
    QProgressBar* m_copyProgress = nullptr;
    QTreeWidgetItem* m_currentNode = nullptr;
    QPointer<QLineEdit> m_bodySearchBox;
    QString m_bodySearchText;

    QMenu* m_reserveMenu = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_createAction = nullptr;
    QAction* m_backupAction = nullptr;
    QAction* m_restoreAction = nullptr;
    QAction* m_searchDeleteAction = nullptr;
    QAction* m_versionAction = nullptr;
    QAction* m_bodySearchAction = nullptr;

    Mode m_mode = Mode::Favourites;
    Mode m_previousMode = Mode::Favourites;
    bool m_recordView = false;
    bool m_webShown = false;
    std::optional<ScrapIdentity> m_entryScrap;
    quint64 m_entryGeneration = 0;
    QString m_entryRegisteredBody;
    // The body number of the scrap the entry text was registered as, kept after marking it ends.
    std::optional<qint64> m_entryRegisteredPfID;
    QString m_today;
    // Set while a close waits for work on the collection to end.
    QPointer<QObject> m_closeWaiter;
    bool m_unloading = false;
    int m_helpTopic = 0;
    std::array<int, 2> m_leftPaneWidths{};
};
