#include "database/recordstore.h"

#include "database/connection.h"
#include "database/query.h"
#include "database/resultset.h"
#include "database/transaction.h"
#include "databasetesthelpers.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QRegularExpression>
#include <QTest>

#include <sqlite3.h>

#include <map>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NumberKind)

namespace {

const QRegularExpression kNoNumberWarning(u"^no number taken"_s);

struct FixtureScrap {
    char16_t letter;
    int pfID;
    int skID;
    int levNo;
};

// Picture set numbers differ from body numbers, so that mixing the two up deletes a neighbour's pictures.
const FixtureScrap kScraps[] = {{u'A', 1, 1, 3}, {u'B', 2, 0, 1}, {u'C', 3, 2, 3}, {u'D', 4, 3, 1}};

void addPicture(Connection& connection, int skID, const QString& caption)
{
    Query insert(connection, u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, ?, ?)"_s);
    insert.bind(1, skID).bind(2, caption).bind(3, QByteArray("\xFF\xD8\xFF\xD9", 4)).run();
}

// Four scraps titled A..D, each with a body holding its letter, two marks and (all but B) two pictures captioned
// with its letter; pictures filed under set 0 ("-") belong to none.
QString collectionWithScraps(const TestFolder& folder)
{
    const QString path = folder.newCollection();
    auto connection = Connection::openExisting(path);
    addPicture(*connection, 0, u"-"_s);
    for (const FixtureScrap& s : kScraps) {
        const QString letter(QChar{s.letter});
        TestScrap scrap;
        scrap.title = letter;
        scrap.pfID = s.pfID;
        scrap.skID = s.skID;
        scrap.levNo = s.levNo;
        addScrap(*connection, scrap);
        AddScrapBody(*connection, qint64(s.pfID), letter);
        AppendMarkRow(*connection, qint64(s.pfID), {false, 0, 1});
        AppendMarkRow(*connection, qint64(s.pfID), {true, 0, 1});
        for (int i = 0; s.skID != 0 && i < 2; ++i)
            addPicture(*connection, s.skID, letter);
    }
    addPicture(*connection, 0, u"-"_s);
    return path;
}

// Every row of the four scrap tables as "TABLE owner", in stored order.
QStringList ownedRows(Connection& connection)
{
    const std::pair<QString, QString> tables[] = {
        {u"MEMO_IDX"_s, u"SELECT a02 FROM MEMO_IDX ORDER BY rowid"_s},
        {u"MEMO_DAT"_s, u"SELECT a01 FROM MEMO_DAT ORDER BY rowid"_s},
        {u"MEMO_UNDERLINE"_s, u"SELECT char(64 + pfID) FROM MEMO_UNDERLINE ORDER BY rowid"_s},
        {u"PHOTO_DRA"_s, u"SELECT a01 FROM PHOTO_DRA ORDER BY rowid"_s},
    };
    QStringList rows;
    for (const auto& [table, select] : tables) {
        if (!connection.hasTable(table)) {
            rows << table + u" dropped"_s;
            continue;
        }
        Query query(connection, select);
        while (query.next())
            rows << table + u' ' + query.text(0);
    }
    return rows;
}

QStringList ownedRows(const QString& path)
{
    auto connection = Connection::openExisting(path);
    return ownedRows(*connection);
}

QStringList without(QStringList rows, const QString& letters)
{
    rows.removeIf([&letters](const QString& row) { return letters.contains(row.back()); });
    return rows;
}

QString visibleTitles(ResultSet& set)
{
    QString titles;
    for (set.moveFirst(); !set.eof(); set.moveNext())
        titles += set.text(u"a02"_s);
    return titles;
}

std::unique_ptr<ResultSet> openScraps(Connection& connection, int levNo = 0)
{
    auto set = ResultSet::open(connection, ResultSource::wholeTable(u"MEMO_IDX"_s));
    if (levNo != 0)
        set->setFilter(u"LevNo"_s, levNo);
    return set;
}

QStringList counterRows(Connection& connection)
{
    return rowsOf(connection, u"SELECT * FROM IDno ORDER BY rowid"_s);
}

QStringList marksText(const QList<MarkRow>& marks)
{
    QStringList text;
    for (const MarkRow& m : marks)
        text << u"%1 %2+%3"_s.arg(m.selUnder ? u"unmark"_s : u"mark"_s).arg(m.startP).arg(m.selLen);
    return text;
}

} // namespace

void RecordStoreTest::takeNextNumber_advancesOnlyItsColumnOfTheFirstRow_data()
{
    QTest::addColumn<NumberKind>("kind");
    QTest::addColumn<QString>("change");
    QTest::addColumn<qint64>("inUse");
    QTest::addColumn<QList<qint64>>("taken");
    QTest::addColumn<QStringList>("counter");

    QTest::newRow("DocNo in a new file") << NumberKind::DocNo << QString() << 0LL << QList<qint64>{1, 2}
                                         << QStringList{u"9|0|0|0|2"_s};
    QTest::newRow("skID in a new file") << NumberKind::skID << QString() << 0LL << QList<qint64>{1, 2}
                                        << QStringList{u"9|0|2|0|0"_s};
    QTest::newRow("pfID in a new file") << NumberKind::pfID << QString() << 0LL << QList<qint64>{1, 2}
                                        << QStringList{u"9|0|0|2|0"_s};
    QTest::newRow("ndID of the favourites")
        << NumberKind::ndID << QString() << 0LL << QList<qint64>{10} << QStringList{u"10|0|0|0|0"_s};
    QTest::newRow("second counter row left alone")
        << NumberKind::pfID << u"INSERT INTO IDno VALUES (1, 1, 50, 50, 50)"_s << 0LL << QList<qint64>{1}
        << QStringList{u"9|0|0|1|0"_s, u"1|1|50|50|50"_s};
    QTest::newRow("on past 32,767") << NumberKind::DocNo << u"UPDATE IDno SET DocNo = 32766"_s << 0LL
                                    << QList<qint64>{32767, 32768, 32769} << QStringList{u"9|0|0|0|32769"_s};
    QTest::newRow("behind a number in use: moved up to it")
        << NumberKind::pfID << u"UPDATE IDno SET pfID = 3"_s << 40000LL << QList<qint64>{40001, 40002}
        << QStringList{u"9|0|0|40002|0"_s};
    QTest::newRow("ahead of the numbers in use: kept") << NumberKind::skID << u"UPDATE IDno SET skID = 90"_s << 7LL
                                                       << QList<qint64>{91} << QStringList{u"9|0|91|0|0"_s};
    QTest::newRow("empty column") << NumberKind::DocNo << u"UPDATE IDno SET DocNo = NULL"_s << 0LL << QList<qint64>{1}
                                  << QStringList{u"9|0|0|0|1"_s};
    QTest::newRow("at the largest number a file holds")
        << NumberKind::DocNo << u"UPDATE IDno SET DocNo = 9223372036854775807"_s << 0LL << QList<qint64>{-1}
        << QStringList{u"9|0|0|0|9223372036854775807"_s};
}

void RecordStoreTest::takeNextNumber_advancesOnlyItsColumnOfTheFirstRow()
{
    QFETCH(NumberKind, kind);
    QFETCH(QString, change);
    QFETCH(qint64, inUse);
    QFETCH(QList<qint64>, taken);
    QFETCH(QStringList, counter);
    TestFolder folder;
    const QString path = folder.newCollection();
    if (!change.isEmpty())
        alterCollection(path, change);
    {
        auto connection = Connection::openExisting(path);
        connection->setNumberInUse(counterColumnOf(kind), inUse);
        for (const qint64 expected : taken) {
            if (expected == -1)
                QTest::ignoreMessage(QtWarningMsg, kNoNumberWarning);
            const Result<qint64> number = TakeNextNumber(*connection, kind);
            QCOMPARE(number ? *number : -1, expected);
            if (!number)
                QCOMPARE(number.failure().why, kNumbersUsedUp);
        }
    }
    auto connection = Connection::openExisting(path);
    QCOMPARE(counterRows(*connection), counter);
}

void RecordStoreTest::takeNextNumber_brokenCounter_givesNoneWithoutThrowing_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("counterMissing");

    QTest::newRow("no counter row") << u"DELETE FROM IDno"_s << true;
    QTest::newRow("counter table dropped") << u"DROP TABLE IDno"_s << false;
    QTest::newRow("counter column dropped") << u"ALTER TABLE IDno DROP COLUMN DocNo"_s << false;
    QTest::newRow("file locked by another writer") << QString() << false;
}

void RecordStoreTest::takeNextNumber_brokenCounter_givesNoneWithoutThrowing()
{
    QFETCH(QString, change);
    QFETCH(bool, counterMissing);
    TestFolder folder;
    const QString path = folder.newCollection();
    if (!change.isEmpty())
        alterCollection(path, change);
    auto connection = Connection::openExisting(path);
    auto other = Connection::openExisting(path);
    std::optional<Transaction> lock;
    if (change.isEmpty())
        lock.emplace(*other);

    QTest::ignoreMessage(QtWarningMsg, kNoNumberWarning);
    const Result<qint64> number = TakeNextNumber(*connection, NumberKind::DocNo);
    QVERIFY(!number);
    QCOMPARE(number.failure().why == kNoCounterRow, counterMissing);
    lock.reset();
    if (change.isEmpty())
        QCOMPARE(counterRows(*connection), QStringList{u"9|0|0|0|0"_s});
}

void RecordStoreTest::takeNextNumber_insideTransaction_keptOnlyWhenCommitted_data()
{
    QTest::addColumn<bool>("commit");
    QTest::addColumn<int>("nextTaken");

    QTest::newRow("committed") << true << 2;
    QTest::newRow("rolled back") << false << 1;
}

void RecordStoreTest::takeNextNumber_insideTransaction_keptOnlyWhenCommitted()
{
    QFETCH(bool, commit);
    QFETCH(int, nextTaken);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    {
        Transaction transaction(*connection);
        QCOMPARE(*TakeNextNumber(*connection, NumberKind::pfID), 1);
        if (commit)
            transaction.commit();
    }
    QCOMPARE(*TakeNextNumber(*connection, NumberKind::pfID), nextTaken);
}

void RecordStoreTest::addScrapIndex_storesEveryFieldAndBecomesCurrent()
{
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    {
        auto connection = Connection::openExisting(path);
        auto set = openScraps(*connection);
        set->moveNext();
        const ScrapIndex index{u"重要"_s,
                               u"題名 'quoted'"_s,
                               u"2024-02-29"_s,
                               u"大分類"_s,
                               u"中分類"_s,
                               u"小分類"_s,
                               u"鍵"_s,
                               7,
                               5,
                               u"-2147483629"_s,
                               2,
                               6};
        AddScrapIndex(*set, index);
        QCOMPARE(set->recordCount(), 5);
        QCOMPARE(set->absolutePosition(), 5);
        QCOMPARE(set->rowid(), scalar(*connection, u"SELECT max(rowid) FROM MEMO_IDX"_s));
        QCOMPARE(set->integer(u"pfID"_s), 5);
        set->setFilter(u"pfID"_s, 5);
        QCOMPARE(set->recordCount(), 1);
    }
    auto connection = Connection::openExisting(path);
    QCOMPARE(
        rowsOf(*connection, u"SELECT * FROM MEMO_IDX WHERE pfID = 5"_s),
        QStringList{u"'重要'|'題名 'quoted''|'2024-02-29'|'大分類'|'中分類'|'小分類'|'鍵'|7|5|'-2147483629'|2|6"_s});
}

void RecordStoreTest::addScrapIndex_refusedValue_storesNothingAndStaysOnRecord_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("code");

    QTest::newRow("title of 256 characters") << u"a02"_s << repeated(u'題', 256) << int(DbError::kWidthExceeded);
    QTest::newRow("level of 21 characters") << u"a01"_s << repeated(u'x', 21) << int(DbError::kWidthExceeded);
    QTest::newRow("no such calendar date") << u"a03"_s << u"2023-02-29"_s << SQLITE_CONSTRAINT;
    QTest::newRow("title of 255 characters") << u"a02"_s << repeated(u'題', 255) << 0;
}

void RecordStoreTest::addScrapIndex_refusedValue_storesNothingAndStaysOnRecord()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, code);
    const std::map<QString, QString ScrapIndex::*> fields = {
        {u"a01"_s, &ScrapIndex::a01}, {u"a02"_s, &ScrapIndex::a02}, {u"a03"_s, &ScrapIndex::a03}};
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    const QStringList before = ownedRows(path);
    auto connection = Connection::openExisting(path);
    auto set = openScraps(*connection);
    set->moveNext();
    ScrapIndex index{u"普通"_s, u"E"_s, u"2024-01-01"_s, {}, {}, {}, {}, 0, 5, u"0"_s, 1, 5};
    index.*fields.at(field) = value;

    QCOMPARE(thrownCode([&] { AddScrapIndex(*set, index); }), code);
    QVERIFY(!set->isEditing());
    if (code == 0) {
        QCOMPARE(ownedRows(path).size(), before.size() + 1);
        return;
    }
    QCOMPARE(ownedRows(path), before);
    QCOMPARE(set->recordCount(), 4);
    QCOMPARE(set->text(u"a02"_s), u"B"_s);
    set->moveLast();
    QCOMPARE(set->text(u"a02"_s), u"D"_s);
}

void RecordStoreTest::body_roundTripsUnchangedThroughFile_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("line breaks") << u"first\nsecond\n\nfourth\n"_s;
    QTest::newRow("Japanese") << u"日本語の本文。\n全角スペース　あり"_s;
    QTest::newRow("outside the BMP") << u"𠮷野家で🍣を食べた"_s;
    QTest::newRow("empty") << u""_s;
}

void RecordStoreTest::body_roundTripsUnchangedThroughFile()
{
    QFETCH(QString, text);
    TestFolder folder;
    const QString path = folder.newCollection();
    const QString saved = text + u"\n追記 𝄞"_s;
    {
        auto connection = Connection::openExisting(path);
        AddScrapBody(*connection, 1, u"neighbour"_s);
        AddScrapBody(*connection, 2, text);
    }
    {
        auto connection = Connection::openExisting(path);
        QCOMPARE(LoadScrapBody(*connection, 2), std::optional<QString>(text));
        QCOMPARE(rowsOf(*connection, u"SELECT a01 FROM MEMO_DAT WHERE pfID = 2"_s), QStringList{u'\'' + text + u'\''});
        QVERIFY(SaveScrapBody(*connection, 2, saved));
    }
    auto connection = Connection::openExisting(path);
    QCOMPARE(LoadScrapBody(*connection, 2), std::optional<QString>(saved));
    QCOMPARE(LoadScrapBody(*connection, 1), std::optional<QString>(u"neighbour"_s));
}

void RecordStoreTest::body_onlyFirstRowOfItsNumberIsReadAndWritten_data()
{
    QTest::addColumn<int>("pfID");
    QTest::addColumn<QVariant>("loaded"); // invalid when there is no body
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("two rows of one number")
        << 1 << QVariant(u"first"_s) << QStringList{u"1|'saved'"_s, u"2|'other'"_s, u"1|'second'"_s};
    QTest::newRow("no row") << 3 << QVariant() << QStringList{u"1|'first'"_s, u"2|'other'"_s, u"1|'second'"_s};
}

void RecordStoreTest::body_onlyFirstRowOfItsNumberIsReadAndWritten()
{
    QFETCH(int, pfID);
    QFETCH(QVariant, loaded);
    QFETCH(QStringList, stored);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    AddScrapBody(*connection, 1, u"first"_s);
    AddScrapBody(*connection, 2, u"other"_s);
    AddScrapBody(*connection, 1, u"second"_s);

    const std::optional<QString> body = LoadScrapBody(*connection, qint64(pfID));
    QCOMPARE(body.has_value(), loaded.isValid());
    if (body)
        QCOMPARE(*body, loaded.toString());
    QCOMPARE(SaveScrapBody(*connection, qint64(pfID), u"saved"_s), loaded.isValid());
    QCOMPARE(rowsOf(*connection, u"SELECT pfID, a01 FROM MEMO_DAT ORDER BY rowid"_s), stored);
}

void RecordStoreTest::marks_comeBackInWrittenOrderAsZeroOrOne()
{
    TestFolder folder;
    const QString path = folder.newCollection();
    {
        auto connection = Connection::openExisting(path);
        AppendMarkRow(*connection, 1, {false, 10, 5});
        AppendMarkRow(*connection, 2, {true, 1, 1});
        AppendMarkRow(*connection, 1, {true, 2, 3});
        AppendMarkRow(*connection, 1, {false, 0, 40});
        // Files from the old program store "yes" as -1.
        connection->execute(u"INSERT INTO MEMO_UNDERLINE VALUES (3, -1, 4, 2)"_s);
    }
    auto connection = Connection::openExisting(path);
    QCOMPARE(marksText(LoadMarks(*connection, 1)), QStringList({u"mark 10+5"_s, u"unmark 2+3"_s, u"mark 0+40"_s}));
    QCOMPARE(marksText(LoadMarks(*connection, 3)), QStringList{u"unmark 4+2"_s});
    QVERIFY(LoadMarks(*connection, 4).isEmpty());
    QCOMPARE(rowsOf(*connection, u"SELECT SelUNDER FROM MEMO_UNDERLINE WHERE pfID < 3 ORDER BY rowid"_s),
             QStringList({u"0"_s, u"1"_s, u"1"_s, u"0"_s}));
}

void RecordStoreTest::deleteByNumber_removesOnlyThatNumbersRows_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("removed");

    QTest::newRow("body") << u"body"_s << 3 << QStringList{u"MEMO_DAT C"_s};
    QTest::newRow("marks") << u"marks"_s << 3 << QStringList(2, u"MEMO_UNDERLINE C"_s);
    QTest::newRow("picture set") << u"pictures"_s << 2 << QStringList(2, u"PHOTO_DRA C"_s);
    QTest::newRow("picture set 0 is no set") << u"pictures"_s << 0 << QStringList();
    QTest::newRow("unused number") << u"body"_s << 9 << QStringList();
}

void RecordStoreTest::deleteByNumber_removesOnlyThatNumbersRows()
{
    QFETCH(QString, rows);
    QFETCH(int, number);
    QFETCH(QStringList, removed);
    TestFolder folder;
    auto connection = Connection::openExisting(collectionWithScraps(folder));
    QStringList expected = ownedRows(*connection);
    for (const QString& row : removed)
        QVERIFY(expected.removeOne(row));

    if (rows == u"body")
        DeleteScrapBody(*connection, qint64(number));
    else if (rows == u"marks")
        DeleteScrapMarks(*connection, qint64(number));
    else
        DeletePictureSet(*connection, qint64(number));
    QCOMPARE(ownedRows(*connection), expected);
}

void RecordStoreTest::deleteCurrentScrap_removesExactlyItsOwnRows_data()
{
    QTest::addColumn<int>("levNo"); // 0: the set is not narrowed
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QString>("next"); // empty at the end

    QTest::newRow("scrap with pictures") << 0 << 1 << u"A"_s << u"B"_s;
    QTest::newRow("scrap without pictures") << 0 << 2 << u"B"_s << u"C"_s;
    QTest::newRow("last scrap") << 0 << 4 << u"D"_s << QString();
    QTest::newRow("through a narrowed set") << 3 << 2 << u"C"_s << QString();
}

void RecordStoreTest::deleteCurrentScrap_removesExactlyItsOwnRows()
{
    QFETCH(int, levNo);
    QFETCH(int, position);
    QFETCH(QString, deleted);
    QFETCH(QString, next);
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    const QStringList expected = without(ownedRows(path), deleted);
    {
        auto connection = Connection::openExisting(path);
        auto set = openScraps(*connection, levNo);
        const int count = set->recordCount();
        set->setAbsolutePosition(position);
        DeleteCurrentScrap(*connection, *set);
        QCOMPARE(ownedRows(*connection), expected);
        QCOMPARE(set->recordCount(), count - 1);
        QCOMPARE(set->absolutePosition(), 0);
        set->moveNext();
        QCOMPARE(set->eof() ? QString() : set->text(u"a02"_s), next);
    }
    QCOMPARE(ownedRows(path), expected);
}

void RecordStoreTest::deleteAllResults_removesExactlyTheListedScraps_data()
{
    QTest::addColumn<int>("levNo"); // 0: the set is not narrowed
    QTest::addColumn<QString>("deleted");

    QTest::newRow("narrowed, with pictures") << 3 << u"AC"_s;
    QTest::newRow("narrowed, one without pictures") << 1 << u"BD"_s;
    QTest::newRow("whole set") << 0 << u"ABCD"_s;
    QTest::newRow("nothing listed") << 9 << QString();
}

void RecordStoreTest::deleteAllResults_removesExactlyTheListedScraps()
{
    QFETCH(int, levNo);
    QFETCH(QString, deleted);
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    const QStringList expected = without(ownedRows(path), deleted);
    {
        auto connection = Connection::openExisting(path);
        auto set = openScraps(*connection, levNo);
        DeleteAllResults(*connection, *set);
        QCOMPARE(ownedRows(*connection), expected);
        QCOMPARE(set->recordCount(), 0);
        set->clearFilter();
        QCOMPARE(visibleTitles(*set), without({u"A"_s, u"B"_s, u"C"_s, u"D"_s}, deleted).join(QString()));
    }
    QCOMPARE(ownedRows(path), expected);
}

void RecordStoreTest::delete_failureHalfway_keepsEveryRowAndTheSet_data()
{
    QTest::addColumn<bool>("all");
    QTest::addColumn<QStringList>("sabotage");
    QTest::addColumn<int>("code");

    const auto refusal = [](const QString& table, const QString& when) {
        return QStringList{u"CREATE TRIGGER keep BEFORE DELETE ON "_s + table + when +
                           u" BEGIN SELECT RAISE(ABORT, 'kept'); END"_s};
    };
    // Every statement runs, then the commit fails: a row elsewhere still needs scrap A's body.
    const QStringList commitRefused = {
        u"CREATE UNIQUE INDEX body_number ON MEMO_DAT (pfID)"_s,
        u"CREATE TABLE holder (pfID INTEGER REFERENCES MEMO_DAT (pfID) DEFERRABLE INITIALLY DEFERRED)"_s,
        u"INSERT INTO holder VALUES (1)"_s,
        u"PRAGMA foreign_keys = ON"_s,
    };

    QTest::newRow("one, marks table dropped") << false << QStringList{u"DROP TABLE MEMO_UNDERLINE"_s} << SQLITE_ERROR;
    QTest::newRow("one, body refused") << false << refusal(u"MEMO_DAT"_s, {}) << SQLITE_CONSTRAINT;
    QTest::newRow("one, index row refused") << false << refusal(u"MEMO_IDX"_s, {}) << SQLITE_CONSTRAINT;
    QTest::newRow("one, commit refused") << false << commitRefused << SQLITE_CONSTRAINT;
    QTest::newRow("all, third body refused")
        << true << refusal(u"MEMO_DAT"_s, u" WHEN OLD.a01 = 'C'"_s) << SQLITE_CONSTRAINT;
    QTest::newRow("all, last index row refused")
        << true << refusal(u"MEMO_IDX"_s, u" WHEN OLD.a02 = 'D'"_s) << SQLITE_CONSTRAINT;
    QTest::newRow("all, pictures table dropped") << true << QStringList{u"DROP TABLE PHOTO_DRA"_s} << SQLITE_ERROR;
    QTest::newRow("all, commit refused") << true << commitRefused << SQLITE_CONSTRAINT;
}

void RecordStoreTest::delete_failureHalfway_keepsEveryRowAndTheSet()
{
    QFETCH(bool, all);
    QFETCH(QStringList, sabotage);
    QFETCH(int, code);
    TestFolder folder;
    const QString path = collectionWithScraps(folder);
    QStringList before;
    {
        auto connection = Connection::openExisting(path);
        auto set = openScraps(*connection);
        for (const QString& sql : sabotage)
            connection->execute(sql);
        before = ownedRows(*connection);

        const int thrown = thrownCode([&] {
            if (all)
                DeleteAllResults(*connection, *set);
            else
                DeleteCurrentScrap(*connection, *set);
        });
        QCOMPARE(thrown, code);
        QVERIFY(sqlite3_get_autocommit(connection->handle()) != 0);
        QCOMPARE(ownedRows(*connection), before);
        QCOMPARE(set->absolutePosition(), 1);
        QCOMPARE(visibleTitles(*set), u"ABCD"_s);
    }
    QCOMPARE(ownedRows(path), before);
}
