#include "webpanetest.h"

#include "classtree/treeeditor.h"
#include "database/connection.h"
#include "web/enginewebpane.h"
#include "web/startpage.h"
#include "webfixture.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

void WebPaneTest::startPage_escapesAndLinksOnlyWebAddresses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("web address") << u"朝日新聞"_s << u"https://www.asahi.com/"_s
                                 << QStringList{u"<a href=\"https://www.asahi.com/\">朝日新聞</a>"_s,
                                                u"スクラップ集：<strong>集&amp;め</strong>"_s}
                                 << QStringList{};
    QTest::newRow("markup in a name") << u"<script>alert(1)</script>"_s << u"https://example.org/?a=1&b=\"2\""_s
                                      << QStringList{u"&lt;script&gt;"_s, u"a=1&amp;b=%222"_s}
                                      << QStringList{u"<script>"_s};
    QTest::newRow("script address") << u"罠"_s << u"javascript:alert(1)"_s
                                    << QStringList{u"<li>罠　<span class=\"address\">javascript:alert(1)</span>"_s}
                                    << QStringList{u"href=\"javascript"_s};
    QTest::newRow("file address") << u"手元"_s << u"file:///home/a.html"_s
                                  << QStringList{u"<li>手元　<span class=\"address\">file:///home/a.html</span>"_s}
                                  << QStringList{u"href"_s};
    QTest::newRow("address without scheme")
        << u"毎日"_s << u"mainichi.jp"_s << QStringList{u"href=\"http://mainichi.jp\""_s} << QStringList{};
}

void WebPaneTest::startPage_escapesAndLinksOnlyWebAddresses()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString page = startPageHtml(u"集&め"_s, {{name, address}});
    for (const QString& part : present)
        QVERIFY2(page.contains(part), qPrintable(part + u" in "_s + page));
    for (const QString& part : absent)
        QVERIFY2(!page.contains(part), qPrintable(part));
    QVERIFY(startPageHtml(QString(), {}).contains(u"お気に入りサイトはまだありません。"_s));
}

namespace {

// Where the address reaches the browser.
enum class Road { Favourite, AddressBox, LinkOnWebPage, LinkOnLocalPage };

} // namespace

void WebPaneTest::navigate_opensOnlyWebAndFileAddresses_data()
{
    // %1 is the served pages' host and port, %2 the port alone, %3 a local page; a script let through asks for /ran.
    QTest::addColumn<Road>("road");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("shows"); // empty: the page shown before stays
    QTest::addColumn<bool>("runs");
    QTest::addColumn<bool>("refused");
    const QString script = u"fetch('http://%1/ran')"_s;
    QTest::newRow("javascript") << Road::Favourite << u"javascript:"_s + script << QString() << false << true;
    QTest::newRow("JaVaScRiPt") << Road::Favourite << u"JaVaScRiPt:"_s + script << QString() << false << true;
    QTest::newRow("blank, javascript") << Road::Favourite << u" javascript:"_s + script << QString() << false << true;
    QTest::newRow("data") << Road::Favourite << u"data:text/html,<script>"_s + script + u"</script>"_s << QString()
                          << false << true;
    QTest::newRow("file from a web page") << Road::LinkOnWebPage << u"%3"_s << QString() << false << false;
    QTest::newRow("file from a local page") << Road::LinkOnLocalPage << u"%3"_s << QString() << false << false;
    QTest::newRow("javascript link of a page")
        << Road::LinkOnWebPage << u"javascript:"_s + script << QString() << true << false;
    QTest::newRow("http") << Road::Favourite << u"http://%1/b"_s << u"http://%1/b"_s << false << false;
    QTest::newRow("https") << Road::Favourite << u"https://%1/b"_s << u"https://%1/b"_s << false << false;
    QTest::newRow("bare host") << Road::AddressBox << u"localhost:%2/b"_s << u"http://localhost:%2/b"_s << false
                               << false;
    QTest::newRow("file typed") << Road::AddressBox << u"%3"_s << u"%3"_s << false << false;
}

void WebPaneTest::navigate_opensOnlyWebAndFileAddresses()
{
    QFETCH(Road, road);
    QFETCH(QString, address);
    QFETCH(QString, shows);
    QFETCH(bool, runs);
    QFETCH(bool, refused);
    WebFixture f;
    const QString local = QUrl::fromLocalFile(f.folder.writeFile(u"local.html"_s, html(u"手元"_s, {}))).toString();
    const auto fill = [&](const QString& text) {
        return QString(text)
            .replace(u"%1"_s, f.server.hostAndPort())
            .replace(u"%2"_s, QString::number(f.server.serverPort()))
            .replace(u"%3"_s, local);
    };
    address = fill(address);
    shows = fill(shows);
    const QByteArray linkPage =
        html(u"リンク"_s, u"<a id=\"go\" href=\""_s + address.toHtmlEscaped() + u"\">先へ</a>"_s);
    f.server.add(u"/link"_s, {"text/html", linkPage});
    {
        auto c = Connection::openExisting(f.dbPath());
        addFavourite(*c, 11, 10, u"お気に入り"_s, address);
    }
    f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    // Given on a page that runs scripts, unlike the start page, so that a script let through shows.
    QUrl before = f.server.url(u"/a"_s);
    if (road == Road::LinkOnWebPage)
        before = f.server.url(u"/link"_s);
    else if (road == Road::LinkOnLocalPage)
        before = QUrl::fromLocalFile(f.folder.writeFile(u"link.html"_s, linkPage));
    QVERIFY(f.openByAddressBox(before));
    QStringList shown;
    QObject::connect(f.view(), &QWebEngineView::urlChanged, f.view(),
                     [&shown](const QUrl& url) { shown.append(url.toString()); });

    switch (road) {
    case Road::Favourite: {
        QTreeWidgetItem* root = f.child<QTreeWidget>(u"fg0")->topLevelItem(0);
        f.clickNode(root->child(root->childCount() - 1));
        break;
    }
    case Road::AddressBox:
        f.addressBox()->setEditText(address);
        QTest::keyClick(f.addressBox(), Qt::Key_Return);
        break;
    case Road::LinkOnWebPage:
    case Road::LinkOnLocalPage:
        f.runScript(u"document.getElementById('go').click()"_s);
        break;
    }
    if (!shows.isEmpty())
        QVERIFY(f.waitFor(QUrl(shows)));
    if (runs) {
        QTRY_VERIFY_WITH_TIMEOUT(f.server.requested().contains(u"/ran"_s), kLoadMs);
    } else {
        QTest::qWait(kSettleMs);
        QVERIFY(f.openByAddressBox(u"/b"_s));
        QVERIFY2(!f.server.requested().contains(u"/ran"_s), qPrintable(f.server.requested().join(u' ')));
    }
    const QStringList expected = {shows, f.server.url(u"/b"_s).toString()};
    for (const QString& url : shown)
        QVERIFY2(expected.contains(url), qPrintable(url));
    QCOMPARE(f.dialogs.texts(),
             refused ? QStringList{u"このアドレスは開けません。　開けるのは http、https、file のアドレスだけです。"_s}
                     : QStringList{});
}

void WebPaneTest::startPage_readsNoFileNorOtherOrigin_data()
{
    // %1 is the address read; the promise ends in its text.
    QTest::addColumn<QString>("read");
    QTest::addColumn<bool>("local");
    const QString fetch = u"fetch('%1').then(r => r.text())"_s;
    const QString request = u"new Promise((ok, no) => { const r = new XMLHttpRequest(); r.open('GET', '%1'); "
                            "r.onload = () => ok(r.responseText); r.onerror = no; r.send(); })"_s;
    QTest::newRow("local file, fetch") << fetch << true;
    QTest::newRow("local file, request") << request << true;
    QTest::newRow("other origin, fetch") << fetch << false;
    QTest::newRow("other origin, request") << request << false;
}

void WebPaneTest::startPage_readsNoFileNorOtherOrigin()
{
    QFETCH(QString, read);
    QFETCH(bool, local);
    WebFixture f;
    f.server.add(u"/secret"_s, {"text/plain", "secret", "Access-Control-Allow-Origin: *\r\n"});
    const QUrl target =
        local ? QUrl::fromLocalFile(f.folder.writeFile(u"secret.txt"_s, "secret")) : f.server.url(u"/secret"_s);
    f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    // The view names the start page as soon as it is asked for; the script must run in its document, not the blank
    // one before it (which another origin may answer).
    QTRY_COMPARE_WITH_TIMEOUT(f.scriptValue(u"location.href"_s).toString(), u"zettora:start"_s, kLoadMs);
    f.runScript(u"window.outcome = 'pending'; "_s + read.arg(target.toString()) +
                u".then(text => window.outcome = 'read ' + text, () => window.outcome = 'failed')"_s);
    QString outcome;
    QTRY_VERIFY_WITH_TIMEOUT((outcome = f.scriptValue(u"window.outcome"_s).toString()) != u"pending"_s, kLoadMs);
    QCOMPARE(outcome, u"failed"_s);
    QVERIFY(!f.server.requested().contains(u"/secret"_s));
}

void WebPaneTest::startUp_engineAfterTheFirstFrame_thenTheStartPage()
{
    WebFixture f;
    MainWindow& w = f.startWithEngine();
    // The window is built and its tab shows the browser, but nothing has painted yet: no engine.
    QVERIFY(!f.view());
    QTRY_VERIFY_WITH_TIMEOUT(f.view(), kLoadMs);
    QTRY_COMPARE_WITH_TIMEOUT(f.view()->title(), u"スタートページ"_s, kLoadMs);
    QCOMPARE(f.shownUrl(), QUrl(u"zettora:start"_s));
    QVERIFY(!w.webShown());
    QVERIFY(f.pane->currentUrl().isEmpty());
    // The profile lives in the user's data folder, not beside the program or the collection.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY2(f.view()->page()->profile()->persistentStoragePath().startsWith(data),
             qPrintable(f.view()->page()->profile()->persistentStoragePath()));

    // No page before the start page: "bPrev" does nothing and says nothing.
    w.toolbarButton(u"bPrev"_s)->trigger();
    QTest::qWait(300);
    QCOMPARE(f.shownUrl(), QUrl(u"zettora:start"_s));
    QVERIFY(f.dialogs.messages().isEmpty());
}

void WebPaneTest::addressBox_loadsThePageAndFollowsIt()
{
    WebFixture f;
    MainWindow& w = f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    QVERIFY(f.openByAddressBox(u"/a"_s));
    QVERIFY(w.webShown());
    QCOMPARE(f.addressBox()->currentText(), f.server.url(u"/a"_s).toString());
    QTRY_COMPARE_WITH_TIMEOUT(f.pane->currentTitle(), u"ページA"_s, kLoadMs);

    // A page reached without the box, by history, is shown in the box too.
    w.toolbarButton(u"bPrev"_s)->trigger();
    QVERIFY(f.waitFor(QUrl(u"zettora:start"_s)));
    QCOMPARE(f.addressBox()->currentText(), QString());
    w.toolbarButton(u"bNext"_s)->trigger();
    QVERIFY(f.waitFor(f.server.url(u"/a"_s)));
}

void WebPaneTest::favourite_keepsItsPageAcrossTabs_homeAfterAnotherCollection()
{
    WebFixture f;
    alterCollection(f.dbPath(), u"INSERT INTO extraNodeWEB (ndWEB, ndID, fvName, fvAddress) VALUES (11, 10, "
                                "'ページB', '"_s +
                                    f.server.url(u"/b"_s).toString() + u"')"_s);
    MainWindow& w = f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    auto* tree = f.child<QTreeWidget>(u"fg0");
    QTreeWidgetItem* root = tree->topLevelItem(0);
    f.clickNode(root->child(root->childCount() - 1));
    QVERIFY(f.waitFor(f.server.url(u"/b"_s)));

    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.tabs()->setCurrentIndex(MainWindow::TabBrowser);
    QTest::qWait(300);
    QCOMPARE(f.shownUrl(), f.server.url(u"/b"_s));

    // Another collection: its start page, with its own name, once the web tab is shown again.
    f.dialogs.paths.enqueue(f.folder.newCollection(u"二冊目.mdb"_s));
    f.action(u"mFileBookOpen")->trigger();
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabEntry));
    QVERIFY(!w.webShown());
    f.tabs()->setCurrentIndex(MainWindow::TabBrowser);
    QVERIFY(f.waitFor(QUrl(u"zettora:start"_s)));
    bool named = false;
    f.view()->page()->toPlainText([&named](const QString& text) { named = text.contains(u"二冊目"_s); });
    QTRY_VERIFY_WITH_TIMEOUT(named, kLoadMs);
}

void WebPaneTest::addWEB_storesTheShownPage()
{
    WebFixture f;
    MainWindow& w = f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    const auto addWEB = [&] {
        w.toolbarButton(u"bFavor"_s)->trigger();
        auto* editor = f.visibleWindow(u"Form2"_s);
        QVERIFY(editor);
        editor->findChild<QToolBar*>()->findChild<QAction*>(u"AddWEB"_s)->trigger();
        editor->findChild<QToolBar*>()->findChild<QAction*>(u"CloseWEB"_s)->trigger();
    };
    // The start page is no page of the web: nothing is added and nothing said.
    addWEB();
    QCOMPARE(f.column(u"SELECT count(*) FROM extraNodeWEB"_s), QStringList{u"9"_s});
    QVERIFY(f.dialogs.messages().isEmpty());

    QVERIFY(f.openByAddressBox(u"/a"_s));
    QTRY_COMPARE_WITH_TIMEOUT(f.pane->currentTitle(), u"ページA"_s, kLoadMs);
    addWEB();
    QCOMPARE(f.column(u"SELECT ndID || ' ' || fvName || ' ' || fvAddress FROM extraNodeWEB WHERE ndWEB = 11"_s),
             QStringList{u"10 ページA "_s + f.server.url(u"/a"_s).toString()});
    QTreeWidgetItem* root = f.child<QTreeWidget>(u"fg0")->topLevelItem(0);
    QCOMPARE(root->child(root->childCount() - 1)->text(0), u"ページA"_s);
}

void WebPaneTest::contextMenu_textSelection_fillsTheEntryPane()
{
    WebFixture f;
    MainWindow& w = f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    QVERIFY(f.openByAddressBox(u"/a"_s));
    f.runScript(u"window.getSelection().selectAllChildren(document.getElementById('t'))"_s);
    QMenu* menu = f.rightClick({60, 175});
    QVERIFY(menu);
    QAction* clip = menu->findChild<QAction*>(u"clipText"_s);
    QVERIFY(clip);
    QCOMPARE(menu->actions().first(), clip);
    QVERIFY(!menu->findChild<QAction*>(u"clipPicture"_s));
    clip->trigger();
    menu->close();
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->toPlainText(), u"日本語の本文です。"_s);
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabEntry));
    QCOMPARE(w.mode(), MainWindow::Mode::Registration);
}

void WebPaneTest::contextMenu_picture_waitsForTheRegisteredScrap()
{
    WebFixture f;
    f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    QVERIFY(f.openByAddressBox(u"/a"_s));
    QApplication::clipboard()->clear();
    QMenu* menu = f.rightClick({100, 75});
    QVERIFY(menu);
    QAction* clip = menu->findChild<QAction*>(u"clipPicture"_s);
    QVERIFY(clip);
    clip->trigger();
    menu->close();
    QTRY_VERIFY2_WITH_TIMEOUT(f.visibleWindow(u"Form5"_s), qPrintable(f.dialogs.texts().join(u'|')), kLoadMs);
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabEntry));
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA"_s), QStringList{u"0"_s});

    f.registerInEntryPane(u"ウェブの写真"_s);
    QCOMPARE(f.column(u"SELECT skID FROM MEMO_IDX WHERE DocNo = 4"_s), QStringList{u"1"_s});
    QCOMPARE(f.column(u"SELECT skID FROM PHOTO_DRA"_s), QStringList{u"1"_s});
    QImage stored;
    auto c = Connection::openExisting(f.dbPath());
    Query picture(*c, u"SELECT a02 FROM PHOTO_DRA"_s);
    QVERIFY(picture.next());
    QVERIFY(stored.loadFromData(picture.blob(0)));
    QCOMPARE(stored.size(), QSize(200, 150));
}

void WebPaneTest::pictureFetch_dropsAPictureOverTheLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<bool>("attached");
    QTest::addColumn<bool>("pageLeft"); // another page opened before the fetch
    QTest::newRow("small") << qint64(0) << true << true << false;
    QTest::newRow("over the limit, announced") << kPictureLimit + 1 << true << false << false;
    QTest::newRow("over the limit, not announced") << kPictureLimit + 1 << false << false << false;
    QTest::newRow("small, the page left first") << qint64(0) << true << false << true;
}

void WebPaneTest::pictureFetch_dropsAPictureOverTheLimit()
{
    QFETCH(qint64, size);
    QFETCH(bool, announced);
    QFETCH(bool, attached);
    QFETCH(bool, pageLeft);
    WebFixture f;
    f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    QVERIFY(f.openByAddressBox(u"/a"_s));
    QApplication::clipboard()->clear();
    QMenu* menu = f.rightClick({100, 75});
    QVERIFY(menu);
    QAction* clip = menu->findChild<QAction*>(u"clipPicture"_s);
    QVERIFY(clip);
    // With the picture gone from the page the engine copies nothing, and the program fetches it by its address.
    f.runScript(u"document.querySelector('img').remove()"_s);
    f.server.add(u"/pic.png"_s, {"image/png", pngOf({200, 150}), {}, size, announced});
    clip->trigger();
    menu->close();
    if (pageLeft) {
        QVERIFY(f.openByAddressBox(u"/b"_s));
        QCOMPARE(f.dialogs.texts(), QStringList{u"画像を取り込む前に別のページへ移ったため、添付しませんでした。"_s});
        // Past the time the program would have fetched it.
        QTest::qWait(2500);
        QVERIFY(!f.visibleWindow(u"Form5"_s));
        QCOMPARE(f.server.requested().count(u"/pic.png"_s), 1);
        return;
    }
    if (attached) {
        QTRY_VERIFY2_WITH_TIMEOUT(f.visibleWindow(u"Form5"_s), qPrintable(f.dialogs.texts().join(u'|')), kLoadMs);
        QVERIFY(f.dialogs.messages().isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.texts(), QStringList{u"画像が大きすぎるため、添付できません。"_s}, kLoadMs);
        QVERIFY(!f.visibleWindow(u"Form5"_s));
        QVERIFY(QApplication::clipboard()->image().isNull());
    }
    // Once for the page, once by the program.
    QCOMPARE(f.server.requested().count(u"/pic.png"_s), 2);
}

void WebPaneTest::popup_opensInTheSameView()
{
    WebFixture f;
    f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    QVERIFY(f.openByAddressBox(u"/popup"_s));
    QVERIFY(f.clickUntil(Qt::LeftButton, {50, 50}, [&f] { return f.shownUrl() == f.server.url(u"/b"_s); }));
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* widget) { return widget->isVisible() && widget->objectName() != u"Form1"_s; }),
             0);
    // Pop-ups that name no address are never shown: one at most is kept running.
    QVERIFY(f.openByAddressBox(u"/blankpopups"_s));
    QTRY_COMPARE_WITH_TIMEOUT(f.view()->page()->findChildren<QWebEnginePage*>().size(), 1, kLoadMs);
}

void WebPaneTest::print_withoutAPrinter_savesAPdfAndSaysWhere()
{
    WebFixture f;
    MainWindow& w = f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    QVERIFY(f.openByAddressBox(u"/a"_s));
    w.toolbarButton(u"bPrint"_s)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!f.dialogs.messages().isEmpty(), kLoadMs);
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Information);
    const QString path = f.dialogs.lastText().section(u'\n', 1);
    QVERIFY2(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)), qPrintable(path));
    QVERIFY(path.endsWith(u".pdf"_s));
    QVERIFY(TestFolder::read(path).startsWith("%PDF"));
}

void WebPaneTest::download_isOfferedAndSaysWhereItWent()
{
    WebFixture f;
    f.startWithEngine();
    QTRY_COMPARE_WITH_TIMEOUT(f.shownUrl(), QUrl(u"zettora:start"_s), kLoadMs);
    f.dialogs.yesNo.enqueue(true);
    f.addressBox()->setEditText(f.server.url(u"/memo.txt"_s).toString());
    QTest::keyClick(f.addressBox(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages().size(), 2, kLoadMs);
    QVERIFY(f.dialogs.messages().first().text.startsWith(u"「memo.txt」をダウンロードして"_s));
    const QString path =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)).filePath(u"memo.txt"_s);
    QCOMPARE(f.dialogs.lastText(), u"ダウンロードが終わりました。\n"_s + path);
    QCOMPARE(TestFolder::read(path), QByteArray("memo"));
}
