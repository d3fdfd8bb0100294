#include "bodysearchtest.h"

#include "database/resultset.h"
#include "ocr/picturetext.h"
#include "pictures/picturearea.h"
#include "search/fulltextmarker.h"
#include "threescrapsfixture.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>

#include <functional>

using DocNos = QList<int>;

namespace {

// Bodies "本文1" to "本文3", with a longer second one.
struct SearchFixture : ThreeScrapsFixture {
    // before runs on the file before the window opens it.
    explicit SearchFixture(const std::function<void(Connection&)>& before = {})
    {
        alterCollection(dbPath(), u"UPDATE MEMO_DAT SET a01 = '本文2の続き、本文を二度' WHERE pfID = 2"_s);
        if (before)
            before(*Connection::openExisting(dbPath()));
        start();
        tabs()->setCurrentIndex(MainWindow::TabSearch);
    }
    QLineEdit* field() const { return child<QLineEdit>(u"BodySearch"); }
    void search(const QString& typed) const
    {
        field()->setText(typed);
        QTest::keyClick(field(), Qt::Key_Return);
    }
    DocNos listed() const
    {
        DocNos docNos;
        const ResultSet* set = session.resultSet();
        for (int row = 0; set && row < set->recordCount(); ++row)
            docNos << set->valueAt(row, set->fieldIndex(u"DocNo"_s)).toInt();
        return docNos;
    }
    int marked() const { return FullTextMarker::markedLength(child<QPlainTextEdit>(u"rtBox")->document()); }
};

} // namespace

void BodySearchTest::enter_listsTheScrapsHoldingEveryWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<DocNos>("listed");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("before"); // SQL run on the file before it opens

    const QString none = u"検索条件に合致するスクラップはありません。"_s;
    QStringList fifty;
    for (int i = 1; i <= 50; ++i)
        fifty << u"語%1"_s.arg(i);
    QTest::newRow("in every body") << u"本文"_s << DocNos{1, 2, 3} << u"検索総数： 3"_s << QString() << QStringList();
    QTest::newRow("in one") << u"本文2"_s << DocNos{2} << u"検索総数： 1"_s << QString() << QStringList();
    QTest::newRow("two words") << u"本文　続き"_s << DocNos{2} << u"検索総数： 1"_s << QString() << QStringList();
    QTest::newRow("a body word and a title word")
        << u"二度 記事2"_s << DocNos{2} << u"検索総数： 1"_s << QString() << QStringList();
    const QString noneCounted = u"検索総数： 0"_s;
    QTest::newRow("nowhere") << u"見当たらない"_s << DocNos{} << noneCounted << none << QStringList();
    QTest::newRow("blanks only") << u" 　 "_s << DocNos{} << QString() << QString() << QStringList();
    QTest::newRow("query syntax") << u"本文* OR NEAR(\""_s << DocNos{} << noneCounted << none << QStringList();
    QTest::newRow("a word twice") << u"本文2 本文2"_s << DocNos{2} << u"検索総数： 1"_s << QString() << QStringList();
    QTest::newRow("fifty words") << fifty.join(u' ') << DocNos{} << noneCounted << none << QStringList();
    QTest::newRow("fifty-one words") << fifty.join(u' ') + u" 本文"_s << DocNos{} << QString()
                                     << u"検索する語が多すぎます。　50語以内にしてください。"_s << QStringList();
    // Another program's file: a second row of a body number is no part of the body shown, stored and indexed. Its
    // view keeps it read-only, where every body is read.
    QTest::newRow("a second row of one body number, every body read")
        << u"二行目専用"_s << DocNos{} << noneCounted << none
        << QStringList{u"INSERT INTO MEMO_DAT (pfID, a01) VALUES (1, '二行目専用の語')"_s,
                       u"CREATE VIEW v AS SELECT 1"_s};
}

void BodySearchTest::enter_listsTheScrapsHoldingEveryWord()
{
    QFETCH(QString, typed);
    QFETCH(DocNos, listed);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(QStringList, before);
    SearchFixture f([&before](Connection& c) {
        for (const QString& statement : before)
            c.execute(statement);
    });
    f.search(typed);
    QCOMPARE(f.listed(), listed);
    QCOMPARE(f.window->resultCount(), listed.size());
    QCOMPARE(f.dialogs.lastText(), message);
    QCOMPARE(f.child<QLabel>(u"StatusPanel1")->text(), status);
    QCOMPARE(f.field()->text(), typed);
}

void BodySearchTest::aSearchThatCannotBeRead_saysWhyAndCountsNothing_data()
{
    QTest::addColumn<bool>("bodySearch"); // or a class listed
    QTest::newRow("a class") << false;
    QTest::newRow("a body search") << true;
}

void BodySearchTest::aSearchThatCannotBeRead_saysWhyAndCountsNothing()
{
    QFETCH(bool, bodySearch);
    SearchFixture f;
    f.clickClass(2);
    QCOMPARE(f.child<QLabel>(u"StatusPanel1")->text(), u"検索総数： 3"_s);
    // Changed behind the program's back: no listing can be read any more.
    alterCollection(f.dbPath(), u"ALTER TABLE MEMO_IDX RENAME TO gone"_s);
    bodySearch ? f.search(u"本文"_s) : f.clickClass(2);
    QCOMPARE(f.listed(), DocNos{});
    QCOMPARE(f.child<QLabel>(u"StatusPanel1")->text(), u"検索総数： 0"_s);
    QVERIFY2(f.dialogs.texts().size() == 1 &&
                 f.dialogs.lastText().startsWith(u"スクラップを検索できませんでした。\n"_s),
             qPrintable(f.dialogs.texts().join(u'|')));
}

void BodySearchTest::enterConfirmingAConversion_doesNotSearch()
{
    SearchFixture f;
    QInputMethodEvent composing(u"ほんぶん"_s, {});
    QCoreApplication::sendEvent(f.field(), &composing);
    QTest::keyClick(f.field(), Qt::Key_Return);
    QInputMethodEvent confirmed;
    confirmed.setCommitString(u"本文"_s);
    QCoreApplication::sendEvent(f.field(), &confirmed);
    QCOMPARE(f.listed(), DocNos{});
    QCOMPARE(f.field()->text(), u"本文"_s);
    QTest::keyClick(f.field(), Qt::Key_Return);
    QCOMPARE(f.listed(), (DocNos{1, 2, 3}));
}

void BodySearchTest::shortcut_bringsTheFieldFromAnotherTab()
{
    SearchFixture f;
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QTest::keySequence(f.window.get(), QKeySequence(u"Ctrl+Shift+F"_s));
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabSearch));
    QTRY_COMPARE(QApplication::focusWidget(), f.field());
    QCOMPARE(f.action(u"mSearchBody")->text(), u"本文検索"_s);
}

void BodySearchTest::recordView_marksTheWordsOnEveryStepUntilLeft()
{
    SearchFixture f;
    f.search(u"本文 2"_s);
    f.search(u"本文"_s);
    f.press(u"firstDataMEMO"_s);
    QCOMPARE(f.marked(), 2);
    f.press(u"nextMEMO"_s);
    QCOMPARE(f.marked(), 4);
    f.press(u"Back2Search"_s);
    f.showRecord(1);
    QCOMPARE(f.marked(), 0);
}

void BodySearchTest::bodyEditedInRecordView_isFoundByItsNewText()
{
    SearchFixture f;
    f.showRecord(1);
    f.child<QPlainTextEdit>(u"rtBox")->setPlainText(u"改訂版の文章"_s);
    f.press(u"RecEditMEMO"_s);
    f.press(u"Back2Search"_s);
    f.search(u"改訂"_s);
    QCOMPARE(f.listed(), DocNos{1});
    f.search(u"本文"_s);
    QCOMPARE(f.listed(), (DocNos{2, 3}));
}

void BodySearchTest::deleteAllResults_takesTheFoundScrapsOutOfTheIndex()
{
    SearchFixture f;
    f.search(u"続き"_s);
    QCOMPARE(f.listed(), DocNos{2});
    f.dialogs.yesNo.enqueue(true);
    f.action(u"mSearchDel")->trigger();
    f.search(u"本文"_s);
    QCOMPARE(f.listed(), (DocNos{1, 3}));
}

namespace {

// Scrap 2 with two pictures, the second read as "円安が" and "GDP" on the next line.
void secondPictureRead(Connection& c)
{
    c.execute(u"UPDATE MEMO_IDX SET skID = 1 WHERE DocNo = 2"_s);
    c.execute(u"UPDATE IDno SET skID = 1"_s);
    const QByteArray jpeg = encodedPicture(QSize(200, 120), "JPG");
    for (int i = 0; i < 2; ++i) {
        Query insert(c, u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (1, '写真', ?)"_s);
        insert.bind(1, jpeg + QByteArray(i, '\0'));
        insert.run();
    }
    PictureText::ensureTables(c);
    const QList<RecognisedWord> words{{QRect(10, 10, 40, 40), u"円"_s},
                                      {QRect(50, 10, 40, 40), u"安"_s},
                                      {QRect(90, 10, 40, 40), u"が"_s},
                                      {QRect(10, 60, 120, 40), u"GDP"_s}};
    const PictureText::Pending second{c.lastInsertRowid(), 1, jpeg.size() + 1};
    if (!PictureText::store(c, second, Recognition{u"円安が\nGDP"_s, words, u"test"_s}))
        qFatal("the picture text was not stored");
}

} // namespace

void BodySearchTest::recordView_namesThePictureHoldingTheWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("named"); // the status bar's link to the picture; empty when it is hidden
    QTest::addColumn<int>("boxes");     // drawn over the picture the link opens
    QTest::newRow("a word across two boxes") << u"円安"_s << u"画像 2/2 に「円安」"_s << 2;
    QTest::newRow("other width and case") << u"ｇｄｐ"_s << u"画像 2/2 に「ｇｄｐ」"_s << 1;
    QTest::newRow("a body word and a picture word") << u"続き 安が"_s << u"画像 2/2 に「安が」"_s << 2;
    QTest::newRow("in the body only") << u"二度"_s << QString() << 0;
}

void BodySearchTest::recordView_namesThePictureHoldingTheWord()
{
    QFETCH(QString, typed);
    QFETCH(QString, named);
    QFETCH(int, boxes);
    SearchFixture f(secondPictureRead);
    f.search(typed);
    QCOMPARE(f.listed(), DocNos{2});
    f.pressListRow(1);
    auto* link = f.window->findChild<QPushButton*>(u"PictureHolding"_s);
    QCOMPARE(link && link->isVisible() ? link->text() : QString(), named);
    if (named.isEmpty())
        return;
    link->click();
    QWidget* pictures = f.visibleWindow(u"Form5"_s);
    QVERIFY(pictures);
    QCOMPARE(pictures->findChild<QLabel*>(u"StatusPanel1"_s)->text(), u"添付画像： 2/2"_s);
    QCOMPARE(pictures->findChild<PictureArea*>(u"imk"_s)->highlights().size(), boxes);
    // Leaving record view, or the collection while its picture is shown, takes the link away.
    if (typed == u"円安"_s) {
        f.dialogs.paths.enqueue(f.folder.newCollection(u"Other.mdb"_s));
        f.action(u"mFileBookOpen")->trigger();
        QVERIFY(!f.visibleWindow(u"Form5"_s));
    } else {
        f.press(u"Back2Search"_s);
    }
    QVERIFY(!link->isVisible());
}
