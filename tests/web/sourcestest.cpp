#include "sourcestest.h"

#include "common/session.h"
#include "database/scrapsources.h"
#include "database/transaction.h"
#include "sources/pagecopy.h"
#include "sources/sourcekeeper.h"
#include "webfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QListWidget>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTabWidget>

namespace {

// A page of about size bytes that compresses poorly, so its copy stays about as large.
QByteArray noisyPage(int size)
{
    QByteArray noise(size, Qt::Uninitialized);
    QRandomGenerator random(20261208);
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = i % 80 == 79 ? ' ' : char('a' + random.bounded(26));
    // Laid out as /a is, so that the same right click finds the line of text.
    return html(u"大きいページ"_s, u"<div style=\"height:150px\"></div><p id=\"t\" style=\"margin:0;font-size:40px\">"
                                   "大きい本文</p><p>"_s +
                                       QString::fromLatin1(noise) + u"</p>"_s);
}

struct SourceFixture : WebFixture {
    SourceFixture()
    {
        server.add(u"/slow"_s, {"text/html", html(u"遅いページ"_s, u"<p id=\"t\">途中</p>"_s), {}, 0, true, true});
    }

    MainWindow& startAt(const QString& path)
    {
        MainWindow& w = startWithEngine();
        QElapsedTimer timer;
        timer.start();
        while (shownUrl() != QUrl(u"zettora:start"_s) && timer.elapsed() < kLoadMs)
            QTest::qWait(20);
        if (!path.isEmpty() && !openByAddressBox(path))
            qWarning("the page %s did not load", qPrintable(path));
        return w;
    }
    // Selects the page's line of text and clips it from the context menu, as a user does.
    bool clipTextByMenu()
    {
        runScript(u"window.getSelection().selectAllChildren(document.getElementById('t'))"_s);
        QMenu* menu = rightClick({60, 175});
        QAction* clip = menu ? menu->findChild<QAction*>(u"clipText"_s) : nullptr;
        if (!clip)
            return false;
        clip->trigger();
        menu->close();
        return true;
    }
    bool clipPictureByMenu()
    {
        QMenu* menu = rightClick({100, 75});
        QAction* clip = menu ? menu->findChild<QAction*>(u"clipPicture"_s) : nullptr;
        if (!clip)
            return false;
        clip->trigger();
        menu->close();
        QElapsedTimer timer;
        timer.start();
        while (!visibleWindow(u"Form5"_s) && timer.elapsed() < kLoadMs)
            QTest::qWait(20);
        return visibleWindow(u"Form5"_s) != nullptr;
    }
    bool copiesEnded() const
    {
        QElapsedTimer timer;
        timer.start();
        while (window->sourceKeeper()->copiesRunning() > 0 && timer.elapsed() < kLoadMs)
            QTest::qWait(20);
        return window->sourceKeeper()->copiesRunning() == 0;
    }
    // Registers what the entry pane holds under 経済, as it stands.
    void registerEntry()
    {
        tabs()->setCurrentIndex(MainWindow::TabEntry);
        if (child<QPlainTextEdit>(u"mData")->toPlainText().isEmpty())
            child<QPlainTextEdit>(u"mData")->setPlainText(u"写真だけ"_s);
        clickClass(3);
        QWidget* sheet = visibleWindow(u"Form3"_s);
        QVERIFY(sheet);
        sheet->findChild<QPushButton*>(u"Command1_0"_s)->click();
    }
    // address, title, whether a copy is kept, of the scrap DocNo 4.
    QStringList sourceOfNewScrap() const
    {
        return column(u"SELECT address || '|' || title || '|' || (pageCopy IS NOT NULL) FROM zettora_sources "
                      "WHERE DocNo = 4"_s);
    }
};

} // namespace

void SourcesTest::clip_keepsThePageItCameFrom_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("copies"); // as set in オプション → ページ保存の設定
    QTest::newRow("selected text") << false << true;
    QTest::newRow("picture") << true << true;
    QTest::newRow("selected text, copies turned off") << false << false;
}

void SourcesTest::clip_keepsThePageItCameFrom()
{
    QFETCH(bool, picture);
    QFETCH(bool, copies);
    SourceFixture f;
    f.startAt(u"/a"_s);
    if (!copies) {
        f.action(u"mOptPageCopy")->trigger();
        QWidget* options = f.visibleWindow(u"frmPageCopy"_s);
        QVERIFY(options);
        options->findChild<QCheckBox*>(u"KeepCopies"_s)->setChecked(false);
        options->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(!f.visibleWindow(u"frmPageCopy"_s));
    }
    QVERIFY(picture ? f.clipPictureByMenu() : f.clipTextByMenu());
    QVERIFY(f.copiesEnded());
    f.registerEntry();
    QCOMPARE(f.sourceOfNewScrap(),
             QStringList{f.server.url(u"/a"_s).toString() + u"|ページA|"_s + (copies ? u"1"_s : u"0"_s)});
    if (picture)
        QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA"_s), QStringList{u"1"_s});
    QVERIFY2(f.dialogs.texts().size() == 1, qPrintable(f.dialogs.texts().join(u'|')));

    // The scrap and its source go together.
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.clickClass(3);
    f.pressListRow(1);
    QVERIFY(f.child<QWidget>(u"SourceLine")->isVisible());
    QCOMPARE(f.child<QPushButton>(u"SourceSite")->text(), u"127.0.0.1"_s);
    f.dialogs.yesNo.enqueue(true);
    f.press(u"delMEMO"_s);
    QCOMPARE(f.column(u"SELECT count(*) FROM zettora_sources"_s), QStringList{u"0"_s});
}

void SourcesTest::clipAgain_asksAndCanShowThem_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("tab");
    QTest::newRow("yes") << 0 << u"日本語の本文です。"_s << int(MainWindow::TabEntry);
    QTest::newRow("no") << 1 << QString() << int(MainWindow::TabBrowser);
    QTest::newRow("show them") << 2 << QString() << int(MainWindow::TabSearch);
}

void SourcesTest::clipAgain_asksAndCanShowThem()
{
    QFETCH(int, answer);
    QFETCH(QString, entry);
    QFETCH(int, tab);
    SourceFixture f;
    {
        auto c = Connection::openExisting(f.dbPath());
        for (qint64 docNo : {1, 3})
            ScrapSources::save(*c, docNo, {.address = f.server.url(u"/a"_s).toString(), .title = u"ページA"_s});
        ScrapSources::save(*c, 2, {.address = f.server.url(u"/b"_s).toString(), .title = u"ページB"_s});
    }
    MainWindow& w = f.startAt(u"/a"_s);
    f.dialogs.choices.enqueue(answer);
    QVERIFY(f.clipTextByMenu());
    QCOMPARE(f.dialogs.texts(), QStringList{u"このページからのスクラップが既に 2 件あります。　登録しますか？"_s});
    QCOMPARE(f.dialogs.choiceButtons.value(0), (QStringList{u"はい"_s, u"いいえ"_s, u"表示"_s}));
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->toPlainText(), entry);
    QCOMPARE(f.tabs()->currentIndex(), tab);
    if (answer == 2) {
        QCOMPARE(w.resultCount(), 2);
        QCOMPARE(w.mode(), MainWindow::Mode::Search);
    }
}

void SourcesTest::savedPage_opensWithTheServerStopped()
{
    SourceFixture f;
    f.startAt(u"/a"_s);
    QVERIFY(f.clipTextByMenu());
    QVERIFY(f.copiesEnded());
    f.registerEntry();
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.clickClass(3);
    f.pressListRow(1);
    auto* saved = f.child<QPushButton>(u"SourceSaved");
    QVERIFY(saved->isVisible());
    const QString live = f.server.url(u"/a"_s).toString();
    f.server.close();
    const qsizetype asked = f.server.requested().size();
    QTest::mouseClick(saved, Qt::LeftButton);
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabBrowser));
    QTRY_COMPARE_WITH_TIMEOUT(f.tabs()->tabText(MainWindow::TabBrowser), u"ブラウザ（保存したページ）"_s, kLoadMs);
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT((f.view()->page()->toPlainText([&text](const QString& shown) { text = shown; }),
                              text.contains(u"日本語の本文です。"_s)),
                             kLoadMs);
    QCOMPARE(f.server.requested().size(), asked);
    QCOMPARE(f.pane->currentUrl(), live);
}

namespace {

enum class BadPage { NeverFinishing, Huge, SaveFails, Credentials, DamagedCopy };

} // namespace

void SourcesTest::badPages_keepTheScrap_data()
{
    QTest::addColumn<BadPage>("page");
    QTest::addColumn<QString>("address"); // %1 the served pages' host and port
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("message");
    QTest::newRow("never finishes") << BadPage::NeverFinishing << u"http://%1/slow"_s << true << QString();
    QTest::newRow("over the page limit")
        << BadPage::Huge << u"http://%1/huge"_s << false
        << u"ページが大きすぎるため、コピーは保存しませんでした。\nアドレスと標題は保存されています。"_s;
    QTest::newRow("save fails") << BadPage::SaveFails << u"http://%1/a"_s << false
                                << u"ページのコピーを保存できませんでした。\nページを保存する途中で失敗しました。"_s;
    QTest::newRow("credentials") << BadPage::Credentials << u"http://%1/a"_s << true << QString();
    QTest::newRow("damaged copy") << BadPage::DamagedCopy << u"http://%1/a"_s << true
                                  << u"保存したページを開けません。\n保存したページのデータが壊れています。"_s;
}

void SourcesTest::badPages_keepTheScrap()
{
    QFETCH(BadPage, page);
    QFETCH(QString, address);
    QFETCH(bool, copy);
    QFETCH(QString, message);
    SourceFixture f;
    address = address.arg(f.server.hostAndPort());
    f.server.add(u"/huge"_s, {"text/html", noisyPage(3 * 1024 * 1024)});
    if (page == BadPage::Huge) {
        auto c = Connection::openExisting(f.dbPath());
        ScrapSources::writeOptions(*c, {.keepCopies = true, .pageLimit = 1024 * 1024});
    }
    if (page == BadPage::SaveFails)
        f.pane->setPageFolder(f.folder.writeFile(u"not-a-folder"_s, "file"));
    f.startAt({});
    const QString opened =
        page == BadPage::Credentials ? u"http://name:secret@%1/a"_s.arg(f.server.hostAndPort()) : address;
    if (page == BadPage::NeverFinishing) {
        f.addressBox()->setEditText(opened);
        QTest::keyClick(f.addressBox(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(f.pane->currentTitle(), u"遅いページ"_s, kLoadMs);
        QVERIFY(f.view()->page()->isLoading());
        // What the context menu sends, while the page still loads.
        Q_EMIT f.pane->textClipRequested(u"途中"_s);
    } else {
        f.addressBox()->setEditText(opened);
        QTest::keyClick(f.addressBox(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!f.pane->currentTitle().isEmpty() && f.pane->currentTitle() != u"スタートページ"_s &&
                                     !f.view()->page()->isLoading(),
                                 kLoadMs);
        QVERIFY(f.clipTextByMenu());
    }
    QVERIFY(f.copiesEnded());
    f.registerEntry();
    QCOMPARE(f.column(u"SELECT count(*) FROM MEMO_IDX WHERE DocNo = 4"_s), QStringList{u"1"_s});
    const QStringList source = f.sourceOfNewScrap().value(0).split(u'|');
    QCOMPARE(source.value(0), address);
    QCOMPARE(source.value(2), copy ? u"1"_s : u"0"_s);
    if (page == BadPage::DamagedCopy) {
        alterCollection(f.dbPath(), u"UPDATE zettora_sources SET pageCopy = CAST(substr(pageCopy, 1, 40) || "
                                    "zeroblob(200) || substr(pageCopy, 241) AS BLOB)"_s);
        f.tabs()->setCurrentIndex(MainWindow::TabSearch);
        f.clickClass(3);
        f.pressListRow(1);
        QTest::mouseClick(f.child<QPushButton>(u"SourceSaved"), Qt::LeftButton);
        QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabSearch));
    }
    QStringList texts = f.dialogs.texts();
    texts.removeAll(u"スクラップを登録しました。 画像添付、下線引きが可能です。"_s);
    QCOMPARE(texts, message.isEmpty() ? QStringList{} : QStringList{message});
}

void SourcesTest::paste_keepsThePageTheClipboardNames_data()
{
    QTest::addColumn<QByteArray>("mozUrl");
    QTest::addColumn<QString>("kept");
    QTest::newRow("a browser's page") << QByteArray("https://www.nikkei.com/article/1\nQ&A 日経の記事")
                                      << u"https://www.nikkei.com/article/1|Q&A 日経の記事"_s;
    QTest::newRow("a script address") << QByteArray("javascript:alert(1)\n罠") << QString();
    // A page's copy handler may name any local file, which a click on the source would then open.
    QTest::newRow("a local file") << QByteArray("file:///root/Downloads/x.html\n罠") << QString();
    QTest::newRow("nothing named") << QByteArray() << QString();
}

void SourcesTest::paste_keepsThePageTheClipboardNames()
{
    QFETCH(QByteArray, mozUrl);
    QFETCH(QString, kept);
    ThreeScrapsFixture f;
    f.start();
    auto* mime = new QMimeData;
    mime->setText(u"貼り付けた本文"_s);
    if (!mozUrl.isEmpty())
        mime->setData(u"text/x-moz-url"_s, mozUrl);
    QApplication::clipboard()->setMimeData(mime);
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    auto* entry = f.child<QPlainTextEdit>(u"mData");
    entry->setFocus();
    QTest::keySequence(entry, QKeySequence::Paste);
    QCOMPARE(entry->toPlainText(), u"貼り付けた本文"_s);
    f.clickClass(3);
    f.visibleWindow(u"Form3"_s)->findChild<QPushButton*>(u"Command1_0"_s)->click();
    QCOMPARE(f.column(u"SELECT count(*) FROM MEMO_IDX WHERE DocNo = 4"_s), QStringList{u"1"_s});
    if (kept.isEmpty()) {
        // Nothing to keep: the collection keeps its old shape.
        QVERIFY(!Connection::openExisting(f.dbPath())->hasTable(u"zettora_sources"_s));
        return;
    }
    QCOMPARE(f.column(u"SELECT address || '|' || title FROM zettora_sources WHERE DocNo = 4 AND pageCopy IS NULL"_s),
             QStringList{kept});
    // Shown in record view as it was stored, & included.
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.clickClass(3);
    f.pressListRow(1);
    auto* title = f.child<QPushButton>(u"SourceTitle");
    QVERIFY(QKeySequence::mnemonic(title->text()).isEmpty());
    QCOMPARE(title->text().replace(u"&&"_s, u"&"_s), kept.section(u'|', 1));
}

void SourcesTest::aCopyStillBeingMade_isStoredBeforeItsCollectionCloses_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("quit") << u"quit"_s;
    QTest::newRow("open another collection") << u"open"_s;
    // A saved edition holds the connection in a read of its own while its progress turns the loop.
    QTest::newRow("a saved edition being made") << u"edition"_s;
}

void SourcesTest::aCopyStillBeingMade_isStoredBeforeItsCollectionCloses()
{
    QFETCH(QString, meanwhile);
    ThreeScrapsFixture f;
    f.web->url = u"https://www.nikkei.com/article/2"_s;
    f.web->title = u"記事"_s;
    f.web->pageCopy = "<html><body>保存したページ</body></html>";
    f.web->copyFolder = f.folder.folder();
    f.start();
    Q_EMIT f.web->textClipRequested(u"クリップした本文"_s);
    // Registered at once, while the copy is still being made.
    f.clickClass(3);
    f.visibleWindow(u"Form3"_s)->findChild<QPushButton*>(u"Command1_0"_s)->click();
    QVERIFY(f.window->sourceKeeper()->copiesRunning() > 0);
    if (meanwhile == u"quit") {
        f.window->close();
        QVERIFY(f.window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->isVisible(), 10000);
    } else if (meanwhile == u"edition") {
        const Session::Busy busy(f.session);
        const Transaction read(*f.session.connection());
        QTRY_COMPARE_WITH_TIMEOUT(f.window->sourceKeeper()->copiesRunning(), 0, 10000);
    } else {
        f.dialogs.paths.enqueue(f.folder.newCollection(u"Other.mdb"_s));
        f.action(u"mFileBookOpen")->trigger();
        QCOMPARE(f.dialogs.lastText(), u"登録したスクラップのページのコピーを保存中です。　"
                                       "保存が終わってから、もう一度お試しください。"_s);
        QTRY_COMPARE_WITH_TIMEOUT(f.window->sourceKeeper()->copiesRunning(), 0, 10000);
    }
    QCOMPARE(f.column(u"SELECT address || '|' || (pageCopy IS NOT NULL) FROM zettora_sources WHERE DocNo = 4"_s),
             QStringList{u"https://www.nikkei.com/article/2|1"_s});
}

void SourcesTest::siteListing_fromTheSourceLineAndTheMenu_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("source line") << false;
    QTest::newRow("search menu") << true;
}

void SourcesTest::siteListing_fromTheSourceLineAndTheMenu()
{
    QFETCH(bool, fromMenu);
    ThreeScrapsFixture f;
    {
        auto c = Connection::openExisting(f.dbPath());
        ScrapSources::save(*c, 1, {.address = u"https://www.nikkei.com/a"_s, .title = u"日経A"_s});
        ScrapSources::save(*c, 2, {.address = u"https://mainichi.jp/b"_s, .title = u"毎日B"_s});
        ScrapSources::save(*c, 3, {.address = u"https://WWW.Nikkei.com/c?x=1"_s, .title = u"日経C"_s});
    }
    MainWindow& w = f.start();
    if (fromMenu) {
        f.action(u"mSearchSite")->trigger();
        auto* dialog = f.visibleWindow(u"frmSiteSearch"_s);
        QVERIFY(dialog);
        auto* sites = dialog->findChild<QListWidget*>(u"Sites"_s);
        QCOMPARE(sites->count(), 2);
        sites->setCurrentRow(1);
        QCOMPARE(sites->currentItem()->text(), u"www.nikkei.com　（2件）"_s);
        dialog->findChild<QPushButton*>(u"ListSite"_s)->click();
    } else {
        f.showRecord(1);
        QVERIFY(f.child<QWidget>(u"SourceLine")->isVisible());
        QCOMPARE(f.child<QPushButton>(u"SourceTitle")->text(), u"日経A"_s);
        QTest::mouseClick(f.child<QPushButton>(u"SourceSite"), Qt::LeftButton);
    }
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
    QCOMPARE(w.resultCount(), 2);
    QVERIFY(!f.child<QWidget>(u"SourceLine")->isVisible());
    // The title as a link opens the live page in the web tab.
    f.pressListRow(2);
    QCOMPARE(f.child<QPushButton>(u"SourceTitle")->text(), u"日経C"_s);
    QTest::mouseClick(f.child<QPushButton>(u"SourceTitle"), Qt::LeftButton);
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabBrowser));
    QCOMPARE(f.web->calls.last(), u"navigate https://WWW.Nikkei.com/c?x=1"_s);
}

void SourcesTest::readOnly_livePageOpensOutsideAndTheSavedOneSaysWhy()
{
    ThreeScrapsFixture f;
    {
        const QString page = f.folder.writeFile(u"page.mhtml"_s, "<html><body>保存したページ</body></html>");
        auto c = Connection::openExisting(f.dbPath());
        ScrapSources::save(*c, 1,
                           {.address = u"https://www.nikkei.com/a"_s,
                            .title = u"日経A"_s,
                            .pageCopy = *PageCopy::compressFile(page, 1 << 20)});
        // A view of another tool's: the collection opens read-only, without its web tab.
        c->execute(u"CREATE VIEW v AS SELECT * FROM MEMO_IDX"_s);
    }
    f.start();
    QVERIFY(f.session.isReadOnly());
    f.showRecord(1);
    QTest::mouseClick(f.child<QPushButton>(u"SourceTitle"), Qt::LeftButton);
    QCOMPARE(f.desktop.opened, QStringList{u"https://www.nikkei.com/a"_s});
    f.dialogs.clear();
    QTest::mouseClick(f.child<QPushButton>(u"SourceSaved"), Qt::LeftButton);
    QCOMPARE(f.dialogs.texts(),
             QStringList{u"読み取り専用で開いたスクラップ集では、保存したページを表示できません。"_s});
    QVERIFY(f.web->calls.filter(u"navigate"_s).isEmpty());
    QCOMPARE(f.window->mode(), MainWindow::Mode::RecordView);
}
