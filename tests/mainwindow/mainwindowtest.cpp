#include "mainwindowtest.h"

#include "classtree/treerows.h"
#include "common/fonts.h"
#include "common/helpwindow.h"
#include "common/session.h"
#include "common/twips.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/resultset.h"
#include "mainwindow/geometry.h"
#include "mainwindow/mainwindow.h"
#include "mainwindowfixture.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

// What failed, and on a second line why.
const QString kOpenFailed = QStringLiteral(
    "データベース・オープンに失敗しました。\nファイルを開けません（見つからないか、開く許可がありません）。");
const QString kNotScrapDatabase = QStringLiteral("Zettora 用データベースを選択してください。");

} // namespace

void MainWindowTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
}

void MainWindowTest::startUp_showsFavouritesModeOnTheDefaultCollection()
{
    Fixture f;
    MainWindow& w = f.start();

    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(w.windowTitle(), QStringLiteral("Zettora"));
    QCOMPARE(w.mode(), MainWindow::Mode::Favourites);
    QCOMPARE(f.tabs()->currentIndex(), 0);
    QCOMPARE(w.statusText(), QStringLiteral("ヘルプ：　F1キー"));
    QCOMPARE(w.helpTopic(), 1);
    QVERIFY(f.menuEnabled(u"mOpt"));
    QVERIFY(f.action(u"mHelpVersion")->isEnabled());
    QVERIFY(!f.menuEnabled(u"mReserve"));
    QVERIFY(!f.action(u"mSearchDel")->isEnabled());
    QVERIFY(f.action(u"mFileBookOpen")->isEnabled());
    QVERIFY(f.paneShown(u"WB"));
    QVERIFY(!f.paneShown(u"mData") && !f.paneShown(u"fr") && !f.paneShown(u"rtBox"));
    QVERIFY(f.paneShown(u"fg0") && !f.paneShown(u"fg1"));
    QVERIFY(f.child<QWidget>(u"URLbox")->isHidden());
    // The shared result set holds every scrap of the collection.
    QVERIFY(f.session.resultSet());
    QCOMPARE(f.session.resultSet()->table(), QStringLiteral("MEMO_IDX"));
    QCOMPARE(w.size(), QSize(twipsToPixels(15000), twipsToPixels(9800)));
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->font().pointSize(), 14);
}

void MainWindowTest::startUp_savedEdition_getsItsCaptionButKeepsTheLayout()
{
    Fixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")), QStringLiteral("UPDATE DBID SET dbid = -2"));
    MainWindow& w = f.start();

    QCOMPARE(w.windowTitle(), QStringLiteral("Zettora （保存版）"));
    QCOMPARE(w.mode(), MainWindow::Mode::Favourites);
    QCOMPARE(f.tabs()->currentIndex(), 0);
    QVERIFY(f.tabs()->isTabEnabled(0) && f.tabs()->isTabEnabled(1));
    QVERIFY(f.session.isSavedEdition());
    f.action(u"mFileRestore")->trigger();
    QCOMPARE(f.dialogs.lastText(), QStringLiteral("保存版にはバックアップがありません。"));
}

void MainWindowTest::startUp_withoutDefaultFile_reportsAndKeepsMenusDisabled()
{
    Fixture f(false);
    MainWindow& w = f.start();

    QCOMPARE(f.dialogs.texts(), QStringList{kOpenFailed});
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Critical);
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarnwell Zettora"));
    QVERIFY(!f.menuEnabled(u"mOpt"));
    QVERIFY(!f.action(u"mHelpVersion")->isEnabled());
    QVERIFY(!f.session.connection());
    QVERIFY(!QFile::exists(f.folder.path(QStringLiteral("Zettora.mdb"))));
    // The window is still usable: its tabs switch modes without a collection.
    f.tabs()->setCurrentIndex(2);
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
}

void MainWindowTest::startUp_refusesFilesThatAreNoScrapDatabase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no DBID table") << QStringLiteral("DROP TABLE DBID") << QByteArray();
    QTest::newRow("DBID without a row") << QStringLiteral("DELETE FROM DBID") << QByteArray();
    QTest::newRow("DBID holding 7") << QStringLiteral("UPDATE DBID SET dbid = 7") << QByteArray();
    QTest::newRow("DBID in other case only") << QStringLiteral("ALTER TABLE DBID RENAME TO dbid_x") << QByteArray();
    QTest::newRow("not a database at all") << QString() << QByteArray("Standard Jet DB\0\0\0 some old file", 33);
    QTest::newRow("empty file") << QString() << QByteArray("");
    const QString samples = qEnvironmentVariable("ZETTORA_SAMPLES");
    QFile access(samples + QStringLiteral("/empty-new.mdb"));
    if (!samples.isEmpty() && access.open(QIODevice::ReadOnly))
        QTest::newRow("an old Access collection") << QString() << access.readAll();
}

void MainWindowTest::startUp_refusesFilesThatAreNoScrapDatabase()
{
    QFETCH(QString, sql);
    QFETCH(QByteArray, bytes);

    Fixture f(!sql.isEmpty());
    const QString path = f.folder.path(QStringLiteral("Zettora.mdb"));
    if (sql.isEmpty())
        f.folder.writeFile(QStringLiteral("Zettora.mdb"), bytes);
    else
        alterCollection(path, sql);
    const QByteArray before = TestFolder::read(path);

    MainWindow& w = f.start();

    QCOMPARE(f.dialogs.texts(), QStringList{kNotScrapDatabase});
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarnwell Zettora"));
    QVERIFY(!f.menuEnabled(u"mOpt"));
    QVERIFY(!f.session.connection());
    QCOMPARE(TestFolder::read(path), before);
}

void MainWindowTest::tabs_selectTheirModeAndPanes_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<MainWindow::Mode>("mode");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<int>("helpTopic");

    QTest::newRow("browser") << 0 << MainWindow::Mode::Favourites << QStringLiteral("WB") << 4;
    QTest::newRow("entry") << 1 << MainWindow::Mode::Registration << QStringLiteral("mData") << 4;
    QTest::newRow("search") << 2 << MainWindow::Mode::Search << QStringLiteral("fr") << 9;
}

void MainWindowTest::tabs_selectTheirModeAndPanes()
{
    QFETCH(int, tab);
    QFETCH(MainWindow::Mode, mode);
    QFETCH(QString, pane);
    QFETCH(int, helpTopic);

    Fixture f;
    MainWindow& w = f.start();
    // Start from another tab so that each selection is a real change.
    f.tabs()->setCurrentIndex(tab == 1 ? 2 : 1);
    f.tabs()->setCurrentIndex(tab);

    QCOMPARE(w.mode(), mode);
    QCOMPARE(w.helpTopic(), helpTopic);
    for (const char16_t* name : {u"WB", u"mData", u"fr", u"rtBox"})
        QCOMPARE(f.paneShown(name), QString::fromUtf16(name) == pane);
    // The calendar is made when the date cell is first pressed.
    QVERIFY(!f.child<QWidget>(u"Calendar") || f.child<QWidget>(u"Calendar")->isHidden());
    QVERIFY(f.paneShown(u"fg0"));
    QCOMPARE(w.leftPaneWidth(0), Geometry::kLeftPaneWidth);
    if (mode == MainWindow::Mode::Search) {
        QVERIFY(!f.session.resultSet());
        QCOMPARE(w.statusText(1), QString());
        QCOMPARE(w.statusText(2), QStringLiteral("ヘルプ：F1キー"));
        QVERIFY(!f.menuEnabled(u"mReserve"));
        QVERIFY(f.child<QWidget>(u"fr")->isEnabled());
    }
}

void MainWindowTest::searchTab_returnsToRecordViewWhileItsFlagIsSet()
{
    Fixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        addClass(*c, 1, QStringLiteral("政治"), 2);
        TestScrap scrap;
        scrap.title = QStringLiteral("記事");
        scrap.major = QStringLiteral("政治");
        scrap.levNo = 2;
        scrap.docNo = scrap.pfID = 1;
        addScrap(*c, scrap);
    }
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(2);
    f.clickNode(TreeRows::itemAt(f.child<QTreeWidget>(u"fg0"), 2));
    f.pressListRow(1);
    f.tabs()->setCurrentIndex(1);
    f.tabs()->setCurrentIndex(2);

    QCOMPARE(w.mode(), MainWindow::Mode::RecordView);
    QVERIFY(f.paneShown(u"rtBox") && !f.paneShown(u"fr"));
    QVERIFY(f.paneShown(u"fg1") && !f.paneShown(u"fg0"));
    QCOMPARE(w.leftPaneWidth(0), Geometry::kLeftPaneWidthRecordView);
    QCOMPARE(f.child<QWidget>(u"fg1")->width(), twipsToPixels(Geometry::kLeftPaneWidthRecordView));
    QCOMPARE(w.helpTopic(), 34);
    QVERIFY(w.recordViewFlag());
}

void MainWindowTest::browserTab_keepsTheWindowSize()
{
    Fixture f;
    MainWindow& w = f.start();
    const QSize before = w.size();
    for (int i = 0; i < 5; ++i) {
        f.tabs()->setCurrentIndex(1);
        f.tabs()->setCurrentIndex(0);
    }
    QCOMPARE(w.size(), before);
}

void MainWindowTest::searchMode_closesOtherWindowsAndTheResultSet()
{
    Fixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    f.action(u"mHelpVersion")->trigger();
    QWidget* other = f.child<QWidget>(u"frmAbout");
    QVERIFY(other && other->isVisible());
    f.action(u"mHelpHelp")->trigger();
    QVERIFY(f.session.resultSet());

    f.tabs()->setCurrentIndex(2);

    QVERIFY(!other->isVisible());
    QVERIFY(!f.session.resultSet());
    QVERIFY(w.findChild<HelpWindow*>()->isVisible());
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
}

void MainWindowTest::leavingRegistrationMode_closesItsWindowsOnly()
{
    Fixture f;
    f.start();
    // The levels editor is one of registration mode's windows, the version window is not.
    f.action(u"mOptImportant")->trigger();
    QWidget* levels = f.child<QWidget>(u"Form11");
    f.action(u"mHelpVersion")->trigger();
    QWidget* version = f.child<QWidget>(u"frmAbout");
    QVERIFY(levels && version);

    // From favourites mode nothing is closed.
    f.tabs()->setCurrentIndex(1);
    QVERIFY(levels->isVisible() && version->isVisible());

    // From registration mode its own windows are closed, the version window stays.
    f.tabs()->setCurrentIndex(0);
    QVERIFY(!levels->isVisible());
    QVERIFY(version->isVisible());
}

void MainWindowTest::splitterDrop_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("expected");

    QTest::newRow("left grid, too narrow") << QStringLiteral("fg0") << 100 << 800;
    QTest::newRow("left grid, too wide") << QStringLiteral("fg0") << 9000 << 6000;
    QTest::newRow("left grid, within limits") << QStringLiteral("fg0") << 3000 << 3000;
    QTest::newRow("tab strip adds its x") << QStringLiteral("SSTab") << 1000 << 3800;
    QTest::newRow("a pane of the tab strip, small x") << QStringLiteral("WB") << 10 << 3600;
}

void MainWindowTest::splitterDrop()
{
    QFETCH(QString, target);
    QFETCH(int, x);
    QFETCH(int, expected);

    Fixture f;
    MainWindow& w = f.start();
    w.dropSplitter(w.findChild<QWidget*>(target), x);

    QCOMPARE(w.leftPaneWidth(0), expected);
    QCOMPARE(f.child<QWidget>(u"fg0")->width(), twipsToPixels(expected));
    QCOMPARE(f.child<QWidget>(u"SSTab")->x(), twipsToPixels(expected + Geometry::kPaneGap));
    QCOMPARE(f.child<QWidget>(u"hzDrag")->x(), twipsToPixels(expected));
}

void MainWindowTest::splitterRules_onAWindow8000Wide()
{
    QCOMPARE(Geometry::leftWidthAfterDropOnTabStrip(2800, 5000, 8000), 7000);
    QCOMPARE(Geometry::leftWidthAfterDropOnTabStrip(2800, 100, 8000), 3600);

    // The same drop on a real window whose pane area is 8010 twips (534 pixels) wide.
    Fixture f;
    MainWindow& w = f.start();
    w.resize(534, w.height());
    QCOMPARE(f.child<QWidget>(u"paneArea")->width(), 534);
    w.dropSplitter(f.tabs(), 5000);
    QCOMPARE(w.leftPaneWidth(0), 8010 - 1000);
}

void MainWindowTest::minimisedWindow_laysNothingOut()
{
    Fixture f;
    MainWindow& w = f.start();
    QWidget* tabs = f.tabs();
    const QRect before = tabs->geometry();

    w.setWindowState(Qt::WindowMinimized);
    w.resize(w.width() - 200, w.height() - 100);
    QCoreApplication::processEvents();
    QCOMPARE(tabs->geometry(), before);

    w.setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    QCOMPARE(tabs->width(), twipsToPixels(pixelsToTwips(f.child<QWidget>(u"paneArea")->width()) -
                                          Geometry::kLeftPaneWidth - Geometry::kTabStripRightMargin));
}

void MainWindowTest::openOther_scrapDatabase_entersRegistrationMode()
{
    Fixture f;
    const QString other = f.folder.newCollection(QStringLiteral("Other.mdb"));
    MainWindow& w = f.start();
    const QString own = f.session.databasePath();
    f.child<QPlainTextEdit>(u"mData")->setPlainText(QStringLiteral("書きかけ"));
    // A clipping not registered is asked about first: いいえ keeps it, and this collection.
    const QStringList asked{
        QStringLiteral("スクラップ作成の本文は登録されていません。　破棄して別のデータベースを開きますか？")};
    f.dialogs.paths.enqueue(other);
    f.dialogs.yesNo.enqueue(false);
    f.action(u"mFileBookOpen")->trigger();
    QCOMPARE(f.dialogs.texts(), asked);
    QCOMPARE(f.session.databasePath(), own);
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->toPlainText(), QStringLiteral("書きかけ"));
    f.dialogs.clear();
    f.dialogs.paths.enqueue(other);
    f.dialogs.yesNo.enqueue(true);

    f.action(u"mFileBookOpen")->trigger();

    QCOMPARE(f.dialogs.dialogTitles(), QStringList{QStringLiteral("データベースオープン")});
    QCOMPARE(f.dialogs.dialogFilters(), QStringList{QStringLiteral("Database (*.mdb)")});
    QCOMPARE(f.dialogs.texts(), asked);
    QCOMPARE(w.windowTitle(), QStringLiteral("Other"));
    QCOMPARE(f.session.databasePath(), other);
    QCOMPARE(f.tabs()->currentIndex(), 1);
    QCOMPARE(w.mode(), MainWindow::Mode::Registration);
    QVERIFY(f.paneShown(u"mData"));
    QVERIFY(f.child<QPlainTextEdit>(u"mData")->toPlainText().isEmpty());
    QVERIFY(f.menuEnabled(u"mOpt"));
    QVERIFY(!f.action(u"mSearchDel")->isEnabled());
    QCOMPARE(w.helpTopic(), 4);
    QVERIFY(!w.webShown());
}

void MainWindowTest::openOther_savedEdition_locksEditing()
{
    Fixture f;
    const QString edition = f.folder.newCollection(QStringLiteral("Zettora_2026.mdb"));
    alterCollection(edition, QStringLiteral("UPDATE DBID SET dbid = -2"));
    MainWindow& w = f.start();
    f.dialogs.paths.enqueue(edition);

    f.action(u"mFileBookOpen")->trigger();

    QCOMPARE(w.windowTitle(), QStringLiteral("Zettora_2026 （保存版）"));
    QCOMPARE(f.tabs()->currentIndex(), 2);
    QVERIFY(!f.tabs()->isTabEnabled(0));
    QVERIFY(!f.tabs()->isTabEnabled(1));
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
    QVERIFY(f.paneShown(u"fr"));
    QVERIFY(!w.recordViewFlag());
    for (const char16_t* name : {u"mFileBookOpen", u"mFileBookCreate", u"mSearchDel", u"mFileRestore"})
        QVERIFY(!f.action(name)->isEnabled());
    QVERIFY(!f.menuEnabled(u"mReserve"));
    QVERIFY(!f.menuEnabled(u"mOpt"));
    QVERIFY(f.action(u"mHelpVersion")->isEnabled());
}

void MainWindowTest::openOther_refused_keepsThePreviousCollection_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing file") << QStringLiteral("gone.mdb") << QByteArray() << kOpenFailed;
    QTest::newRow("a picture") << QStringLiteral("photo.mdb") << QByteArray("\xFF\xD8\xFF\xE0 JFIF picture bytes")
                               << kNotScrapDatabase;
    QTest::newRow("wrong kind") << QStringLiteral("kind7.mdb") << QByteArray() << kNotScrapDatabase;
}

void MainWindowTest::openOther_refused_keepsThePreviousCollection()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);

    Fixture f;
    const QString path = f.folder.path(fileName);
    if (!bytes.isEmpty())
        f.folder.writeFile(fileName, bytes);
    else if (fileName == QStringLiteral("kind7.mdb")) {
        f.folder.newCollection(fileName);
        alterCollection(path, QStringLiteral("UPDATE DBID SET dbid = 7"));
    }
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(2);
    const QByteArray before = TestFolder::read(path);
    f.dialogs.paths.enqueue(path);

    f.action(u"mFileBookOpen")->trigger();

    QCOMPARE(f.dialogs.texts(), QStringList{message});
    QCOMPARE(w.windowTitle(), QStringLiteral("Zettora"));
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
    QCOMPARE(f.session.databasePath(), f.folder.path(QStringLiteral("Zettora.mdb")));
    // The previous collection is still open and answers.
    QCOMPARE(scalar(*f.session.connection(), QStringLiteral("SELECT count(*) FROM extraNodeWEB")), 9);
    QCOMPARE(TestFolder::read(path), before);
    QCOMPARE(QFile::exists(path), !before.isEmpty());
}

void MainWindowTest::openOther_cancelled_changesNothing()
{
    Fixture f;
    MainWindow& w = f.start();
    Connection* before = f.session.connection();
    f.action(u"mFileBookOpen")->trigger();
    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(f.session.connection(), before);
    QCOMPARE(w.mode(), MainWindow::Mode::Favourites);
}

void MainWindowTest::create_newCollection_reportsItsFullPath_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("created");
    QTest::newRow("with extension") << QStringLiteral("新しい.mdb") << QStringLiteral("新しい.mdb");
    QTest::newRow("without extension") << QStringLiteral("記事 2026") << QStringLiteral("記事 2026.mdb");
}

void MainWindowTest::create_newCollection_reportsItsFullPath()
{
    QFETCH(QString, typed);
    QFETCH(QString, created);

    Fixture f;
    MainWindow& w = f.start();
    f.dialogs.paths.enqueue(f.folder.path(typed));

    f.action(u"mFileBookCreate")->trigger();

    const QString path = f.folder.path(created);
    QCOMPARE(f.dialogs.dialogTitles(), QStringList{QStringLiteral("データベース新規作成")});
    QCOMPARE(f.dialogs.dialogFilters(), QStringList{QStringLiteral("Database (*.mdb)")});
    QCOMPARE(f.dialogs.texts(),
             QStringList{path + QStringLiteral(" が使えるようになりました。\nDBオープンボタンで使用開始します。")});
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Information);
    QVERIFY(QFile::exists(path));
    // The new file is not opened: the window still belongs to the open collection.
    QCOMPARE(w.windowTitle(), QStringLiteral("Zettora"));
    QCOMPARE(f.session.databaseName(), QStringLiteral("Zettora"));

    // And it opens as a scrap database.
    f.dialogs.clear();
    f.dialogs.paths.enqueue(path);
    f.action(u"mFileBookOpen")->trigger();
    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(f.session.databaseKind(), DatabaseKind::Scrap);
}

void MainWindowTest::create_existingFile_isRefusedAndLeftUnchanged()
{
    Fixture f;
    MainWindow& w = f.start();
    const QString existing = f.folder.writeFile(QStringLiteral("notes.mdb"), QByteArray("my own notes"));
    f.dialogs.paths.enqueue(existing);

    f.action(u"mFileBookCreate")->trigger();

    QCOMPARE(f.dialogs.texts(),
             QStringList{QStringLiteral("データベース作成に失敗しました。\n同じ名前のファイルが既にあります。")});
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Critical);
    QCOMPARE(TestFolder::read(existing), QByteArray("my own notes"));
    // No temporary file of the creation is left; the open collection's lock is its own.
    QStringList files = QDir(f.folder.folder()).entryList(QDir::Files | QDir::Hidden);
    files.removeIf([](const QString& name) { return name.endsWith(u".lock"); });
    QCOMPARE(files.size(), 2);
    QCOMPARE(w.windowTitle(), QStringLiteral("Zettora"));
}

void MainWindowTest::helpEntries_openTheirTopicsReadMeAndVersion()
{
    Fixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(2);

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    auto* help = w.findChild<HelpWindow*>();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->currentUrl().fragment(), QStringLiteral("topic9"));

    f.action(u"mHelpSupport")->trigger();
    QCOMPARE(help->currentUrl().fragment(), QStringLiteral("topic28"));

    f.action(u"mHelpHelp")->trigger();
    QCOMPARE(help->currentUrl().fileName(), QStringLiteral("index.html"));
    QCOMPARE(w.helpTopic(), 1);

    f.action(u"mHelpReadMe")->trigger();
    QCOMPARE(f.desktop.opened, QStringList{f.folder.path(QStringLiteral("ReadMe.txt"))});

    f.action(u"mHelpVersion")->trigger();
    auto* about = w.findChild<QDialog*>(QStringLiteral("frmAbout"));
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("Tarnwell Zettoraのﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 1.0.0"));
    about->accept();
}

void MainWindowTest::optionsMenu_fontReachesTheBodiesAndMarkerWindowOpens()
{
    Fixture f;
    MainWindow& w = f.start();
    QFont chosen(QStringLiteral("IPAGothic"), 20);
    chosen.setBold(true);
    f.dialogs.fonts.enqueue(chosen);

    f.action(u"mOptFont")->trigger();

    for (const char16_t* box : {u"mData", u"rtBox"}) {
        const QFont font = f.child<QPlainTextEdit>(box)->font();
        QCOMPARE(font.pointSize(), 20);
        QVERIFY(font.bold());
    }
    QCOMPARE(scalar(*f.session.connection(), QStringLiteral("SELECT \"02Font_Size\" FROM FontSize")), 20);

    f.action(u"mOptMark")->trigger();
    auto* markers = w.findChild<QDialog*>(QStringLiteral("Form6"));
    QVERIFY(markers && markers->isVisible());
    markers->close();
}

void MainWindowTest::unload_closesResultSetAndConnection()
{
    Fixture f;
    MainWindow& w = f.start();
    f.action(u"mHelpVersion")->trigger();
    QWidget* version = f.child<QWidget>(u"frmAbout");
    QVERIFY(version && version->isVisible());
    QVERIFY(f.session.resultSet() && f.session.connection());

    f.action(u"mFileQuit")->trigger();

    QVERIFY(!w.isVisible());
    QVERIFY(!f.session.resultSet());
    QVERIFY(!f.session.connection());
    QVERIFY(!version->isVisible());
}
