#include "database/resultset.h"

#include "database/connection.h"
#include "database/query.h"
#include "databasetesthelpers.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// Scraps stored out of number order, so that a set sorting on its own would show; title a..e follows pfID 1..5.
const QList<int> kStoredOrder = {3, 1, 5, 2, 4};

QString collectionWithScraps(const TestFolder& folder)
{
    const QString path = folder.newCollection();
    auto connection = Connection::openExisting(path);
    Query insert(*connection, u"INSERT INTO MEMO_IDX (a02, pfID, LevNo) VALUES (?, ?, ?)"_s);
    for (const int pfID : kStoredOrder) {
        insert.bind(1, QString(QChar(u'a' + pfID - 1))).bind(2, pfID).bind(3, pfID % 2 == 0 ? 3 : 2).run();
        insert.reset();
    }
    return path;
}

// What the file itself holds, read through a connection of its own.
QStringList storedScraps(const QString& path)
{
    auto connection = Connection::openExisting(path);
    return rowsOf(*connection, u"SELECT pfID, a02 FROM MEMO_IDX ORDER BY rowid"_s);
}

QList<int> visiblePfIDs(ResultSet& set)
{
    QList<int> pfIDs;
    for (set.moveFirst(); !set.eof(); set.moveNext())
        pfIDs << int(set.integer(u"pfID"_s));
    return pfIDs;
}

std::unique_ptr<ResultSet> openScraps(Connection& connection)
{
    return ResultSet::open(connection, ResultSource::wholeTable(u"MEMO_IDX"_s));
}

} // namespace

void ResultSetTest::open_rowsComeInSourceOrder_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("pfIDs");

    QTest::newRow("whole table") << QString() << QVariantList() << kStoredOrder;
    QTest::newRow("narrowed") << u" WHERE LevNo = ?"_s << QVariantList{3} << QList<int>{2, 4};
    QTest::newRow("ordered") << u" WHERE pfID > ? ORDER BY pfID DESC"_s << QVariantList{1} << QList<int>{5, 4, 3, 2};
}

void ResultSetTest::open_rowsComeInSourceOrder()
{
    QFETCH(QString, tail);
    QFETCH(QVariantList, values);
    QFETCH(QList<int>, pfIDs);
    TestFolder folder;
    auto connection = Connection::openExisting(collectionWithScraps(folder));
    auto set = ResultSet::open(*connection, ResultSource::fromTable(u"MEMO_IDX"_s, tail, values));
    QCOMPARE(set->recordCount(), pfIDs.size());
    QCOMPARE(visiblePfIDs(*set), pfIDs);
}

void ResultSetTest::open_textsComeBackAsStored_data()
{
    QTest::addColumn<QVariantList>("texts");
    QVariantList distinct, mixed;
    for (int i = 0; i < 200; ++i) {
        distinct << u"標題 %1"_s.arg(i);
        mixed << (i < 100 ? QVariant(QStringList{u"重要"_s, u""_s, u"要注意"_s}[i % 3])
                  : i % 2 ? QVariant()
                          : distinct[i]);
    }
    // Listed by class, a column repeats the row before; an empty text or a NULL may stand between two equal texts.
    QVariantList runs;
    for (int i = 0; i < 200; ++i)
        runs << QVariantList{u"国際"_s, u"国際"_s, QVariant(), u"国際"_s, u""_s, u"国際"_s, u"経済"_s}[i % 7];
    QTest::newRow("every text different") << distinct;
    QTest::newRow("few texts, then different ones among NULLs") << mixed;
    QTest::newRow("runs of one text between NULLs and empty texts") << runs;
}

// Equal texts may share storage, yet every cell reads back as the value stored in its row.
void ResultSetTest::open_textsComeBackAsStored()
{
    QFETCH(QVariantList, texts);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    for (int i = 0; i < texts.size(); ++i)
        Query(*connection, u"INSERT INTO MEMO_IDX (a02, pfID) VALUES (?, ?)"_s).bind(1, texts[i]).bind(2, i + 1).run();
    auto set = ResultSet::open(*connection, ResultSource::fromTable(u"MEMO_IDX"_s, u" ORDER BY rowid"_s));
    for (int i = 0; i < texts.size(); ++i) {
        QCOMPARE(set->valueAt(i, set->fieldIndex(u"a02"_s)).isNull(), texts[i].isNull());
        QCOMPARE(set->valueAt(i, set->fieldIndex(u"a02"_s)).toString(), texts[i].toString());
    }
}

void ResultSetTest::navigation_reportsEndsAndPosition_data()
{
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("moves"); // First, Next, Previous, Last
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<int>("position");

    QTest::newRow("opened") << false << u""_s << false << false << 1;
    QTest::newRow("two on") << false << u"NN"_s << false << false << 3;
    QTest::newRow("last") << false << u"L"_s << false << false << 5;
    QTest::newRow("past last") << false << u"LN"_s << false << true << 0;
    QTest::newRow("back from past last") << false << u"LNNP"_s << false << false << 5;
    QTest::newRow("first from past last") << false << u"LNF"_s << false << false << 1;
    QTest::newRow("before first") << false << u"P"_s << true << false << 0;
    QTest::newRow("back from before first") << false << u"PPN"_s << false << false << 1;
    QTest::newRow("empty, opened") << true << u""_s << true << true << 0;
    QTest::newRow("empty, next") << true << u"N"_s << true << true << 0;
    QTest::newRow("empty, previous") << true << u"P"_s << true << true << 0;
    QTest::newRow("empty, last") << true << u"L"_s << true << true << 0;
}

void ResultSetTest::navigation_reportsEndsAndPosition()
{
    QFETCH(bool, empty);
    QFETCH(QString, moves);
    QFETCH(bool, bof);
    QFETCH(bool, eof);
    QFETCH(int, position);
    TestFolder folder;
    auto connection = Connection::openExisting(collectionWithScraps(folder));
    auto set = ResultSet::open(*connection, ResultSource::wholeTable(empty ? u"Speak"_s : u"MEMO_IDX"_s));
    for (const QChar move : moves) {
        switch (move.unicode()) {
        case u'F':
            set->moveFirst();
            break;
        case u'N':
            set->moveNext();
            break;
        case u'P':
            set->movePrevious();
            break;
        case u'L':
            set->moveLast();
            break;
        }
    }
    QCOMPARE(set->bof(), bof);
    QCOMPARE(set->eof(), eof);
    QCOMPARE(set->absolutePosition(), position);
    if (position == 0)
        QCOMPARE(thrownCode([&] { set->value(0); }), DbError::kNoCurrentRow);
    else
        QCOMPARE(set->integer(u"pfID"_s), kStoredOrder[position - 1]);
}

void ResultSetTest::filter_narrowsAndClearRestores_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QList<int>>("pfIDs");

    QTest::newRow("number") << u"LevNo"_s << QVariant(3) << QList<int>{2, 4};
    QTest::newRow("number as text") << u"LevNo"_s << QVariant(u"3"_s) << QList<int>{2, 4};
    QTest::newRow("text") << u"a02"_s << QVariant(u"b"_s) << QList<int>{2};
    QTest::newRow("no match") << u"a02"_s << QVariant(u"z"_s) << QList<int>();
    QTest::newRow("NULL never equals empty text") << u"a01"_s << QVariant(u""_s) << QList<int>();
}

void ResultSetTest::filter_narrowsAndClearRestores()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QList<int>, pfIDs);
    TestFolder folder;
    auto connection = Connection::openExisting(collectionWithScraps(folder));
    auto set = openScraps(*connection);
    set->moveLast();
    set->setFilter(field, value);
    QCOMPARE(set->recordCount(), pfIDs.size());
    QCOMPARE(set->absolutePosition(), pfIDs.isEmpty() ? 0 : 1);
    QCOMPARE(set->bof() && set->eof(), pfIDs.isEmpty());
    QCOMPARE(visiblePfIDs(*set), pfIDs);

    set->clearFilter();
    QCOMPARE(set->recordCount(), kStoredOrder.size());
    QCOMPARE(set->absolutePosition(), 1);
    QCOMPARE(visiblePfIDs(*set), kStoredOrder);
}

void ResultSetTest::filteredSet_writesReachTheRightRowsAndPersist()
{
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    {
        auto connection = Connection::openExisting(path);
        auto set = openScraps(*connection);
        set->setFilter(u"LevNo"_s, 3);
        set->moveNext();
        set->setValue(u"a02"_s, u"changed"_s);
        set->update();
        QCOMPARE(set->text(u"a02"_s), u"changed"_s);
        set->moveFirst();
        set->deleteCurrent();
        set->clearFilter();
        QCOMPARE(visiblePfIDs(*set), QList<int>({3, 1, 5, 4}));
    }
    QCOMPARE(storedScraps(path), QStringList({u"3|'c'"_s, u"1|'a'"_s, u"5|'e'"_s, u"4|'changed'"_s}));
}

void ResultSetTest::deleteCurrent_nextMoveLandsBesideDeletedRow_data()
{
    QTest::addColumn<int>("deleteAt");
    QTest::addColumn<QString>("move");
    QTest::addColumn<int>("position"); // among the four rows left; 0 at either end
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");

    QTest::newRow("middle, next") << 2 << u"N"_s << 2 << false << false;
    QTest::newRow("middle, previous") << 3 << u"P"_s << 2 << false << false;
    QTest::newRow("first, next") << 1 << u"N"_s << 1 << false << false;
    QTest::newRow("first, previous") << 1 << u"P"_s << 0 << true << false;
    QTest::newRow("last, next") << 5 << u"N"_s << 0 << false << true;
    QTest::newRow("last, previous") << 5 << u"P"_s << 4 << false << false;
    QTest::newRow("no move") << 2 << QString() << 0 << false << false;
}

void ResultSetTest::deleteCurrent_nextMoveLandsBesideDeletedRow()
{
    QFETCH(int, deleteAt);
    QFETCH(QString, move);
    QFETCH(int, position);
    QFETCH(bool, bof);
    QFETCH(bool, eof);
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    auto connection = Connection::openExisting(path);
    auto set = openScraps(*connection);
    set->setAbsolutePosition(deleteAt);
    set->deleteCurrent();
    if (move == u"N")
        set->moveNext();
    else if (move == u"P")
        set->movePrevious();

    QList<int> left = kStoredOrder;
    left.removeAt(deleteAt - 1);
    QCOMPARE(set->recordCount(), left.size());
    QCOMPARE(set->bof(), bof);
    QCOMPARE(set->eof(), eof);
    QCOMPARE(set->absolutePosition(), position);
    if (position > 0)
        QCOMPARE(set->integer(u"pfID"_s), left[position - 1]);
    else
        QCOMPARE(thrownCode([&] { set->value(0); }), DbError::kNoCurrentRow);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM MEMO_IDX WHERE pfID = %1"_s.arg(kStoredOrder[deleteAt - 1])),
             0);
    QCOMPARE(storedScraps(path).size(), left.size());
}

void ResultSetTest::addNewUpdate_appendsAndBecomesCurrent()
{
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    const QStringList stored = storedScraps(path);
    auto connection = Connection::openExisting(path);
    auto set = openScraps(*connection);
    set->moveNext();
    set->addNew();
    set->setValue(u"a02"_s, u"abandoned"_s);
    set->cancelUpdate();
    set->update();
    QCOMPARE(set->absolutePosition(), 2);

    set->addNew();
    set->setValue(u"pfID"_s, 6);
    set->setValue(u"a02"_s, u"f"_s);
    set->update();

    QCOMPARE(set->recordCount(), 6);
    QCOMPARE(set->absolutePosition(), 6);
    QCOMPARE(set->integer(u"pfID"_s), 6);
    QCOMPARE(set->rowid(), scalar(*connection, u"SELECT max(rowid) FROM MEMO_IDX"_s));
    set->moveFirst();
    set->moveLast();
    QCOMPARE(set->text(u"a02"_s), u"f"_s);
    QCOMPARE(storedScraps(path), stored + QStringList{u"6|'f'"_s});
}

void ResultSetTest::updateOfRowDeletedElsewhere_reportsError()
{
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    auto connection = Connection::openExisting(path);
    auto set = openScraps(*connection);
    Connection::openExisting(path)->execute(u"DELETE FROM MEMO_IDX WHERE pfID = 3"_s);

    set->setValue(u"a02"_s, u"lost"_s);
    // Told as a scrap no longer there, in words the user understands.
    QCOMPARE(thrownCode([&] { set->update(); }), DbError::kNoCurrentRow);
    QCOMPARE(storedScraps(path), QStringList({u"1|'a'"_s, u"5|'e'"_s, u"2|'b'"_s, u"4|'d'"_s}));
}

void ResultSetTest::selectSet_refusesWrites_data()
{
    QTest::addColumn<QString>("write");

    QTest::newRow("add") << u"add"_s;
    QTest::newRow("change") << u"change"_s;
    QTest::newRow("delete") << u"delete"_s;
}

void ResultSetTest::selectSet_refusesWrites()
{
    QFETCH(QString, write);
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    const QStringList stored = storedScraps(path);
    auto connection = Connection::openExisting(path);
    auto set = ResultSet::open(*connection,
                               ResultSource::fromSelect(u"SELECT pfID, a02 FROM MEMO_IDX WHERE LevNo = ?"_s, {3}));
    QCOMPARE(set->recordCount(), 2);
    QVERIFY(!set->supportsAddNew());
    const int code = thrownCode([&] {
        if (write == u"add") {
            set->addNew();
            set->setValue(u"a02"_s, u"new"_s);
        } else if (write == u"change") {
            set->setValue(u"a02"_s, u"changed"_s);
        } else {
            set->deleteCurrent();
        }
        set->update();
    });
    QCOMPARE(code, DbError::kNotUpdatable);
    QCOMPARE(storedScraps(path), stored);
}
