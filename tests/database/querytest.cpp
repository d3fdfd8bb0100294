#include "database/query.h"

#include "database/connection.h"
#include "database/resultset.h"
#include "database/transaction.h"
#include "databasetesthelpers.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

void QueryTest::text_roundTripsThroughFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");

    QTest::newRow("apostrophes") << u"O'Brien's 'quoted' ''"_s << QString();
    QTest::newRow("double quotes") << u"映画\"Shall we ダンス?\""_s << QString();
    QTest::newRow("wildcards and backslashes") << u"100% _done_ C:\\temp\\"_s << QString();
    QTest::newRow("Japanese") << u"日本語の本文。全角スペース　あり"_s << QString();
    QTest::newRow("outside the BMP") << u"𠮷野家で🍣を食べた"_s << QString();
    QTest::newRow("line breaks") << u"first\r\nsecond\nthird\r\n"_s << QString();
    // A text from the web may begin with a byte order mark, which is a character of the text like any other.
    QTest::newRow("byte order mark first") << u"\uFEFF日本の記事"_s << QString();
    QTest::newRow("swapped byte order mark first") << u"\uFFFE日B"_s << QString();
    // A damaged old file's lone surrogate takes no character with it.
    const QChar high(0xD800);
    const QChar low(0xDC00);
    QTest::newRow("lone surrogates") << u"A"_s + high + u'B' + low + u'C' + high << u"A\uFFFDB\uFFFDC\uFFFD"_s;
    // Bodies over 64 KB exist; a 16-bit length anywhere would cut them.
    QTest::newRow("long body") << u"本文 text\r\n"_s.repeated(7000) << QString();
}

void QueryTest::text_roundTripsThroughFile()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    if (stored.isNull())
        stored = text;
    TestFolder folder;
    const QString path = folder.newCollection();
    {
        auto connection = Connection::openExisting(path);
        Query insert(*connection, u"INSERT INTO MEMO_DAT (pfID, a01) VALUES (1, ?)"_s);
        insert.bind(1, text).run();
        auto set = ResultSet::open(*connection, ResultSource::wholeTable(u"MEMO_DAT"_s));
        set->addNew();
        set->setValue(u"pfID"_s, 2);
        set->setValue(u"a01"_s, text);
        set->update();
    }
    auto connection = Connection::openExisting(path);
    Query read(*connection, u"SELECT a01, hex(a01), length(a01) FROM MEMO_DAT ORDER BY pfID"_s);
    for (int pfID = 1; pfID <= 2; ++pfID) {
        QVERIFY(read.next());
        QCOMPARE(read.text(0), stored);
        // Stored as proper UTF-8 text, so other tools read the same characters.
        QCOMPARE(read.text(1), QString::fromLatin1(stored.toUtf8().toHex().toUpper()));
        QCOMPARE(read.integer(2), qint64(stored.toUcs4().size()));
    }
    auto set = ResultSet::open(*connection, ResultSource::fromTable(u"MEMO_DAT"_s, u" WHERE pfID = ?"_s, {1}));
    QCOMPARE(set->text(u"a01"_s), stored);
}

void QueryTest::emptyText_staysApartFromNull_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("storedType");

    QTest::newRow("empty text") << QVariant(u""_s) << u"text"_s;
    QTest::newRow("null string") << QVariant(QString()) << u"text"_s;
    QTest::newRow("no value") << QVariant() << u"null"_s;
}

void QueryTest::emptyText_staysApartFromNull()
{
    QFETCH(QVariant, value);
    QFETCH(QString, storedType);
    TestFolder folder;
    const QString path = folder.newCollection();
    {
        auto connection = Connection::openExisting(path);
        Query insert(*connection, u"INSERT INTO MEMO_DAT (pfID, a01) VALUES (1, ?)"_s);
        insert.bind(1, value).run();
        auto set = ResultSet::open(*connection, ResultSource::wholeTable(u"MEMO_DAT"_s));
        set->addNew();
        set->setValue(u"pfID"_s, 2);
        set->setValue(u"a01"_s, value);
        set->update();
    }
    auto connection = Connection::openExisting(path);
    QCOMPARE(rowsOf(*connection, u"SELECT typeof(a01) FROM MEMO_DAT ORDER BY pfID"_s),
             QStringList(2, u'\'' + storedType + u'\''));
    auto set = ResultSet::open(*connection, ResultSource::wholeTable(u"MEMO_DAT"_s));
    for (; !set->eof(); set->moveNext()) {
        QCOMPARE(set->value(u"a01"_s).isValid(), storedType != u"null");
        QCOMPARE(set->text(u"a01"_s), QString());
    }
}

void QueryTest::sqlWithTwoStatements_refusedBeforeRunning_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("refused");

    QTest::newRow("insert then drop") << u"INSERT INTO Speak (Speed) VALUES (1); DROP TABLE Marker"_s << true;
    QTest::newRow("two inserts") << u"INSERT INTO Speak (Speed) VALUES (1);INSERT INTO Speak (Speed) VALUES (2)"_s
                                 << true;
    QTest::newRow("closing semicolon") << u"INSERT INTO Speak (Speed) VALUES (1);"_s << false;
    QTest::newRow("semicolon and blanks") << u"INSERT INTO Speak (Speed) VALUES (1) ;  \n"_s << false;
    QTest::newRow("semicolon in text") << u"INSERT INTO Speak (Character) VALUES ('a; DROP TABLE Marker')"_s << false;
}

void QueryTest::sqlWithTwoStatements_refusedBeforeRunning()
{
    QFETCH(QString, sql);
    QFETCH(bool, refused);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    const int code = thrownCode([&] {
        Query query(*connection, sql);
        query.run();
    });
    QCOMPARE(code, refused ? SQLITE_MISUSE : 0);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM Speak"_s), refused ? 0 : 1);
    QVERIFY(connection->hasTable(u"Marker"_s));
}

void QueryTest::escapeLike_matchesWildcardsLiterally_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QStringList>("matches");

    QTest::newRow("percent") << u"%"_s << QStringList{u"'100%'"_s};
    QTest::newRow("percent after digit") << u"0%"_s << QStringList{u"'100%'"_s};
    QTest::newRow("underscore") << u"_"_s << QStringList{u"'a_b'"_s};
    QTest::newRow("underscore inside") << u"a_b"_s << QStringList{u"'a_b'"_s};
    QTest::newRow("backslash") << u"\\"_s << QStringList{u"'c:\\x'"_s};
    QTest::newRow("backslash inside") << u"c:\\x"_s << QStringList{u"'c:\\x'"_s};
    QTest::newRow("no wildcard") << u"00"_s << QStringList{u"'100%'"_s, u"'1000'"_s};
}

void QueryTest::escapeLike_matchesWildcardsLiterally()
{
    QFETCH(QString, needle);
    QFETCH(QStringList, matches);
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    Query insert(*connection, u"INSERT INTO extraNodeMEMO (nName) VALUES (?)"_s);
    for (const QString& name : {u"100%"_s, u"1000"_s, u"a_b"_s, u"axb"_s, u"c:\\x"_s, u"c:x"_s}) {
        insert.bind(1, name).run();
        insert.reset();
    }
    Query find(*connection,
               u"SELECT nName FROM extraNodeMEMO WHERE nName LIKE '%' || ? || '%' ESCAPE '\\' ORDER BY rowid"_s);
    find.bind(1, escapeLike(needle));
    QStringList found;
    while (find.next())
        found << u'\'' + find.text(0) + u'\'';
    QCOMPARE(found, matches);
}

void QueryTest::transaction_keepsChangesOnlyWhenCommitted_data()
{
    QTest::addColumn<bool>("commit");

    QTest::newRow("committed") << true;
    QTest::newRow("failed before commit") << false;
}

void QueryTest::transaction_keepsChangesOnlyWhenCommitted()
{
    QFETCH(bool, commit);
    TestFolder folder;
    const QString path = folder.newCollection();
    const QByteArray before = TestFolder::read(path);
    {
        auto connection = Connection::openExisting(path);
        const int code = thrownCode([&] {
            Transaction transaction(*connection);
            connection->execute(u"DELETE FROM Status"_s);
            auto set = ResultSet::open(*connection, ResultSource::wholeTable(u"Speak"_s));
            set->addNew();
            set->setValue(u"Character"_s, u"Marlin"_s);
            set->update();
            if (!commit)
                throw DbError(SQLITE_ERROR, u"stopped halfway"_s);
            transaction.commit();
        });
        QCOMPARE(code, commit ? 0 : SQLITE_ERROR);
    }
    auto connection = Connection::openExisting(path);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM Status"_s), commit ? 0 : 5);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM Speak"_s), commit ? 1 : 0);
    if (!commit)
        QCOMPARE(TestFolder::read(path), before);
}

void QueryTest::transactionInsideAnother_throwsDbError()
{
    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    Transaction outer(*connection);
    QVERIFY(thrownCode([&] { Transaction inner(*connection); }) != 0);
}
