#pragma once

#include "startupoptions.h"
#include "toolbarlayouts.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class Desktop;
class HelpWindow;
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
class ScrapListModel;
struct ResultSource;
class Session;
class SplitterBar;
class UserDialogs;

// The main window: toolbar, left pane (tree fg(0) and sheet fg(1) in one place), splitter, tab strip with the
// browser, entry, list and record-view panes, status bar and menus. Start-up runs in the constructor.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    enum Mode : qint16 { Favourites = 1, Registration = 2, Search = 3, RecordView = 5 };
    enum Tab { TabBrowser = 0, TabEntry = 1, TabSearch = 2 };

    Form1(Session& session, UserDialogs& dialogs, Desktop& desktop, const StartupOptions& options,
          QWidget* parent = nullptr);
    ~Form1() override;

    qint16 fgMode() const { return m_fgMode; }
    int helpTopic() const { return m_helpTopic; }
    bool recordViewFlag() const { return m_recordView; }
    void setRecordViewFlag(bool on) { m_recordView = on; }
    bool webShown() const { return m_webShown; }
    int leftPaneWidth(int grid) const { return m_fgWidth[grid]; }

    // Layout and panes.
    void ArrangePanes(int leftWidth);
    void SetLeftPaneWidth();
    void ShowLeftPane(int which);
    void ShowTabPanes(int which);
    // The splitter dropped on target at x twips from target's left edge.
    void hzDragDrop(QWidget* target, int x);

    // Modes.
    void SSTab_Click();
    void ShowFavouritesMode();
    void ShowRegistrationMode();
    void ShowSearchMode();
    void CloseModeWindows();
    void CloseOtherWindows();

    // Opening and creating collections.
    void OpenDefaultDatabase();
    void OpenOtherDatabase();
    void CreateScrapDatabase();
    void ApplyDisplayFont();

    // Enabling of the search-result commands and menu entries.
    void ButtonEnable_Search(bool ok);
    void MenuUnEnable_Search(bool ok);

    // Toolbars: one layout per mode, every button press through one dispatcher.
    void ClearToolbar();
    void BuildWebToolbar() { buildToolbar(ToolbarLayout::Web); }
    void BuildEntryToolbar() { buildToolbar(ToolbarLayout::Entry); }
    void BuildSearchToolbar() { buildToolbar(ToolbarLayout::Search); }
    void BuildRecordToolbar() { buildToolbar(ToolbarLayout::Record); }
    void Toolbar1_ButtonClick(const QString& key);
    void ToggleBodyBackground(QPlainTextEdit* box);
    void ToggleAddressBar();
    QAction* toolbarButton(const QString& key) const;

    // The scrap list.
    void InitFR();
    void DispFieldsName(bool HorV);
    void DispList();
    void LitSizeFR();
    void StatusShowSearch();
    void GetKoshuStr();
    void ListScrapsOfClass();
    // Fills the list from the shared result set and enables the commands by what it found.
    void showListing(bool opened);
    // A title, keyword or date search: opens the shared result set on source and lists it.
    void runSearch(const ResultSource& source);
    // The list again after the shared result set was narrowed by importance; commands stay as they are.
    void showFilteredListing();
    // The menu entry that deletes every listed scrap, after asking.
    void DeleteAllSearchResults();
    int TotalRstG() const { return m_totalRstG; }
    int CurrentRstG() const { return m_currentRstG; }
    void fr_MouseDown(int row);
    ScrapListModel* listModel() const { return m_listModel; }

    // The tree pane: the classification tree or the favourites.
    void InitFG0_SCR();
    void InitFG0_SCRaddFolder();
    void InitFG0_WEB();
    void InitFG0_WEBaddFolder();
    void fg0_Click(QTreeWidgetItem* item);
    void OpenFavourite();
    QTreeWidgetItem* currentNode() const { return m_currentNode; }

    // Record view: the sheet and body of the current scrap of the shared result set.
    void ShowRecordMode();
    void ShowScrapPosition(int position);
    void FillSheetFromRecord();
    void LoadScrapBody();
    void ReplayMarks();
    void SaveScrapBody();
    void StepScrap(bool forward);
    void StepScrapChecked(bool forward);
    void DeleteShownScrap();
    // Marks or unmarks the selection of a body box and logs it for the current scrap.
    void ToggleMark(QPlainTextEdit* box);
    // A sheet cell pressed, and a value cell whose edit ended.
    void fg1_MouseDown(int row, int column);
    void fg1_AfterEdit(int row);
    const QString& loadedBody() const { return m_loadedBody; }

    // Registration: the sheet for a class clicked in registration mode.
    void openRegistrationSheet(int levNo);
    // The full-text search dialog over the record-view body, and the importance levels editor.
    void openFullTextSearch();
    void openImportanceLevels();
    // The tree editor for the classes, or for the favourites in favourites mode.
    void openTreeEditor();
    bool justRegistered() const { return m_justRegistered; }

    // Status bar: one text across, or the two panels of search mode.
    void setStatusSimple(const QString& text);
    void setStatusPanels(const QString& panel1, const QString& panel2);
    QString statusText(int panel = 0) const;

    void showHelp(int topic);

Q_SIGNALS:
    // A class was clicked in registration mode: the registration sheet opens for it.
    void registrationRequested(int levNo);
    // The web pane is to show an address.
    void navigateRequested(const QString& address);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void startUp();
    void onPaneAreaResized();
    void onSplitterDropped(const QPoint& globalPos);
    bool openAndCheck(const QString& path, int& kind);
    void applyOpenedDatabaseMenus();
    void showVersion();
    void openReadMe();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addMenuAction(QMenu* menu, const QString& name, const QString& caption);
    int windowWidth() const;
    void buildToolbar(ToolbarLayout layout);
    void sizeListColumns();
    void resetTree(const QString& rootText);
    void setUpSheet();
    void layOutSheet();
    void setSheetValue(int row, const QString& text);
    void restoreSheetValue(int row, const QString& message);
    void onCalendarClicked(const QDate& date);
    void openPicker();
    void enableEntryMarking(bool on);
    qint16 currentNumber(const QString& field) const;

    Session& m_session;
    UserDialogs& m_dialogs;
    Desktop& m_desktop;
    StartupOptions m_options;

    QToolBar* m_toolbar = nullptr;
    QWidget* m_paneArea = nullptr;
    QTreeWidget* m_fg0 = nullptr;
    QTableWidget* m_fg1 = nullptr;
    SplitterBar* m_hzDrag = nullptr;
    QTabWidget* m_tabs = nullptr;
    QWidget* m_wb = nullptr;
    QPlainTextEdit* m_mData = nullptr;
    QTableView* m_fr = nullptr;
    QPlainTextEdit* m_rtBox = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    QComboBox* m_urlBox = nullptr;
    QLabel* m_statusSimple = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusPanel2 = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    ScrapListModel* m_listModel = nullptr;
    QTreeWidgetItem* m_currentNode = nullptr;
    QPointer<QWidget> m_picker;
    QPointer<QWidget> m_registration;
    QPointer<QWidget> m_fullText;
    QStringList m_sheetValues;
    QString m_dateStr;

    qint16 m_fgMode = Favourites;
    qint16 m_modeLeft = Favourites;
    bool m_recordView = false;
    bool m_webShown = false;
    bool m_justRegistered = false;
    bool m_shownF = false;
    bool m_unloading = false;
    QString m_loadedBody;
    int m_helpTopic = 0;
    int m_totalRstG = 0;
    int m_currentRstG = 0;
    std::array<int, 2> m_fgWidth{};
};
