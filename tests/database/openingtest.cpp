#include "database/opening.h"

#include "database/connection.h"
#include "database/resultset.h"
#include "databasetesthelpers.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Opening a file that is not a scrap database must refuse it without a crash and without writing to it.
void expectRefusedAndUntouched(const QByteArray& bytes)
{
    TestFolder folder;
    const QString path = folder.writeFile(u"foreign.mdb"_s, bytes);
    const auto before = folderContents(folder.folder());
    bool accepted = false;
    thrownCode([&] {
        auto connection = OpenSharedConnection(path);
        accepted = CheckDatabaseKind(*connection).accepted();
    });
    QVERIFY(!accepted);
    QCOMPARE(folderContents(folder.folder()), before);
}

} // namespace

void OpeningTest::checkDatabaseKind_acceptsOnlyScrapKinds_data()
{
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<bool>("hasKindTable");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("new collection") << QStringList() << true << 2 << true;
    QTest::newRow("saved edition") << QStringList{u"UPDATE DBID SET dbid = -2"_s} << true << -2 << true;
    QTest::newRow("other kind") << QStringList{u"UPDATE DBID SET dbid = 7"_s} << true << 7 << false;
    QTest::newRow("no kind row") << QStringList{u"DELETE FROM DBID"_s} << true << 0 << false;
    QTest::newRow("kind NULL") << QStringList{u"UPDATE DBID SET dbid = NULL"_s} << true << 0 << false;
    QTest::newRow("kind as text") << QStringList{u"UPDATE DBID SET dbid = 'two'"_s} << true << 0 << false;
    QTest::newRow("first row decides") << QStringList{u"INSERT INTO DBID VALUES (7)"_s} << true << 2 << true;
    QTest::newRow("no kind column") << QStringList{u"DROP TABLE DBID"_s, u"CREATE TABLE DBID (kind INTEGER)"_s,
                                                   u"INSERT INTO DBID VALUES (2)"_s}
                                    << true << 0 << false;
    QTest::newRow("no kind table") << QStringList{u"DROP TABLE DBID"_s} << false << 0 << false;
    QTest::newRow("kind table in lower case")
        << QStringList{u"DROP TABLE DBID"_s, u"CREATE TABLE dbid (dbid INTEGER)"_s, u"INSERT INTO dbid VALUES (2)"_s}
        << false << 0 << false;
}

void OpeningTest::checkDatabaseKind_acceptsOnlyScrapKinds()
{
    QFETCH(QStringList, changes);
    QFETCH(bool, hasKindTable);
    QFETCH(int, kind);
    QFETCH(bool, accepted);
    TestFolder folder;
    const QString path = folder.newCollection();
    for (const QString& change : changes)
        alterCollection(path, change);
    auto connection = OpenSharedConnection(path);
    const KindCheck check = CheckDatabaseKind(*connection);
    QCOMPARE(check.hasKindTable, hasKindTable);
    QCOMPARE(check.kind, kind);
    QCOMPARE(check.accepted(), accepted);
}

void OpeningTest::foreignFile_refusedAndUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator(20240229).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    QByteArray damaged = noise;
    damaged.replace(0, 16, QByteArray("SQLite format 3\0", 16));
    TestFolder folder;
    const QByteArray collection = TestFolder::read(folder.newCollection());

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file") << QByteArray("not a database\r\n");
    QTest::newRow("random bytes") << noise;
    QTest::newRow("damaged header") << damaged;
    QTest::newRow("cut short") << collection.left(2048);
}

void OpeningTest::foreignFile_refusedAndUntouched()
{
    QFETCH(QByteArray, bytes);
    expectRefusedAndUntouched(bytes);
}

void OpeningTest::legacyAccessFile_refusedAndUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QString samples = qEnvironmentVariable("ZETTORA_SAMPLES");
    const QStringList files =
        samples.isEmpty() ? QStringList() : QDir(samples).entryList({u"*.mdb"_s}, QDir::Files, QDir::Name);
    // The samples ship with the tests: their absence is a failure, never a skip.
    if (files.isEmpty())
        QTest::newRow("samples missing from tests/data/legacy-samples") << QByteArray();
    for (const QString& file : files)
        QTest::newRow(qPrintable(file)) << TestFolder::read(QDir(samples).filePath(file));
}

void OpeningTest::legacyAccessFile_refusedAndUntouched()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!bytes.isEmpty());
    expectRefusedAndUntouched(bytes);
}

void OpeningTest::openMissingPath_throwsAndCreatesNothing_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("missing file") << u"missing.mdb"_s;
    QTest::newRow("missing folder") << u"missing/missing.mdb"_s;
    QTest::newRow("a folder") << u"folder.mdb"_s;
}

void OpeningTest::openMissingPath_throwsAndCreatesNothing()
{
    QFETCH(QString, name);
    TestFolder folder;
    QVERIFY(QDir(folder.folder()).mkdir(u"folder.mdb"_s));
    const auto before = folderContents(folder.folder());
    QVERIFY(thrownCode([&] { OpenSharedConnection(folder.path(name)); }) != 0);
    QCOMPARE(folderContents(folder.folder()), before);
}

void OpeningTest::openResultSet_keepsOnlyWritableSets_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("opened");

    QTest::newRow("whole table") << u"MEMO_IDX"_s << QString() << QString() << true;
    QTest::newRow("narrowed table") << u"MEMO_IDX"_s << u" WHERE pfID > 0 ORDER BY pfID"_s << QString() << true;
    QTest::newRow("free select") << QString() << QString() << u"SELECT * FROM MEMO_IDX"_s << false;
    QTest::newRow("unknown table") << u"Nope"_s << QString() << QString() << false;
    QTest::newRow("engine's own table") << u"sqlite_schema"_s << QString() << QString() << false;
    QTest::newRow("name with quotes") << u"DBID\"; DROP TABLE \"Marker"_s << QString() << QString() << false;
    QTest::newRow("bad tail") << u"MEMO_IDX"_s << u" WHERE nosuch = 1"_s << QString() << false;
    QTest::newRow("no connection") << QString() << QString() << QString() << false;
}

void OpeningTest::openResultSet_keepsOnlyWritableSets()
{
    QFETCH(QString, table);
    QFETCH(QString, tail);
    QFETCH(QString, select);
    QFETCH(bool, opened);
    TestFolder folder;
    auto connection = OpenSharedConnection(folder.newCollection());
    const ResultSource source =
        select.isEmpty() ? ResultSource::fromTable(table, tail) : ResultSource::fromSelect(select);
    const bool hasConnection = !table.isEmpty() || !select.isEmpty();

    const auto shared = OpenWritableResultSet(hasConnection ? connection.get() : nullptr, source);
    QCOMPARE(shared != nullptr, opened);
    if (opened)
        QCOMPARE(shared->table(), table);
    QVERIFY(connection->hasTable(u"Marker"_s));
}

void OpeningTest::databaseNameOf_dropsFolderAndExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << u"/x/y/Foo.mdb"_s << u"Foo"_s;
    QTest::newRow("upper-case extension") << u"/x/y/Foo.MDB"_s << u"Foo"_s;
    QTest::newRow("dots in name") << u"/x/y/a.b.mdb"_s << u"a.b"_s;
    QTest::newRow("no extension") << u"/x/y/Foo"_s << u"Foo"_s;
    QTest::newRow("other extension") << u"/x/y/Foo.mdb.bak"_s << u"Foo.mdb.bak"_s;
    QTest::newRow("Japanese") << u"/x/切り抜き/帳.mdb"_s << u"帳"_s;
}

void OpeningTest::databaseNameOf_dropsFolderAndExtension()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(databaseNameOf(path), name);
}
