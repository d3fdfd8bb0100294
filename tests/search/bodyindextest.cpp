#include "bodyindextest.h"

#include "classtree/classtreestore.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/transaction.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"
#include "search/bodysearch.h"
#include "testcollection.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using DocNos = QList<int>;

namespace {

const QString kMain = QString::fromLatin1(BodyIndex::kMainSchema);

struct Scrap {
    int docNo;
    const char16_t* title;
    const char16_t* keyword;
    const char16_t* body;
    const char16_t* major = u"政治";
};

const Scrap kScraps[] = {
    {1, u"都政", u"会議", u"東京都庁で会議が開かれた。"},
    {2, u"鉄道", u"", u"大阪から京都線に乗る。"},
    {3, u"米紙", u"", u"New York Times の記事を読む。"},
    {4, u"全角", u"", u"ＮＥＷ　ＹＯＲＫ（全角）の話。", u"経済"},
    {5, u"半角", u"", u"ｶﾀｶﾅで書かれたｶﾞｽとﾊﾟﾝの看板。"},
    {6, u"一字", u"", u"京"},
    {7, u"記号", u"", u"式は \"quoted\" * NEAR AND - (x) OR で終わる。"},
    {8, u"York", u"", u"本文に地名なし。パンの話。"},
    {9, u"異体", u"", u"葛\U000E0100飾区に❤\uFE0Fの看板。"},
};

// A collection of the scraps above, its index made and caught up as the program's worker does.
struct Collection {
    TestFolder folder;
    QString path = folder.newCollection();
    std::unique_ptr<Connection> connection;

    Collection()
    {
        open();
        for (const Scrap& s : kScraps) {
            TestScrap scrap;
            scrap.title = QString::fromUtf16(s.title);
            scrap.keyword = QString::fromUtf16(s.keyword);
            scrap.major = QString::fromUtf16(s.major);
            scrap.docNo = s.docNo;
            scrap.pfID = s.docNo;
            addScrap(*connection, scrap);
            addBody(*connection, s.docNo, QString::fromUtf16(s.body));
        }
        verifyAndCatchUp();
    }
    void open()
    {
        connection = Connection::openExisting(path);
        BodyIndex::registerFunctions(*connection);
    }
    bool verifyAndCatchUp()
    {
        const bool rebuilt = BodyIndex::verifyOrReset(*connection, kMain, QString());
        if (!BodyIndex::catchUpAll(*connection, kMain, {}, {}))
            qFatal("the body index did not catch up");
        return rebuilt;
    }
    DocNos search(const QString& typed, BodySearchWay way = BodySearchWay::Index, bool logEmpty = false,
                  bool pictureText = false, bool picturesIndexed = true)
    {
        const QStringList words = parseBodySearch(typed);
        const DocNos found = searchWords(words, way, logEmpty, pictureText, picturesIndexed);
        // Several words are looked for from the rows of the first: any order must find the same scraps.
        const QStringList reversed(words.rbegin(), words.rend());
        if (words.size() > 1 && searchWords(reversed, way, logEmpty, pictureText, picturesIndexed) != found)
            return {-1};
        return found;
    }
    DocNos searchWords(const QStringList& words, BodySearchWay way, bool logEmpty, bool pictureText,
                       bool picturesIndexed)
    {
        const auto set = ResultSet::open(
            *connection, BuildBodySearchQuery(words, way, kMain, logEmpty, pictureText, false, picturesIndexed));
        DocNos found;
        for (int row = 0; row < set->recordCount(); ++row)
            found << set->valueAt(row, set->fieldIndex(u"DocNo"_s)).toInt();
        std::sort(found.begin(), found.end());
        return found;
    }
    void saveBody(int pfID, const QString& text)
    {
        Transaction transaction(*connection);
        QVERIFY(SaveScrapBody(*connection, qint64(pfID), text));
        transaction.commit();
    }
};

} // namespace

void BodyIndexTest::search_findsSubstringsAsTheMarkerDoes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<DocNos>("found");

    QTest::newRow("one kanji") << u"京"_s << DocNos{1, 2, 6};
    QTest::newRow("two kanji, inside a longer word") << u"京都"_s << DocNos{1, 2};
    QTest::newRow("four kanji") << u"東京都庁"_s << DocNos{1};
    QTest::newRow("the last two characters of a body") << u"る。"_s << (DocNos{2, 7});
    QTest::newRow("Latin words in any case and width, each anywhere") << u"new YORK"_s << DocNos{3, 4};
    QTest::newRow("a quoted phrase keeps its blank") << u"\"new york\""_s << DocNos{3, 4};
    QTest::newRow("a phrase in another order") << u"\"york new\""_s << DocNos{};
    QTest::newRow("full-width blank between words") << u"東京　会議"_s << DocNos{1};
    QTest::newRow("half-width katakana by full-width") << u"カタカナ"_s << DocNos{5};
    QTest::newRow("half-width voiced katakana by full-width") << u"ガス"_s << DocNos{5};
    QTest::newRow("semi-voiced, typed half-width") << u"ﾊﾟﾝ"_s << DocNos{5, 8};
    QTest::newRow("a kana and its mark typed apart") << u"か\u3099"_s << DocNos{1};
    QTest::newRow("variation selectors, in the body and typed") << u"葛飾 ❤\uFE0Fの"_s << DocNos{9};
    QTest::newRow("one word in the body, one in the title") << u"会議 都政"_s << DocNos{1};
    QTest::newRow("one word in a title, the other in the body") << u"都 鉄"_s << DocNos{2};
    QTest::newRow("a title word and a body word of another scrap") << u"鉄道 東京"_s << DocNos{};
    QTest::newRow("a title alone") << u"york"_s << DocNos{3, 4, 8};
    QTest::newRow("a keyword alone") << u"会議"_s << DocNos{1};
    QTest::newRow("a word nowhere") << u"名古屋"_s << DocNos{};
    QTest::newRow("star as text") << u"*"_s << DocNos{7};
    QTest::newRow("NEAR as text") << u"NEAR"_s << DocNos{7};
    QTest::newRow("AND OR as text") << u"and or"_s << DocNos{7};
    QTest::newRow("minus and brackets") << u"- (x)"_s << DocNos{7};
    QTest::newRow("a quote left open is a character") << u"\"quoted"_s << DocNos{7};
    QTest::newRow("a quote alone") << u"\""_s << DocNos{7};
    QTest::newRow("a word of a thousand characters") << QString(1000, u'字') << DocNos{};
}

void BodyIndexTest::search_findsSubstringsAsTheMarkerDoes()
{
    QFETCH(QString, typed);
    QFETCH(DocNos, found);
    Collection collection;
    QCOMPARE(collection.search(typed, BodySearchWay::Index), found);
    QCOMPARE(collection.search(typed, BodySearchWay::Index, true), found);
    QCOMPARE(collection.search(typed, BodySearchWay::Scan), found);
}

void BodyIndexTest::writesOfTheProgram_keepTheIndexInStep_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<DocNos>("found");

    QTest::newRow("an edited body by its new text") << u"edit"_s << u"名古屋"_s << DocNos{2};
    QTest::newRow("an edited body not by its old text") << u"edit"_s << u"大阪"_s << DocNos{};
    QTest::newRow("a deleted scrap") << u"delete"_s << u"京"_s << DocNos{2, 6};
    QTest::newRow("the scraps of a deleted class") << u"class"_s << u"york"_s << DocNos{3, 8};
}

void BodyIndexTest::writesOfTheProgram_keepTheIndexInStep()
{
    QFETCH(QString, write);
    QFETCH(QString, typed);
    QFETCH(DocNos, found);
    Collection collection;
    IndexKeeper keeper(kMain, {});
    collection.connection->setTransactionObserver(&keeper);
    if (write == u"edit") {
        collection.saveBody(2, u"名古屋から京都線に乗る。"_s);
    } else if (write == u"delete") {
        auto set =
            ResultSet::open(*collection.connection, ResultSource::fromTable(u"MEMO_IDX"_s, u" WHERE DocNo = 1"_s));
        set->moveFirst();
        DeleteCurrentScrap(*collection.connection, *set);
    } else {
        QVERIFY(DeleteClassEverywhere(*collection.connection, ClassPath{u"経済"_s, {}, {}}, 2, {}).ok());
    }
    QCOMPARE(BodyIndex::pendingCount(*collection.connection, kMain), 0);
    QCOMPARE(collection.search(typed), found);
    collection.connection->setTransactionObserver(nullptr);
}

void BodyIndexTest::aFailedIndexWrite_leavesTheBodyFoundByItsNewText()
{
    Collection collection;
    IndexKeeper keeper(kMain, {});
    keeper.failureForTest = [] { throw DbError(SQLITE_FULL, u"disk full"_s); };
    collection.connection->setTransactionObserver(&keeper);
    collection.saveBody(2, u"名古屋から京都線に乗る。"_s);
    collection.connection->setTransactionObserver(nullptr);

    QCOMPARE(LoadScrapBody(*collection.connection, 2).value(), u"名古屋から京都線に乗る。"_s);
    QVERIFY(BodyIndex::pendingCount(*collection.connection, kMain) > 0);
    QCOMPARE(collection.search(u"名古屋"_s), DocNos{2});
    QCOMPARE(collection.search(u"大阪"_s), DocNos{});
    QCOMPARE(collection.search(u"名古屋 鉄道"_s), DocNos{2});
    QCOMPARE(collection.search(u"大阪 鉄道"_s), DocNos{});
    // The next opening takes the logged row into the index.
    QVERIFY(!collection.verifyAndCatchUp());
    QCOMPARE(BodyIndex::pendingCount(*collection.connection, kMain), 0);
    QCOMPARE(collection.search(u"名古屋"_s), DocNos{2});
    QCOMPARE(collection.search(u"大阪"_s), DocNos{});
}

void BodyIndexTest::aFailedTransaction_leavesBodyAndIndexAsTheyWere()
{
    Collection collection;
    IndexKeeper keeper(kMain, {});
    collection.connection->setTransactionObserver(&keeper);
    try {
        Transaction transaction(*collection.connection);
        QVERIFY(SaveScrapBody(*collection.connection, 2, u"名古屋から京都線に乗る。"_s));
        Query(*collection.connection, u"INSERT INTO no_such_table VALUES (1)"_s).run();
        transaction.commit();
        QFAIL("the write should have failed");
    } catch (const DbError&) {
    }
    collection.connection->setTransactionObserver(nullptr);
    QCOMPARE(BodyIndex::pendingCount(*collection.connection, kMain), 0);
    QCOMPARE(collection.search(u"大阪"_s), DocNos{2});
    QCOMPARE(collection.search(u"名古屋"_s), DocNos{});
}

void BodyIndexTest::changesMadeElsewhere_areFoundAndCaughtUp_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("rebuilt");

    QTest::newRow("a body changed") << u"UPDATE MEMO_DAT SET a01 = '名古屋から京都線に乗る。' WHERE pfID = 2"_s
                                    << false;
    QTest::newRow("a body changed behind dropped triggers")
        << u"DROP TRIGGER zettora_body_changing; UPDATE MEMO_DAT SET a01 = '名古屋から京都線に乗る。' WHERE pfID = 2"_s
        << true;
    QTest::newRow("index rows renumbered behind dropped triggers")
        << u"DROP TRIGGER zettora_label_added; DROP TRIGGER zettora_label_deleted; "
           "CREATE TABLE t AS SELECT * FROM MEMO_IDX; DELETE FROM MEMO_IDX; "
           "INSERT INTO MEMO_IDX SELECT * FROM t ORDER BY DocNo DESC; DROP TABLE t; "
           "UPDATE MEMO_DAT SET a01 = '名古屋から京都線に乗る。' WHERE pfID = 2"_s
        << true;
    const QString renumbered = u"UPDATE MEMO_IDX SET %1 = %1 + 100 WHERE DocNo = 3; UPDATE MEMO_IDX SET LevNo = 7; "
                               "UPDATE MEMO_DAT SET a01 = '名古屋から京都線に乗る。' WHERE pfID = 2"_s;
    for (const char* rowid : {"rowid", "_rowid_", "OID"})
        QTest::newRow(qPrintable(u"index rows renumbered by "_s + QLatin1StringView(rowid)))
            << renumbered.arg(QLatin1StringView(rowid)) << false;
    // The label trigger of files made before it named its columns.
    QTest::newRow("the former label trigger")
        << u"DROP TRIGGER zettora_label_changed; CREATE TRIGGER zettora_label_changed AFTER UPDATE ON MEMO_IDX "
           "WHEN NEW.a02 IS NOT OLD.a02 OR NEW.a07 IS NOT OLD.a07 OR NEW.rowid IS NOT OLD.rowid BEGIN "
           "INSERT INTO zettora_index_log(kind, ref, indexed, old1, old2) SELECT 1, OLD.rowid, 1, OLD.a02, OLD.a07 "
           "WHERE NOT EXISTS (SELECT 1 FROM zettora_index_log WHERE kind = 1 AND ref = OLD.rowid); "
           "INSERT INTO zettora_index_log(kind, ref, indexed) SELECT 1, NEW.rowid, 0 WHERE NEW.rowid IS NOT "
           "OLD.rowid; UPDATE zettora_index_state SET rowid_sum = rowid_sum - OLD.rowid + NEW.rowid WHERE name = "
           "'MEMO_IDX'; END; "_s +
               renumbered.arg(u"rowid"_s)
        << false;
}

void BodyIndexTest::changesMadeElsewhere_areFoundAndCaughtUp()
{
    QFETCH(QString, sql);
    QFETCH(bool, rebuilt);
    Collection collection;
    collection.connection.reset();
    QProcess shell;
    shell.start(u"sqlite3"_s, {collection.path, sql});
    QVERIFY(shell.waitForFinished(10000));
    QCOMPARE(shell.readAllStandardError(), QByteArray());
    QCOMPARE(shell.exitCode(), 0);

    collection.open();
    QVERIFY(BodyIndex::foreignTriggersAndViews(*collection.connection).isEmpty());
    QCOMPARE(collection.verifyAndCatchUp(), rebuilt);
    // Opened to be written, the file holds this version's triggers; a second opening finds it sound.
    {
        Query trigger(*collection.connection, u"SELECT sql FROM sqlite_schema WHERE name = 'zettora_label_changed'"_s);
        QVERIFY(trigger.next() && trigger.text(0).contains(u"UPDATE OF"_s));
    }
    QVERIFY(!collection.verifyAndCatchUp());
    QCOMPARE(collection.search(u"名古屋"_s), DocNos{2});
    QCOMPARE(collection.search(u"大阪"_s), DocNos{});
    QCOMPARE(collection.search(u"京"_s), (DocNos{1, 2, 6}));
    QCOMPARE(collection.search(u"米紙"_s), DocNos{3});
}

void BodyIndexTest::aRebuildStoppedPartWay_goesOnWhereItStopped_data()
{
    QTest::addColumn<int>("reportsBeforeStop");
    QTest::newRow("stopped before any row") << 0;
    QTest::newRow("stopped after the first rows") << 1;
    QTest::newRow("stopped after more rows") << 3;
}

// A program closed while its index is made: the rows taken stay taken, and the next opening catches up the rest
// without making the index anew.
void BodyIndexTest::aRebuildStoppedPartWay_goesOnWhereItStopped()
{
    QFETCH(int, reportsBeforeStop);
    Collection collection;
    {
        Transaction transaction(*collection.connection);
        for (int docNo = 100; docNo < 700; ++docNo) {
            addScrap(*collection.connection, numberedScrap(docNo, 2, {u"政治"_s}));
            addBody(*collection.connection, docNo, u"第%1報、奈良の話。"_s.arg(docNo));
        }
        transaction.commit();
    }
    int reports = 0;
    const bool complete = BodyIndex::rebuild(
        *collection.connection, kMain, QString(), [&reports](qint64, qint64) { ++reports; },
        [&reports, reportsBeforeStop] { return reports >= reportsBeforeStop; });
    QVERIFY(!complete);
    const qint64 left = BodyIndex::pendingCount(*collection.connection, kMain);
    QVERIFY2(left > 0 && left <= 2 * (600 + qint64(std::size(kScraps))), qPrintable(QString::number(left)));
    if (reportsBeforeStop > 0)
        QVERIFY(left < 2 * (600 + qint64(std::size(kScraps))));

    collection.open();
    QCOMPARE(collection.verifyAndCatchUp(), false);
    QCOMPARE(BodyIndex::pendingCount(*collection.connection, kMain), 0);
    QCOMPARE(collection.search(u"奈良"_s, BodySearchWay::Index, true).size(), 600);
    QCOMPARE(collection.search(u"京"_s, BodySearchWay::Index, true), (DocNos{1, 2, 6}));
}

void BodyIndexTest::theFile_staysWritableInThePlainShell()
{
    Collection collection;
    collection.connection.reset();
    QProcess shell;
    shell.start(u"sqlite3"_s, {collection.path,
                               u"INSERT INTO MEMO_DAT(pfID, a01) VALUES (10, '札幌の雪まつり'); "
                               "INSERT INTO MEMO_IDX(a02, pfID, DocNo, LevNo) VALUES ('雪', 10, 10, 1); "
                               "UPDATE MEMO_IDX SET a02 = '改題' WHERE DocNo = 3; DELETE FROM MEMO_DAT WHERE pfID = 6; "
                               "PRAGMA integrity_check; VACUUM; SELECT count(*) FROM MEMO_DAT;"_s});
    QVERIFY(shell.waitForFinished(10000));
    QCOMPARE(shell.readAllStandardError(), QByteArray());
    QCOMPARE(shell.readAllStandardOutput(), QByteArray("ok\n9\n"));

    collection.open();
    collection.verifyAndCatchUp();
    QCOMPARE(collection.search(u"雪まつり"_s), DocNos{10});
    QCOMPARE(collection.search(u"改題"_s), DocNos{3});
    QCOMPARE(collection.search(u"米紙"_s), DocNos{});
    QCOMPARE(collection.search(u"京"_s), (DocNos{1, 2}));
}

void BodyIndexTest::aDamagedIndex_isMadeAnewByTheWorker()
{
    Collection collection;
    collection.connection.reset();
    QProcess shell;
    shell.start(u"sqlite3"_s, {collection.path, u"DELETE FROM zettora_body_index_data"_s});
    QVERIFY(shell.waitForFinished(10000));
    QCOMPARE(shell.exitCode(), 0);

    BodyIndexer indexer;
    QSignalSpy finished(&indexer, &BodyIndexer::finished);
    QSignalSpy progress(&indexer, &BodyIndexer::progress);
    indexer.start({.path = collection.path, .schema = kMain});
    // Emitted on the worker's thread, it may come before wait() would start: count it instead.
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 20000);
    QCOMPARE(finished.first().at(1).toBool(), true);
    collection.open();
    QCOMPARE(BodyIndex::pendingCount(*collection.connection, kMain), 0);
    QCOMPARE(collection.search(u"京"_s, BodySearchWay::Index, true), (DocNos{1, 2, 6}));
    // The rebuild counts scraps; the text of one picture read afterwards counts one, not the whole collection.
    QCOMPARE(progress.last(), (QVariantList{qint64(std::size(kScraps)), qint64(std::size(kScraps))}));
    collection.connection->execute(
        u"INSERT INTO zettora_picture_text VALUES (3, 10, 'e', '政府は閣議決定した', '', NULL)"_s);
    progress.clear();
    finished.clear();
    indexer.resume();
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 20000);
    QCOMPARE(progress.last(), (QVariantList{qint64(1), qint64(1)}));
    // Stopped, as when its collection closes, a resume queued before the stop starts nothing.
    indexer.stop();
    indexer.resume();
    QVERIFY(!indexer.isRunning());
}

void BodyIndexTest::pictureText_isFoundAsBodiesAre_data()
{
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<bool>("caughtUp");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<DocNos>("found");

    const QString read = u"INSERT INTO zettora_picture_text VALUES (3, 10, 'e', '政府は閣議決定した', '', NULL)"_s;
    const QString second = u"INSERT INTO zettora_picture_text VALUES (3, 20, 'e', '来年度の予算案', '', NULL)"_s;
    for (const bool caughtUp : {true, false}) {
        const QString when = caughtUp ? u", caught up"_s : u", still logged"_s;
        QTest::newRow(qPrintable(u"a picture's word"_s + when))
            << QStringList{read} << caughtUp << u"閣議"_s << DocNos{3};
        QTest::newRow(qPrintable(u"words of two pictures of one set"_s + when))
            << QStringList{read, second} << caughtUp << u"閣議 予算"_s << DocNos{3};
        QTest::newRow(qPrintable(u"a word across two pictures is in neither"_s + when))
            << QStringList{read, second} << caughtUp << u"した来年"_s << DocNos{};
        QTest::newRow(qPrintable(u"one word in a picture, one in the body"_s + when))
            << QStringList{read} << caughtUp << u"閣議 記事"_s << DocNos{3};
        QTest::newRow(qPrintable(u"text read again, by its new words"_s + when))
            << QStringList{read, u"UPDATE zettora_picture_text SET text = '新しい読み' WHERE skID = 3"_s} << caughtUp
            << u"新しい"_s << DocNos{3};
        QTest::newRow(qPrintable(u"text read again, not by its old words"_s + when))
            << QStringList{read, u"UPDATE zettora_picture_text SET text = '新しい読み' WHERE skID = 3"_s} << caughtUp
            << u"閣議"_s << DocNos{};
        QTest::newRow(qPrintable(u"the text of a deleted picture"_s + when))
            << QStringList{read, u"DELETE FROM zettora_picture_text WHERE skID = 3"_s} << caughtUp << u"閣議"_s
            << DocNos{};
    }
}

// Text read from pictures, written with plain SQL as the picture reader and other tools write it.
void BodyIndexTest::pictureText_isFoundAsBodiesAre()
{
    QFETCH(QStringList, writes);
    QFETCH(bool, caughtUp);
    QFETCH(QString, typed);
    QFETCH(DocNos, found);
    Collection collection;
    collection.connection->execute(u"UPDATE MEMO_IDX SET skID = DocNo"_s);
    for (const QString& write : writes) {
        collection.connection->execute(write);
        // Each write caught up alone, as the worker takes one picture after the other.
        if (caughtUp)
            collection.verifyAndCatchUp();
    }
    QCOMPARE(BodyIndex::pendingCount(*collection.connection, kMain) == 0, caughtUp);
    QCOMPARE(collection.search(typed, BodySearchWay::Index, caughtUp, true), found);
    QCOMPARE(collection.search(typed, BodySearchWay::Index, false, true), found);
    QCOMPARE(collection.search(typed, BodySearchWay::Scan, false, true), found);
}

void BodyIndexTest::anIndexOfAnEarlierVersion_isMadeAnew()
{
    Collection collection;
    // The version before sound marks joined their kana: its tokens are not what a delete would take out.
    collection.connection->execute(u"UPDATE zettora_index_state SET row_count = 3 WHERE name = 'version'"_s);
    QVERIFY(!BodyIndex::isSound(*collection.connection, kMain, QString()));
    QCOMPARE(collection.verifyAndCatchUp(), true);
    QCOMPARE(collection.search(u"ガス"_s, BodySearchWay::Index, true, true), DocNos{5});
}

void BodyIndexTest::indexLookups_readOnlyTheIndexTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("refused");

    QTest::newRow("the body index") << u"main.zettora_body_index"_s << false;
    QTest::newRow("the label index") << u"main.zettora_label_index"_s << false;
    QTest::newRow("a table of scraps") << u"main.MEMO_IDX"_s << true;
    QTest::newRow("no schema") << u"zettora_body_index"_s << true;
    QTest::newRow("a schema not attached") << u"elsewhere.zettora_body_index"_s << true;
    QTest::newRow("SQL in the schema") << u"main\".zettora_body_index; DROP TABLE MEMO_IDX; --.zettora_body_index"_s
                                       << true;
}

// zettora_index_holds builds its statement from its first argument: nothing else than the index is read through it.
void BodyIndexTest::indexLookups_readOnlyTheIndexTables()
{
    QFETCH(QString, table);
    QFETCH(bool, refused);
    Collection collection;
    Query holds(*collection.connection, u"SELECT zettora_index_holds(?, '\"京\"*', 1)"_s);
    holds.bind(1, table);
    if (refused)
        QVERIFY_THROWS_EXCEPTION(DbError, holds.next());
    else
        QVERIFY(holds.next());
    QCOMPARE(collection.search(u"京"_s), (DocNos{1, 2, 6}));
}
