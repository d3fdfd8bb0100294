#pragma once

#include "database/opening.h"
#include "database/recordstore.h"
#include "startupoptions.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <optional>

class BackupWorker;
class QLockFile;
class Connection;
class BodyIndexer;
class Desktop;
class QLineEdit;
class QProgressBar;
class TransactionObserver;
enum class TextSearchField;
class HelpWindow;
class PicturesWindow;
enum class PicturesOpener;
class QAction;
class QCalendarWidget;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTableView;
class QTableWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class ResultSet;
class ScrapListModel;
class ScrapSheet;
struct ResultSource;
class Session;
class SpeechOutput;
class SplitterBar;
class UserDialogs;
class WebPane;

// The main window: toolbar, left pane (tree fg(0) and sheet fg(1) in one place), splitter, tab strip with the
// browser, entry, list and record-view panes, status bar and menus. Start-up runs in the constructor.
// True when the file at path is an Access (Jet or ACE) database, by its header.
bool looksLikeAccessFile(const QString& path);

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
    MainWindow(Session& session, UserDialogs& dialogs, Desktop& desktop, WebPane* web, SpeechOutput& speech,
               const StartupOptions& options, QWidget* parent = nullptr);
    ~MainWindow() override;

    Mode mode() const { return m_mode; }
    int helpTopic() const { return m_helpTopic; }
    bool recordViewFlag() const { return m_recordView; }
    bool webShown() const { return m_webShown; }
    int leftPaneWidth(int grid) const { return m_leftPaneWidths[grid]; }

    // The splitter dropped on target at x twips from target's left edge.
    void dropSplitter(QWidget* target, int x);
    QAction* toolbarButton(const QString& key) const;
    // A title, keyword or date search: opens the shared result set on source and lists it.
    void runSearch(const ResultSource& source);
    int resultCount() const { return m_resultCount; }
    int resultPosition() const { return m_resultPosition; }
    ScrapListModel* scrapListModel() const { return m_scrapListModel; }
    QTreeWidgetItem* currentNode() const { return m_currentNode; }
    BodyIndexer* bodyIndexer() const { return m_bodyIndexer; }
    BackupWorker* backupWorker() const { return m_backupWorker; }
    // The scrap record view shows, while it shows one of the shared result set.
    std::optional<ScrapIdentity> shownScrap() const { return m_shownScrap; }
    // The scrap registered from the entry pane, while marks made there belong to it.
    std::optional<ScrapIdentity> entryScrap() const { return m_entryScrap; }
    const QString& loadedBody() const { return m_loadedBody; }
    bool justRegistered() const { return m_entryScrap.has_value(); }
    QString statusText(int panel = 0) const;

    // A picture the web pane copied to the clipboard: the pictures window takes it, and it waits there while the
    // user registers its scrap in registration mode.
    void openPicturesForWebPicture();

Q_SIGNALS:
    // A class was clicked in registration mode: the registration sheet opens for it.
    void registrationRequested(int levNo);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Layout and panes.
    void ArrangePanes(int leftWidth);
    void SetLeftPaneWidth();
    void ShowLeftPane(LeftPane which);
    void ShowTabPanes(TabPane which);

    // Modes.
    void onTabSelected();
    void ShowFavouritesMode();
    void ShowRegistrationMode();
    void ShowSearchMode();
    void CloseModeWindows();
    void CloseOtherWindows();

    // Opening and creating collections.
    void OpenDefaultDatabase();
    void OpenOtherDatabase();
    void openDatabaseAt(const QString& path);
    // Importing an old Access collection through a child process, then opening the result.
    void ImportOldCollection();
    // Backups.
    void buildBackups();
    void backUpIfDue();
    void BackUpNow();
    void backUpAfterChanges();
    void RestoreFromBackup();
    void importFrom(const QString& oldPath);
    void CreateScrapDatabase();
    void ApplyDisplayFont();

    // Enabling of the search-result commands and menu entries.
    void enableResultCommands(bool ok);
    void enableResultMenus(bool ok);

    // Toolbars: one layout per mode, each button bound to its handler where the layout is built.
    void ClearToolbar();
    void BuildWebToolbar();
    void BuildEntryToolbar();
    void BuildSearchToolbar();
    void BuildRecordToolbar();
    void ToggleBodyBackground(QPlainTextEdit* box);
    void ToggleAddressBar();
    // The web pane: the address box's Enter, the start page of the open collection, text and the selection.
    bool onAddressBoxEvent(QEvent* event);
    void NavigateToAddressBox();
    void refreshStartPage();
    void clipTextToEntry(const QString& text);
    // Reading aloud: the stored character loaded, its language, and the three reads (0 the web selection, 1 the
    // entry text, 2 the clipboard or the shown scrap).
    void LoadSpeechCharacter();
    void SetSpeechLanguage(int index);
    void UnloadSpeechCharacter();
    void ReadAloud(int mode);
    void openSpeechSettings();

    // The scrap list.
    void clearList();
    void showListHeader();
    void DispList();
    void sizeListRows();
    void showResultCount();
    void takeClassPathFromNode();
    void ListScrapsOfClass();
    // Fills the list from the shared result set and enables the commands by what it found.
    void showListing(bool opened);
    // The list again after the shared result set was narrowed by importance; commands stay as they are.
    void showFilteredListing();
    // The list, header included, into a spreadsheet file that the desktop's spreadsheet program opens.
    void ExportListToExcel();
    // The listed scraps copied into a saved edition in a folder the user chooses, after asking.
    void MakeSavedEdition();
    void MakeDisk(const QString& folder);
    // The menu entry that deletes every listed scrap, after asking.
    void DeleteAllSearchResults();
    void onListRowPressed(int row);

    // The tree pane: the classification tree or the favourites.
    void resetClassTree();
    void addClassNodes();
    void resetFavouritesTree();
    void addFavouriteNodes();
    void onTreeNodeClicked(QTreeWidgetItem* item);
    void OpenFavourite();

    // Record view: the sheet and body of the current scrap of the shared result set.
    void ShowRecordMode();
    void ShowScrapPosition(int position);
    void FillSheetFromRecord();
    void LoadScrapBody();
    void ReplayMarks();
    // False when the body could not be stored; the text then stays in the box.
    bool SaveScrapBody();
    void StepScrap(bool forward);
    void StepScrapChecked(bool forward);
    void DeleteShownScrap();
    // Marks or unmarks the selection of a body box and logs it for the scrap that box shows.
    void ToggleMark(QPlainTextEdit* box);
    // A sheet cell pressed, and a value cell whose edit ended.
    void onSheetCellPressed(int row, int column);
    void onSheetValueEdited(int row);

    // Registration: the sheet for a class clicked in registration mode.
    void openRegistrationSheet(int levNo);
    // The full-text search dialog over the record-view body, and the importance levels editor.
    void openFullTextSearch();
    void openImportanceLevels();
    // The tree editor for the classes, or for the favourites in favourites mode.
    void openTreeEditor();

    // Status bar: one text across, or the two panels of search mode.
    void setStatusSimple(const QString& text);
    void setStatusPanels(const QString& panel1, const QString& panel2);

    void showHelp(int topic);

    void buildControls();
    void buildMenus();
    void startUp();
    void onPaneAreaResized();
    void onSplitterDropped(const QPoint& globalPos);
    bool openAndCheck(const QString& path, DatabaseKind& kind);
    // F1 in a window of ours that has no help key of its own shows topic.
    void giveHelpKey(QWidget* window, int topic);
    // Why the open collection may not be written.
    enum class ReadOnlyReason { None, WriteProtected, ForeignSchema, InUse, Damaged };
    bool lockCollection(const QString& path, std::unique_ptr<QLockFile>& lock, bool& inUse);
    static ReadOnlyReason readOnlyReasonOf(Connection& connection);
    static QString readOnlyNotice(ReadOnlyReason reason);
    void onFileChecked(quint64 run, bool sound, const QString& problem);
    void showReadOnlyLayout();
    void applyOpenedDatabaseMenus();
    void showVersion();
    void openReadMe();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addMenuAction(QMenu* menu, const QString& name, const QString& caption);
    int windowWidth() const;
    // The body box the text commands act on: record view's in record view, else the entry pane's.
    QPlainTextEdit* shownBody() const;
    void cutText();
    void copyText();
    void clearEntry();
    void openClassTreeEditor();
    void showFirstResult();
    void openTextSearch(TextSearchField field);
    void openDateSearch();
    void openImportanceFilter();
    void sizeListColumns();
    void resetTree(const QString& rootText);
    void setUpSheet();
    void setSheetValue(int row, const QString& text);
    void restoreSheetValue(int row, const QString& message);
    void onCalendarClicked(const QDate& date);
    void openPicker();
    void enableEntryMarking(bool on);
    void endEntryMarking();
    // Asks whether a changed body in record view is to be saved before record view is left.
    void offerToSaveRecordEdit();
    // The pictures window for the scrap just registered, or for the one record view shows.
    void openPicturesOfEntryScrap();
    void openPicturesOfShownScrap();
    PicturesWindow* openPicturesWindow(PicturesOpener opener, const std::optional<ScrapIdentity>& scrap,
                                       const QString& title);
    void onPictureSetChanged(qint64 scrapRowid, qint16 skID);
    void onResultsReplaced();
    // The shared result set positioned on the scrap record view shows, or null when that scrap is not in it.
    ResultSet* setOnShownScrap();
    bool takeShownScrapFromSet();
    void showSearchPanes();

    // Body search.
    void buildBodySearch();
    void startBodyIndex();
    void stopBodyIndex();
    void addBodySearchField();
    void focusBodySearch();
    void runBodySearch();
    void markBodySearchWords();

    Session& m_session;
    UserDialogs& m_dialogs;
    Desktop& m_desktop;
    StartupOptions m_options;
    SpeechOutput& m_speech;

    QToolBar* m_toolbar = nullptr;
    QWidget* m_paneArea = nullptr;
    QTreeWidget* m_treePane = nullptr;
    ScrapSheet* m_recordSheet = nullptr;
    SplitterBar* m_splitter = nullptr;
    QTabWidget* m_tabs = nullptr;
    WebPane* m_webPane = nullptr;
    QPlainTextEdit* m_entryBody = nullptr;
    QTableView* m_scrapList = nullptr;
    QPlainTextEdit* m_recordBody = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    QComboBox* m_addressBox = nullptr;
    QLabel* m_statusSimple = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusPanel2 = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    ScrapListModel* m_scrapListModel = nullptr;
    QTreeWidgetItem* m_currentNode = nullptr;
    // The windows this one opened; leaving a mode closes some of them, the help viewer never.
    QPointer<QWidget> m_picker;
    QPointer<QWidget> m_registration;
    QPointer<QWidget> m_fullText;
    QPointer<QWidget> m_treeEditor;
    QPointer<QWidget> m_levelsEditor;
    QPointer<QWidget> m_textSearch;
    QPointer<QWidget> m_dateSearch;
    QPointer<QWidget> m_importanceFilter;
    QPointer<QWidget> m_markerColours;
    QPointer<QWidget> m_version;
    // Stepping to another scrap closes the pictures window, once the program has one.
    QPointer<PicturesWindow> m_pictures;
    QMenu* m_reserveMenu = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_createAction = nullptr;
    QAction* m_importAction = nullptr;
    QAction* m_backupAction = nullptr;
    QAction* m_restoreAction = nullptr;
    BackupWorker* m_backupWorker = nullptr;
    qint64 m_changesAtOpen = 0;
    ReadOnlyReason m_readOnlyReason = ReadOnlyReason::None;
    bool m_backupAnnounced = false;
    QAction* m_searchDeleteAction = nullptr;
    QAction* m_versionAction = nullptr;
    QStringList m_sheetValues;
    QString m_today;

    Mode m_mode = Mode::Favourites;
    Mode m_previousMode = Mode::Favourites;
    bool m_recordView = false;
    bool m_webShown = false;
    // The loaded speech character's name (empty when none), its speed, and whether it was shown since loading.
    QString m_speechName;
    qint16 m_speechSpeed = 0;
    bool m_speechShown = false;
    // An input method is composing in the address box: its Enter confirms the text and must not navigate.
    bool m_addressComposing = false;
    // Body search: the worker keeping the index, the keeper writing it at each commit, where the index lives and
    // whether this connection can use it; the field and what is typed in it; the words record view marks.
    BodyIndexer* m_bodyIndexer = nullptr;
    std::unique_ptr<TransactionObserver> m_indexKeeper;
    // Held while a collection is open for writing, so a second program refuses it.
    std::unique_ptr<QLockFile> m_collectionLock;
    QString m_bodyIndexSchema = QStringLiteral("main");
    bool m_bodyIndexUsable = false;
    QPointer<QLineEdit> m_bodySearchBox;
    QString m_bodySearchText;
    QStringList m_bodySearchWords;
    QProgressBar* m_indexProgress = nullptr;
    QAction* m_bodySearchAction = nullptr;
    std::optional<ScrapIdentity> m_shownScrap;
    quint64 m_recordGeneration = 0;
    std::optional<ScrapIdentity> m_entryScrap;
    quint64 m_entryGeneration = 0;
    QString m_entryRegisteredBody;
    bool m_shown = false;
    bool m_unloading = false;
    QString m_loadedBody;
    int m_helpTopic = 0;
    int m_resultCount = 0;
    int m_resultPosition = 0;
    std::array<int, 2> m_leftPaneWidths{};
};
