#include "database/creation.h"

#include "database/connection.h"
#include "database/opening.h"
#include "databasetesthelpers.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

void CreationTest::create_leavesOnlyTheNewFileInFolder_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << u"Zettora.mdb"_s;
    QTest::newRow("Japanese") << u"切り抜き帳.mdb"_s;
    QTest::newRow("quotes and spaces") << u"my 'clips' \"2024\".mdb"_s;
    // File names may hold 255 bytes; a name near that must not fail through a longer temporary name.
    QTest::newRow("longest name") << repeated(u'a', 251) + u".mdb"_s;
    QTest::newRow("long Japanese name") << repeated(u'帳', 83) + u".mdb"_s;
}

void CreationTest::create_leavesOnlyTheNewFileInFolder()
{
    QFETCH(QString, name);
    TestFolder folder;
    QCOMPARE(thrownCode([&] { createScrapDatabaseFile(folder.path(name)); }), 0);
    QCOMPARE(folderContents(folder.folder()).keys(), QStringList{name});
    auto connection = OpenSharedConnection(folder.path(name));
    QVERIFY(CheckDatabaseKind(*connection).accepted());
}

void CreationTest::create_refusedTarget_leavesFolderUntouched_data()
{
    QTest::addColumn<QString>("target");

    QTest::newRow("existing file") << u"file.mdb"_s;
    QTest::newRow("existing collection") << u"collection.mdb"_s;
    QTest::newRow("existing folder") << u"folder.mdb"_s;
    QTest::newRow("dangling link") << u"link.mdb"_s;
    QTest::newRow("missing folder") << u"missing/new.mdb"_s;
    QTest::newRow("folder is a file") << u"file.mdb/new.mdb"_s;
}

void CreationTest::create_refusedTarget_leavesFolderUntouched()
{
    QFETCH(QString, target);
    TestFolder folder;
    folder.writeFile(u"file.mdb"_s, "not to be replaced");
    folder.newCollection(u"collection.mdb"_s);
    QVERIFY(QDir(folder.folder()).mkdir(u"folder.mdb"_s));
    QVERIFY(QFile::link(folder.path(u"nowhere.mdb"_s), folder.path(u"link.mdb"_s)));
    const auto before = folderContents(folder.folder());

    QVERIFY(thrownCode([&] { createScrapDatabaseFile(folder.path(target)); }) != 0);
    QCOMPARE(folderContents(folder.folder()), before);
}

void CreationTest::withDatabaseExtension_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("path");

    QTest::newRow("no extension") << u"/x/clips"_s << u"/x/clips.mdb"_s;
    QTest::newRow("has extension") << u"/x/clips.mdb"_s << u"/x/clips.mdb"_s;
    QTest::newRow("upper-case extension") << u"/x/clips.MDB"_s << u"/x/clips.MDB"_s;
    QTest::newRow("other extension") << u"/x/clips.txt"_s << u"/x/clips.txt.mdb"_s;
    QTest::newRow("extension inside") << u"/x/clips.mdb.old"_s << u"/x/clips.mdb.old.mdb"_s;
    QTest::newRow("Japanese") << u"/x/切り抜き"_s << u"/x/切り抜き.mdb"_s;
}

void CreationTest::withDatabaseExtension()
{
    QFETCH(QString, answer);
    QFETCH(QString, path);
    QCOMPARE(::withDatabaseExtension(answer), path);
}
