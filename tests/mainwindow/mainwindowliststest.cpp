#include "mainwindowliststest.h"

#include "classtree/treerows.h"
#include "common/colourvalue.h"
#include "common/fonts.h"
#include "common/images.h"
#include "common/twips.h"
#include "database/connection.h"
#include "database/resultset.h"
#include "listfixture.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

void MainWindowListsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
    Images::installIconTheme();
}

void MainWindowListsTest::toolbarLayouts_haveTheirKeysInOrder_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("recordView");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("web") << 0 << false
                         << QStringList{u"ph1"_qs,   u"bAdress"_qs, u"bFavor"_qs,  u"ph2"_qs,    u"bPrev"_qs,
                                        u"bNext"_qs, u"bHome"_qs,   u"bSearch"_qs, u"bPrint"_qs, u"speak2"_qs};
    QTest::newRow("entry") << 1 << false << QStringList{u"ph1"_qs,      u"clearMEMO"_qs, u"sTree"_qs, u"ph3"_qs,
                                                        u"cutM"_qs,     u"copyM"_qs,     u"pastM"_qs, u"undoM"_qs,
                                                        u"drawMEMO"_qs, u"underLine"_qs, u"speak"_qs, u"bColor"_qs};
    QTest::newRow("search") << 2 << false << QStringList{u"ph1"_qs,
                                                         u"sTree"_qs,
                                                         u"ph2"_qs,
                                                         u"SearchTitleMEMO"_qs,
                                                         u"SearchDateMEMO"_qs,
                                                         u"SearchKeyMEMO"_qs,
                                                         u"pDownMEMO"_qs,
                                                         u"excelvt"_qs,
                                                         u"firstDataMEMO"_qs,
                                                         u"phBodySearch"_qs,
                                                         u"BodySearchField"_qs};
    QTest::newRow("record view") << 2 << true
                                 << QStringList{u"ph1"_qs,       u"Back2Search"_qs,  u"prevMEMO"_qs, u"nextMEMO"_qs,
                                                u"ph2"_qs,       u"cutM"_qs,         u"copyM"_qs,    u"pastM"_qs,
                                                u"undoM"_qs,     u"RecEditMEMO"_qs,  u"ph3"_qs,      u"speakRT"_qs,
                                                u"drawMEMO2"_qs, u"underLineInd"_qs, u"strSerch"_qs, u"delMEMO"_qs,
                                                u"rtColor"_qs};
}

void MainWindowListsTest::toolbarLayouts_haveTheirKeysInOrder()
{
    QFETCH(int, tab);
    QFETCH(bool, recordView);
    QFETCH(QStringList, keys);

    ListFixture f;
    f.start();
    if (recordView)
        f.openRecord(2, 1);
    f.tabs()->setCurrentIndex(tab == 1 ? 2 : 1);
    f.tabs()->setCurrentIndex(tab);

    QCOMPARE(f.toolbarKeys(), keys);
    QCOMPARE(f.child<QToolBar>(u"Toolbar1")->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    for (QAction* a : f.child<QToolBar>(u"Toolbar1")->actions()) {
        if (a->objectName().startsWith(u"ph") || a->objectName() == u"BodySearchField")
            continue;
        QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
        QVERIFY2(!a->text().isEmpty(), qPrintable(a->objectName()));
    }
}

void MainWindowListsTest::searchToolbar_treeEditorDisabledInASavedEdition()
{
    ListFixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")), QStringLiteral("UPDATE DBID SET dbid = -2"));
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(2);
    QVERIFY(!f.enabled(u"sTree"));
    QVERIFY(f.enabled(u"SearchTitleMEMO"));
    // The same button of the entry toolbar of an ordinary collection stays usable.
    Fixture plain;
    plain.start();
    plain.tabs()->setCurrentIndex(2);
    QVERIFY(plain.window->toolbarButton(QStringLiteral("sTree"))->isEnabled());
    Q_UNUSED(w);
}

void MainWindowListsTest::addressBarTwice_restoresTheWebToolbar()
{
    ListFixture f;
    MainWindow& w = f.start();
    const QStringList before = f.toolbarKeys();
    auto* box = f.child<QComboBox>(u"URLbox");

    w.toolbarButton(QStringLiteral("bAdress"))->trigger();
    QVERIFY(!box->isHidden());
    QCOMPARE(f.toolbarKeys(), (QStringList{u"ph1"_qs, u"bAdress"_qs, u"ph2"_qs}));

    w.toolbarButton(QStringLiteral("bAdress"))->trigger();
    QVERIFY(box->isHidden());
    QCOMPARE(f.toolbarKeys(), before);
}

// Each step is one event to the address box: "type:TEXT", "compose:PREEDIT", "commit:TEXT", "press", "release".
void MainWindowListsTest::addressBoxEnter_navigatesOnlyOutsideAComposition_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("navigations");
    QTest::newRow("empty box") << QStringList{u"press"_s, u"release"_s} << QStringList{};
    QTest::newRow("typed text, as typed")
        << QStringList{u"type: example.com/a b "_s, u"press"_s} << QStringList{u"navigate  example.com/a b "_s};
    QTest::newRow("release alone") << QStringList{u"type:x"_s, u"release"_s} << QStringList{};
    // The Enter that confirms a conversion reaches the box while the preedit is still there, or only its release
    // after the commit; neither navigates. The next Enter does.
    QTest::newRow("conversion confirmed")
        << QStringList{u"compose:とうきょう"_s, u"press"_s, u"commit:東京"_s, u"release"_s} << QStringList{};
    QTest::newRow("Enter after the conversion")
        << QStringList{u"compose:とうきょう"_s, u"commit:東京"_s, u"release"_s, u"press"_s}
        << QStringList{u"navigate 東京"_s};
}

void MainWindowListsTest::addressBoxEnter_navigatesOnlyOutsideAComposition()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, navigations);
    ListFixture f;
    MainWindow& w = f.start();
    f.web->calls.clear();
    // Keys and input-method events go to the focus widget, the box, which hands them on to its line edit.
    auto* box = f.child<QComboBox>(u"URLbox");
    w.toolbarButton(u"bAdress"_s)->trigger();
    QWidget* edit = box;
    for (const QString& step : steps) {
        const QString value = step.section(u':', 1);
        if (step.startsWith(u"type:")) {
            box->setEditText(value);
        } else if (step.startsWith(u"compose:")) {
            QInputMethodEvent composing(value, {});
            QApplication::sendEvent(edit, &composing);
        } else if (step.startsWith(u"commit:")) {
            QInputMethodEvent commit;
            commit.setCommitString(value);
            QApplication::sendEvent(edit, &commit);
        } else if (step == u"press") {
            QTest::keyPress(edit, Qt::Key_Return);
        } else {
            QTest::keyRelease(edit, Qt::Key_Return);
        }
    }
    QCOMPARE(f.web->calls, navigations);
    QCOMPARE(w.webShown(), !navigations.isEmpty());
}

void MainWindowListsTest::webPane_buttonsAndCompletedPages()
{
    ListFixture f;
    MainWindow& w = f.start();
    QCOMPARE(f.web->calls, QStringList{u"home"_s});
    QVERIFY(f.web->homePage.contains(u"朝日新聞"_s));
    for (const char16_t* key : {u"bPrev", u"bNext", u"bHome", u"bSearch", u"bPrint", u"speak2"})
        w.toolbarButton(QString::fromUtf16(key))->trigger();
    QCOMPARE(f.web->calls,
             (QStringList{u"home"_s, u"back"_s, u"forward"_s, u"home"_s, u"search"_s, u"print"_s, u"copy"_s}));

    f.web->complete(u"http://127.0.0.1/記事"_s, u"記事"_s);
    QCOMPARE(f.child<QComboBox>(u"URLbox")->currentText(), u"http://127.0.0.1/記事"_s);

    // Text clipped from a page: into an empty entry pane, then added to the draft there, never replacing it.
    Q_EMIT f.web->textClipRequested(u"一つ目"_s);
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabEntry));
    QCOMPARE(w.mode(), MainWindow::Mode::Registration);
    f.tabs()->setCurrentIndex(MainWindow::TabBrowser);
    Q_EMIT f.web->textClipRequested(u"二つ目"_s);
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->toPlainText(), u"一つ目\n二つ目"_s);
}

void MainWindowListsTest::firstDataMEMO_onAnEmptyResultSet_onlySetsTheMode()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.listRow(1);
    // No scrap has this level, so the narrowed set is empty.
    f.session.resultSet()->setFilter(QStringLiteral("a01"), QStringLiteral("重要"));
    QCOMPARE(f.session.resultSet()->recordCount(), 0);
    f.dialogs.clear();
    const int before = w.resultPosition();

    w.toolbarButton(QStringLiteral("firstDataMEMO"))->trigger();

    QCOMPARE(w.mode(), MainWindow::Mode::RecordView);
    QCOMPARE(w.resultPosition(), before);
    QVERIFY(!w.recordViewFlag());
    QVERIFY(f.dialogs.messages().isEmpty());
}

void MainWindowListsTest::clipboardCommands_actOnTheEntryBody()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    auto* body = f.child<QPlainTextEdit>(u"mData");
    body->setPlainText(QStringLiteral("今日の記事"));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    body->setFocus();
    body->selectAll();

    w.toolbarButton(QStringLiteral("copyM"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("今日の記事"));

    QTextCursor cursor = body->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    body->setTextCursor(cursor);
    w.toolbarButton(QStringLiteral("cutM"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("の記"));
    QCOMPARE(body->toPlainText(), QStringLiteral("今日事"));

    cursor = body->textCursor();
    cursor.movePosition(QTextCursor::End);
    body->setTextCursor(cursor);
    w.toolbarButton(QStringLiteral("pastM"))->trigger();
    QCOMPARE(body->toPlainText(), QStringLiteral("今日事の記"));

    w.toolbarButton(QStringLiteral("undoM"))->trigger();
    QCOMPARE(body->toPlainText(), QStringLiteral("今日事"));
}

void MainWindowListsTest::clearMEMO_emptiesTheBodyAndDisablesItsCommands()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    f.child<QPlainTextEdit>(u"mData")->setPlainText(QStringLiteral("下書き"));
    w.toolbarButton(QStringLiteral("drawMEMO"))->setEnabled(true);

    w.toolbarButton(QStringLiteral("clearMEMO"))->trigger();

    QVERIFY(f.child<QPlainTextEdit>(u"mData")->toPlainText().isEmpty());
    QVERIFY(!f.enabled(u"drawMEMO"));
    QVERIFY(!f.enabled(u"underLine"));
    // A text emptied by mistake comes back.
    w.toolbarButton(QStringLiteral("undoM"))->trigger();
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->toPlainText(), QStringLiteral("下書き"));
}

void MainWindowListsTest::bodyBackground_togglesBetweenWindowAnd3DLight()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    auto* body = f.child<QPlainTextEdit>(u"mData");
    w.toolbarButton(QStringLiteral("bColor"))->trigger();
    QCOMPARE(body->palette().color(QPalette::Base), ColourValue::toColour(ColourValue::k3DLight));
    w.toolbarButton(QStringLiteral("bColor"))->trigger();
    QCOMPARE(body->palette().color(QPalette::Base), ColourValue::toColour(ColourValue::kWindow));
}

void MainWindowListsTest::classTree_landsEachClassAtItsStoredRow()
{
    ListFixture f;
    f.start();
    f.tabs()->setCurrentIndex(1);
    const QStringList names = {u"スクラップ分類"_qs, u"政治"_qs, u"国内"_qs,           u"選挙"_qs, u"国際"_qs,
                               u"経済"_qs,           u"金融"_qs, u"He said \"no\""_qs, u"it's"_qs};
    QCOMPARE(TreeRows::count(f.tree()), names.size());
    for (int row = 1; row <= names.size(); ++row) {
        QTreeWidgetItem* item = TreeRows::itemAt(f.tree(), row);
        QCOMPARE(item->text(0), names[row - 1]);
        QCOMPARE(TreeRows::rowOf(item), row);
    }
    QCOMPARE(TreeRows::levelOf(TreeRows::itemAt(f.tree(), 4)), 4);
    QCOMPARE(f.window->currentNode(), f.tree()->topLevelItem(0));
}

void MainWindowListsTest::classTree_stopsAtAClassWhoseParentIsMissing()
{
    ListFixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        addClass(*c, 42, QStringLiteral("迷子"), 10);
        addClass(*c, 1, QStringLiteral("後の分類"), 11);
    }
    f.start();
    f.tabs()->setCurrentIndex(2);
    QCOMPARE(TreeRows::count(f.tree()), 9);
}

void MainWindowListsTest::favourites_comeInDisplayOrder()
{
    Fixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        c->execute(QStringLiteral("DELETE FROM extraNodeWEB"));
        addFavourite(*c, 4, 30, QStringLiteral("三番目"), QStringLiteral("https://c.example/"));
        addFavourite(*c, 2, 10, QStringLiteral("一番目"), QStringLiteral("https://a.example/"));
        addFavourite(*c, 3, 20, QStringLiteral("二番目"), QStringLiteral("https://b.example/"));
    }
    f.start();
    auto* tree = f.child<QTreeWidget>(u"fg0");
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("お気に入りサイト"));
    QCOMPARE(root->childCount(), 3);
    QCOMPARE(root->child(0)->text(0), QStringLiteral("一番目"));
    QCOMPARE(root->child(1)->text(0), QStringLiteral("二番目"));
    QCOMPARE(root->child(2)->text(0), QStringLiteral("三番目"));
}

void MainWindowListsTest::favouriteClick_fillsTheAddressBoxAndNavigates()
{
    Fixture f;
    MainWindow& w = f.start();
    auto* tree = f.child<QTreeWidget>(u"fg0");
    f.web->calls.clear();

    f.clickNode(tree->topLevelItem(0)->child(1));
    QCOMPARE(f.child<QComboBox>(u"URLbox")->currentText(), QStringLiteral("https://www.asahi.com/"));
    QCOMPARE(f.web->calls, QStringList{QStringLiteral("navigate https://www.asahi.com/")});
    QVERIFY(w.webShown());

    // A favourite deleted behind the pane's back: the box keeps what it held, and that is opened.
    alterCollection(f.session.databasePath(), QStringLiteral("DELETE FROM extraNodeWEB WHERE ndID = 3"));
    f.clickNode(tree->topLevelItem(0)->child(2));
    QCOMPARE(f.web->calls.last(), QStringLiteral("navigate https://www.asahi.com/"));
}

void MainWindowListsTest::registrationClick_onAnEmptyBody_warnsAndOpensNothing()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    QSignalSpy sheet(&w, &MainWindow::registrationRequested);

    f.clickNode(TreeRows::itemAt(f.tree(), 3));

    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("スクラップが空白なので登録画面を表示しません。")});
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Exclamation);
    QCOMPARE(sheet.size(), 0);
}

void MainWindowListsTest::registrationClick_passesTheClassRow()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    f.child<QPlainTextEdit>(u"mData")->setPlainText(QStringLiteral("本文"));
    QSignalSpy sheet(&w, &MainWindow::registrationRequested);

    f.clickNode(TreeRows::itemAt(f.tree(), 4));
    QCOMPARE(sheet.size(), 1);
    QCOMPARE(sheet.at(0).at(0).toInt(), 4);
    QCOMPARE(f.session.currentClass.major, QStringLiteral("政治"));
    QCOMPARE(f.session.currentClass.middle, QStringLiteral("国内"));
    QCOMPARE(f.session.currentClass.minor, QStringLiteral("選挙"));

    f.clickNode(f.tree()->topLevelItem(0));
    QCOMPARE(sheet.last().at(0).toInt(), 1);
    QVERIFY(f.session.currentClass.major.isEmpty() && f.session.currentClass.minor.isEmpty());
}

void MainWindowListsTest::listing_data()
{
    QTest::addColumn<int>("treeRow");
    QTest::addColumn<QList<int>>("docNos");

    QTest::newRow("root: every scrap by LevNo, DocNo") << 1 << QList<int>{4, 8, 3, 2, 5, 6, 1, 7};
    QTest::newRow("major class: all below it") << 2 << QList<int>{8, 3, 2, 5, 6};
    QTest::newRow("middle class: whatever its minor class") << 3 << QList<int>{3, 2, 5};
    QTest::newRow("minor class") << 4 << QList<int>{2, 5};
    QTest::newRow("names with quotes are values like any other") << 9 << QList<int>{7};
    // Highlighted with the arrow keys, then Enter.
    QTest::newRow("minor class by the keyboard") << -4 << QList<int>{2, 5};
}

void MainWindowListsTest::listing()
{
    QFETCH(int, treeRow);
    QFETCH(QList<int>, docNos);

    ListFixture f;
    MainWindow& w = f.start();
    if (treeRow > 0) {
        f.listRow(treeRow);
    } else {
        f.tabs()->setCurrentIndex(2);
        f.tree()->setCurrentItem(TreeRows::itemAt(f.tree(), -treeRow));
        QTest::keyClick(f.tree(), Qt::Key_Return);
    }

    QCOMPARE(f.listedDocNos(), docNos);
    QCOMPARE(w.resultCount(), docNos.size());
    QCOMPARE(w.statusText(1), QStringLiteral("検索総数： %1").arg(docNos.size()));
    QVERIFY(f.dialogs.messages().isEmpty());
    QVERIFY(f.enabled(u"pDownMEMO") && f.enabled(u"excelvt") && f.enabled(u"firstDataMEMO"));
    QVERIFY(f.action(u"mSearchDel")->isEnabled());
    QVERIFY(f.menuEnabled(u"mReserve"));
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
}

void MainWindowListsTest::listing_emptyClass_reportsAndDisablesCommands()
{
    ListFixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")),
                    QStringLiteral("DELETE FROM MEMO_IDX WHERE a04 = '経済'"));
    MainWindow& w = f.start();
    f.listRow(2);
    QVERIFY(f.enabled(u"firstDataMEMO"));
    f.dialogs.clear();

    f.listRow(6);

    QCOMPARE(w.resultCount(), 0);
    QCOMPARE(w.scrapListModel()->rowCount(), 0);
    QCOMPARE(w.scrapListModel()->columnCount(), 12);
    QCOMPARE(w.statusText(1), QStringLiteral("検索総数： 0"));
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("検索条件に合致するスクラップはありません。")});
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Information);
    QVERIFY(!f.enabled(u"pDownMEMO") && !f.enabled(u"excelvt") && !f.enabled(u"firstDataMEMO"));
    QVERIFY(!f.action(u"mSearchDel")->isEnabled());
    QVERIFY(!f.menuEnabled(u"mReserve"));
}

void MainWindowListsTest::listing_inASavedEdition_enablesButtonsButNotTheMenus()
{
    ListFixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")), QStringLiteral("UPDATE DBID SET dbid = -2"));
    f.start();
    f.listRow(1);
    QVERIFY(f.enabled(u"firstDataMEMO"));
    QVERIFY(!f.action(u"mSearchDel")->isEnabled());
    QVERIFY(!f.menuEnabled(u"mReserve"));
}

void MainWindowListsTest::listing_showsCaptionsPictureFlagAndOwnColour()
{
    ListFixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        TestScrap pictured = scrap(9, 1, QString());
        pictured.skID = 3;
        pictured.level = QStringLiteral("重要");
        pictured.backC = QStringLiteral("16761087");
        pictured.date = QStringLiteral("2017-08-18");
        addScrap(*c, pictured);
        // The level's colour changed later: the scrap keeps the colour it was given.
        c->execute(QStringLiteral("UPDATE Status SET \"02BackColor\" = '255' WHERE \"01iName\" = '重要'"));
    }
    MainWindow& w = f.start();
    f.listRow(1);
    ScrapListModel* model = w.scrapListModel();

    const QStringList captions = {u"重要度"_qs, u"標題"_qs,   u"作成年月日"_qs, u"大分類"_qs,
                                  u"中分類"_qs, u"小分類"_qs, u"キーワード"_qs, u"添付画像"_qs,
                                  u"pfID"_qs,   u"backC"_qs,  u"LevNo"_qs,      u"DocNo"_qs};
    for (int c = 0; c < captions.size(); ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), captions[c]);

    const int last = model->rowCount() - 1; // LevNo 1, DocNo 9: after scrap 4 and before 8
    const int row = f.listedDocNos().indexOf(9);
    QVERIFY(row >= 0 && row <= last);
    QCOMPARE(model->index(row, 0).data().toString(), QStringLiteral("重要"));
    QCOMPARE(model->index(row, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 192, 255));
    QCOMPARE(model->index(row, 2).data().toString(), QStringLiteral("2017/08/18"));
    QCOMPARE(model->index(row, 7).data().toString(), QStringLiteral("あり"));
    QCOMPARE(model->index(row, 9).data().toString(), QStringLiteral("16761087"));
    const int plain = f.listedDocNos().indexOf(4);
    QCOMPARE(model->index(plain, 7).data().toString(), QStringLiteral("なし"));
    QCOMPARE(model->index(plain, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
             ColourValue::toColour(ColourValue::kInactiveCaptionText));
    QVERIFY(!model->index(plain, 1).data(Qt::BackgroundRole).isValid());
}

void MainWindowListsTest::rowPress_opensThatRecord()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.listRow(1);
    auto* view = f.child<QTableView>(u"fr");

    // A press on the header row does nothing.
    QTest::mousePress(view->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(w.mode(), MainWindow::Mode::Search);

    const QRect third = view->visualRect(view->model()->index(2, 1));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, third.center());

    QCOMPARE(w.mode(), MainWindow::Mode::RecordView);
    QCOMPARE(w.resultPosition(), 3);
    QCOMPARE(f.session.resultSet()->absolutePosition(), 3);
    QCOMPARE(f.session.resultSet()->integer(QStringLiteral("DocNo")), 3);
    QVERIFY(!f.action(u"mSearchDel")->isEnabled());
    QVERIFY(!f.menuEnabled(u"mReserve"));
}

void MainWindowListsTest::searchMode_emptiesTheListAndDisablesItsCommands()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.listRow(1);
    QVERIFY(w.scrapListModel()->rowCount() > 0);
    w.toolbarButton(QStringLiteral("firstDataMEMO"))->trigger();

    w.toolbarButton(QStringLiteral("Back2Search"))->trigger();

    QCOMPARE(w.scrapListModel()->rowCount(), 0);
    QVERIFY(!f.session.resultSet());
    QVERIFY(!f.enabled(u"pDownMEMO") && !f.enabled(u"excelvt") && !f.enabled(u"firstDataMEMO"));
    QVERIFY(!f.menuEnabled(u"mReserve"));
}

void MainWindowListsTest::theWindow_paintsBeforeMakingItsHiddenPanesAndReadingEveryScrap()
{
    ListFixture f;
    f.completeAtOnce = false;
    f.start();
    QVERIFY(!f.session.resultSet());
    QVERIFY(!f.child<QTableView>(u"fr") && !f.child<QPlainTextEdit>(u"mData"));
    QTRY_VERIFY(f.session.resultSet());
    QCOMPARE(f.session.resultSet()->recordCount(), 8);
    f.listRow(1);
    QCOMPARE(f.listedDocNos().size(), 8);
}

void MainWindowListsTest::deleteAll_answeredNo_changesNothing()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.listRow(2);
    const QByteArray before = TestFolder::read(f.session.databasePath());
    f.dialogs.yesNo.enqueue(false);

    f.action(u"mSearchDel")->trigger();

    QCOMPARE(f.dialogs.texts(),
             QStringList{QStringLiteral("検索結果を全部削除します。　削除後は復活できません。　実行しますか？")});
    QCOMPARE(TestFolder::read(f.session.databasePath()), before);
    QCOMPARE(w.scrapListModel()->rowCount(), 5);
    QCOMPARE(w.helpTopic(), 35);
}

void MainWindowListsTest::deleteAll_afterNarrowing_removesExactlyTheListedScraps()
{
    ListFixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        // Scraps 2 and 5 (選挙) become important; scrap 5 has a picture, a body and a mark.
        c->execute(QStringLiteral("UPDATE MEMO_IDX SET a01 = '重要', skID = 7 WHERE DocNo = 5"));
        c->execute(QStringLiteral("UPDATE MEMO_IDX SET a01 = '重要' WHERE DocNo IN (2, 1)"));
        addBody(*c, 5, QStringLiteral("本文"));
        addMark(*c, 5, false, 0, 1);
        c->execute(QStringLiteral("INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (7, 'cap', x'FFD8')"));
        addBody(*c, 3, QStringLiteral("残る本文"));
    }
    MainWindow& w = f.start();
    f.listRow(2); // 政治: scraps 8, 3, 2, 5, 6
    f.press(u"pDownMEMO");
    auto* levels = f.child<QComboBox>(u"Combo1");
    levels->setCurrentIndex(levels->findText(QStringLiteral("重要")));
    Q_EMIT levels->activated(levels->currentIndex());
    QCOMPARE(w.scrapListModel()->rowCount(), 2);
    f.dialogs.yesNo.enqueue(true);

    f.action(u"mSearchDel")->trigger();

    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_IDX")), 6);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_IDX WHERE DocNo IN (2, 5)")), 0);
    // Scrap 1 is important too, but was not listed: it stays.
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_IDX WHERE DocNo = 1")), 1);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_DAT")), 1);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_UNDERLINE")), 0);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM PHOTO_DRA")), 0);
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
    QCOMPARE(w.scrapListModel()->rowCount(), 0);
}

void MainWindowListsTest::filterLeavingNoRow_offersNothingToShowOrSend()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.listRow(2); // 政治: five scraps, none important
    f.press(u"pDownMEMO");
    auto* levels = f.child<QComboBox>(u"Combo1");
    levels->setCurrentIndex(levels->findText(QStringLiteral("重要")));
    Q_EMIT levels->activated(levels->currentIndex());
    QCOMPARE(w.scrapListModel()->rowCount(), 0);
    QVERIFY(f.enabled(u"pDownMEMO") && !f.enabled(u"excelvt") && !f.enabled(u"firstDataMEMO"));
    levels->setCurrentIndex(0); // 絞込みなし
    Q_EMIT levels->activated(0);
    QCOMPARE(w.scrapListModel()->rowCount(), 5);
    QVERIFY(f.enabled(u"excelvt") && f.enabled(u"firstDataMEMO"));
}

void MainWindowListsTest::emptyClassNames_listThatClassOnly_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("listed");
    // Another program's tree: A(2) > ""(3) > m(4) > deep(5, below the minor classes); A > x(6); ""(7) at the top.
    QTest::newRow("a minor class under an empty middle name") << 4 << QList<int>{2};
    QTest::newRow("the empty middle name: its own, not all of A") << 3 << QList<int>{1, 2};
    QTest::newRow("below the minor classes: none") << 5 << QList<int>{};
    QTest::newRow("the empty major name: the scraps of no class, not all") << 7 << QList<int>{4};
    QTest::newRow("the root: all") << 1 << QList<int>{4, 1, 2, 3};
}

void MainWindowListsTest::emptyClassNames_listThatClassOnly()
{
    QFETCH(int, row);
    QFETCH(QList<int>, listed);
    ListFixture f(false);
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        const QList<std::pair<int, QString>> classes{{1, u"A"_qs},    {2, QString()}, {3, u"m"_qs},
                                                     {4, u"deep"_qs}, {2, u"x"_qs},   {1, QString()}};
        for (int i = 0; i < classes.size(); ++i)
            addClass(*c, classes[i].first, classes[i].second, i + 2);
        addScrap(*c, scrap(1, 2, u"A"_qs));
        addScrap(*c, scrap(2, 4, u"A"_qs, QString(), u"m"_qs));
        addScrap(*c, scrap(3, 6, u"A"_qs, u"x"_qs));
        addScrap(*c, scrap(4, 1, QString()));
        // An old file's import leaves an empty name NULL.
        c->execute(u"UPDATE MEMO_IDX SET a05 = NULL WHERE DocNo = 2"_qs);
        // Another program's body numbers: none for scrap 1, 0 for scrap 3, whose body deleting 1 must not take.
        c->execute(u"UPDATE MEMO_IDX SET pfID = CASE DocNo WHEN 1 THEN NULL ELSE 0 END WHERE DocNo IN (1, 3)"_qs);
        addBody(*c, 0, u"本文"_qs);
    }
    f.start();
    f.listRow(2); // a listing before: a class that lists nothing must not leave it usable
    f.listRow(row);
    QCOMPARE(f.listedDocNos(), listed);
    QCOMPARE(f.enabled(u"pDownMEMO"), !listed.isEmpty());
    if (listed.isEmpty())
        return;
    // Delete-all takes exactly what is listed.
    f.dialogs.yesNo.enqueue(true);
    f.action(u"mSearchDel")->trigger();
    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, u"SELECT count(*) FROM MEMO_IDX"_qs), 4 - listed.size());
    QCOMPARE(scalar(*c, u"SELECT count(*) FROM MEMO_DAT WHERE pfID = 0"_qs), 1);
}

void MainWindowListsTest::titleSearch_fromTheToolbar_listsWhatItFinds_data()
{
    QTest::addColumn<bool>("savedEdition");
    QTest::newRow("scrap database") << false;
    QTest::newRow("saved edition: buttons, not the menu") << true;
}

void MainWindowListsTest::titleSearch_fromTheToolbar_listsWhatItFinds()
{
    QFETCH(bool, savedEdition);
    ListFixture f;
    if (savedEdition)
        alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")), QStringLiteral("UPDATE DBID SET dbid = -2"));
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(2);

    // Through the button itself: the command rebuilds the toolbar, deleting the very button that was pressed.
    w.toolbarButton(QStringLiteral("SearchTitleMEMO"))->trigger();
    auto* dialog = w.findChild<QWidget*>(QStringLiteral("Form9"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("標題検索"));
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("記事%"));
    dialog->findChild<QPushButton*>(QStringLiteral("Command1_0"))->click();

    QCOMPARE(w.resultCount(), 8);
    QCOMPARE(f.listedDocNos(), (QList<int>{4, 8, 3, 2, 5, 6, 1, 7}));
    QVERIFY(f.enabled(u"firstDataMEMO") && f.enabled(u"pDownMEMO"));
    QCOMPARE(f.action(u"mSearchDel")->isEnabled(), !savedEdition);
}

void MainWindowListsTest::importanceFilter_narrowsTheList()
{
    ListFixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")),
                    QStringLiteral("UPDATE MEMO_IDX SET a01 = '重要' WHERE DocNo IN (3, 5)"));
    MainWindow& w = f.start();
    f.listRow(2);
    w.toolbarButton(QStringLiteral("pDownMEMO"))->trigger();
    auto* dialog = w.findChild<QWidget*>(QStringLiteral("Form8"));
    QVERIFY(dialog);
    auto* levels = dialog->findChild<QComboBox*>();
    QVERIFY(levels);
    levels->setCurrentIndex(levels->findText(QStringLiteral("重要")));
    Q_EMIT levels->activated(levels->currentIndex());

    QCOMPARE(w.scrapListModel()->rowCount(), 2);
    QCOMPARE(f.listedDocNos(), (QList<int>{3, 5}));
    QCOMPARE(w.statusText(1), QStringLiteral("検索総数： 2"));

    levels->setCurrentIndex(levels->findText(QStringLiteral("絞込みなし")));
    Q_EMIT levels->activated(levels->currentIndex());
    QCOMPARE(w.scrapListModel()->rowCount(), 5);
}

void MainWindowListsTest::treeEditor_closing_rebuildsTheTreePane()
{
    ListFixture f;
    MainWindow& w = f.start();
    f.listRow(2);
    w.toolbarButton(QStringLiteral("sTree"))->trigger();
    auto* editor = w.findChild<QWidget*>(QStringLiteral("Form2"));
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(w.scrapListModel()->rowCount(), 0);
    QVERIFY(!f.enabled(u"firstDataMEMO"));

    // A class renamed behind the editor's back shows once the editor closes.
    alterCollection(f.session.databasePath(),
                    QStringLiteral("UPDATE extraNodeMEMO SET nName = '外交' WHERE ndMEMO = 5"));
    editor->close();
    QCOMPARE(TreeRows::itemAt(f.tree(), 5)->text(0), QStringLiteral("外交"));
    QVERIFY(!f.session.resultSet());
}
