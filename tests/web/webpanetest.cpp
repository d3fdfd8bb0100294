#include "webpanetest.h"

#include "classtree/treeeditor.h"
#include "pageserver.h"
#include "threescrapsfixture.h"
#include "web/enginewebpane.h"
#include "web/startpage.h"

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

namespace {

// The engine's first start and every load run under the sanitizers here: generous, but bounded.
constexpr int kLoadMs = 60000;

QByteArray pngOf(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray html(const QString& title, const QString& body)
{
    return (u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>"_s + title +
            u"</title></head><body style=\"margin:0\">"_s + body + u"</body></html>"_s)
        .toUtf8();
}

// The main window on three scraps with the real browser, and pages to show it: /a holds a 200 x 150 picture at
// the top left with a line of text below it, /b is plain, /popup is one large link that opens /b in a new window.
struct WebFixture : ThreeScrapsFixture {
    PageServer server;
    EngineWebPane* pane = new EngineWebPane(dialogs);

    WebFixture()
    {
        server.add(u"/a"_s, {"text/html", html(u"ページA"_s, u"<img src=\"/pic.png\" width=\"200\" height=\"150\" "
                                                             "style=\"display:block\"><p id=\"t\" style=\"margin:0;"
                                                             "font-size:40px\">日本語の本文です。</p>"_s)});
        server.add(u"/b"_s, {"text/html", html(u"ページB"_s, u"<p>二ページ目</p>"_s)});
        server.add(u"/popup"_s,
                   {"text/html", html(u"ポップアップ"_s, u"<a href=\"/b\" target=\"_blank\" "
                                                         "style=\"display:block;width:400px;height:200px\">"
                                                         "開く</a>"_s)});
        server.add(u"/pic.png"_s, {"image/png", pngOf({200, 150})});
        server.add(u"/memo.txt"_s,
                   {"text/plain", "memo", "Content-Disposition: attachment; filename=\"memo.txt\"\r\n"});
    }
    MainWindow& startWithEngine()
    {
        MainWindow& w = start(pane);
        w.resize(1000, 700);
        return w;
    }
    QWebEngineView* view() const { return qobject_cast<QWebEngineView*>(pane->engineView()); }
    QUrl shownUrl() const { return view() ? view()->url() : QUrl(); }
    QComboBox* addressBox() const { return child<QComboBox>(u"URLbox"); }
    // Loads path by the address box and waits until the page is complete.
    bool openByAddressBox(const QString& path)
    {
        const QUrl url = server.url(path);
        addressBox()->setEditText(url.toString());
        QTest::keyClick(addressBox(), Qt::Key_Return);
        return waitFor(url);
    }
    bool waitFor(const QUrl& url) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kLoadMs) {
            if (shownUrl() == url && addressBox()->currentText() == pane->currentUrl())
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    // Clicks the page at pos until done() holds: a page just loaded may not take input yet.
    bool clickUntil(Qt::MouseButton button, QPoint pos, const std::function<bool()>& done) const
    {
        QWidget* target = view()->focusProxy();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kLoadMs) {
            QTest::mouseClick(target, button, {}, pos);
            for (int i = 0; i < 100; ++i) {
                QTest::qWait(20);
                if (done())
                    return true;
            }
        }
        return false;
    }
    // A right click on the page at pos, and the menu it opens.
    QMenu* rightClick(QPoint pos) const
    {
        const auto menu = [this] { return pane->findChild<QMenu*>(u"webContextMenu"_s); };
        return clickUntil(Qt::RightButton, pos, [&menu] { return menu() != nullptr; }) ? menu() : nullptr;
    }
    void runScript(const QString& script) const
    {
        bool done = false;
        view()->page()->runJavaScript(script, [&done](const QVariant&) { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, kLoadMs);
    }
};

} // namespace

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
