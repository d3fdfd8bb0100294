#include "savededitiontest.h"

#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/resultset.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"
#include "search/bodyindexer.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

// Five scraps under 政治, every one with a body and a mark; scrap 2 has two pictures, scraps 2 and 4 are 重要.
struct EditionFixture : Fixture {
    EditionFixture()
    {
        auto c = Connection::openExisting(dbPath());
        addClass(*c, 1, u"政治"_s, 2);
        addClass(*c, 1, u"経済"_s, 3);
        for (int i = 1; i <= 5; ++i) {
            TestScrap s = numberedScrap(i, i == 5 ? 3 : 2, {i == 5 ? u"経済"_s : u"政治"_s});
            s.level = (i == 2 || i == 4) ? u"重要"_s : u"普通"_s;
            s.skID = i == 2 ? 7 : 0;
            addScrap(*c, s);
            addBody(*c, i, u"本文%1\n二行目、'引用'"_s.arg(i));
            addMark(*c, i, true, 0, 2);
        }
        for (int n = 1; n <= 2; ++n) {
            Query insert(*c, u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (7, ?, ?)"_s);
            insert.bind(1, u"写真%1"_s.arg(n)).bind(2, encodedPicture({30 + n, 20}, "JPG")).run();
        }
    }
    QString dbPath() const { return folder.path(u"Zettora.mdb"_s); }
    void listPolitics(const QString& level = QString()) const
    {
        tabs()->setCurrentIndex(MainWindow::TabSearch);
        clickNode(child<QTreeWidget>(u"fg0")->topLevelItem(0)->child(0));
        if (level.isEmpty())
            return;
        window->toolbarButton(u"pDownMEMO"_s)->trigger();
        auto* levels = window->findChild<QWidget*>(u"Form8"_s)->findChild<QComboBox*>();
        levels->setCurrentIndex(levels->findText(level));
        Q_EMIT levels->activated(levels->currentIndex());
    }
    void makeEdition(const QString& folderPath)
    {
        dialogs.paths.enqueue(folderPath);
        dialogs.yesNo.enqueue(true);
        action(u"mReseveDo")->trigger();
    }
};

QStringList rows(const QString& path, const QString& sql)
{
    auto c = Connection::openExisting(path);
    Query q(*c, sql);
    QStringList values;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.columnCount(); ++i)
            fields << (q.value(i).typeId() == QMetaType::QByteArray ? QString::fromLatin1(q.blob(i).toHex())
                                                                    : q.value(i).toString());
        values << fields.join(u'|');
    }
    return values;
}

} // namespace

void SavedEditionTest::mReseveDo_copiesTheListedScraps_data()
{
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QList<int>>("docNos");
    QTest::addColumn<qint64>("past"); // every number of the collection moved up by this
    QTest::newRow("listed class, folder with spaces and Japanese")
        << QString() << u"保存 版/二〇二四 年"_s << QList<int>{1, 2, 3, 4} << 0LL;
    QTest::newRow("narrowed by importance") << u"重要"_s << u"narrowed"_s << QList<int>{2, 4} << 0LL;
    QTest::newRow("numbers past 2^32") << QString() << u"large"_s << QList<int>{1, 2, 3, 4} << 5000000000LL;
    // Another file system than the collection's, where one is at hand.
    if (QFileInfo(u"/dev/shm"_s).isWritable())
        QTest::newRow("another file system") << QString() << u"/dev/shm"_s << QList<int>{1, 2, 3, 4} << 0LL;
}

void SavedEditionTest::mReseveDo_copiesTheListedScraps()
{
    QFETCH(QString, level);
    QFETCH(QString, place);
    QFETCH(QList<int>, docNos);
    QFETCH(qint64, past);
    EditionFixture f;
    if (past) {
        auto c = Connection::openExisting(f.dbPath());
        for (const QString& sql :
             {u"UPDATE MEMO_IDX SET DocNo = DocNo + ?1, pfID = pfID + ?1, "
              u"skID = CASE WHEN skID <> 0 THEN skID + ?1 ELSE 0 END"_s,
              u"UPDATE MEMO_DAT SET pfID = pfID + ?1"_s, u"UPDATE MEMO_UNDERLINE SET pfID = pfID + ?1"_s,
              u"UPDATE PHOTO_DRA SET skID = skID + ?1"_s}) {
            Query move(*c, sql);
            move.bind(1, past).run();
        }
    }
    f.start();
    f.listPolitics(level);
    QTemporaryDir other(place.startsWith(u'/') ? place + u"/zettora-XXXXXX"_s
                                               : QDir::tempPath() + u"/zettora-XXXXXX"_s);
    const QString folder = place.startsWith(u'/') ? other.path() : QDir(other.path()).filePath(place);
    QVERIFY(QDir().mkpath(folder));
    f.makeEdition(folder);
    QCOMPARE(f.dialogs.lastText(), u"保存版を作成しました。"_s);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{u"Zettora.mdb"_s});
    QVERIFY(f.session.resultSet()->eof());

    const QString edition = QDir(folder).filePath(u"Zettora.mdb"_s);
    QCOMPARE(rows(edition, u"SELECT dbid FROM DBID"_s), QStringList{u"-2"_s});
    QCOMPARE(rows(edition, u"SELECT count(*) FROM IDno"_s), QStringList{u"0"_s});
    QStringList inList;
    for (int docNo : docNos)
        inList << QString::number(docNo + past);
    const QString listed = u" WHERE DocNo IN ("_s + inList.join(u',') + u") ORDER BY LevNo, DocNo"_s;
    QCOMPARE(rows(edition, u"SELECT * FROM MEMO_IDX ORDER BY rowid"_s),
             rows(f.dbPath(), u"SELECT * FROM MEMO_IDX"_s + listed));
    QCOMPARE(rows(edition, u"SELECT * FROM MEMO_DAT ORDER BY rowid"_s),
             rows(f.dbPath(), u"SELECT * FROM MEMO_DAT WHERE pfID IN ("_s + inList.join(u',') + u")"_s));
    // Pictures only of the copied scraps that have them, byte for byte; every mark of every scrap.
    QCOMPARE(
        rows(edition, u"SELECT * FROM PHOTO_DRA"_s),
        rows(f.dbPath(), docNos.contains(2) ? u"SELECT * FROM PHOTO_DRA"_s : u"SELECT * FROM PHOTO_DRA WHERE 0"_s));
    for (const QString& table : {u"MEMO_UNDERLINE"_s, u"Status"_s, u"extraNodeMEMO"_s, u"extraNodeWEB"_s, u"FontSize"_s,
                                 u"Marker"_s, u"Speak"_s})
        QCOMPARE(rows(edition, u"SELECT * FROM "_s + table), rows(f.dbPath(), u"SELECT * FROM "_s + table));
}

void SavedEditionTest::mReseveDo_failures_leaveNothingBehind_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");
    QTest::newRow("the open collection's own folder")
        << u"own folder"_s
        << u"データベース作成に失敗しました。以後の処理を中止します。\n同じ名前のファイルが既にあります。"_s;
    QTest::newRow("a folder that is a file") << u"file"_s
                                             << u"データベース作成に失敗しました。以後の処理を中止します。\n"
                                                "保存先のフォルダが見つからないか、フォルダではありません。"_s;
    QTest::newRow("a listed scrap without its body")
        << u"no body"_s << u"保存版は正しく作成できませんでした。\nスクラップ「記事3」の本文がありません。"_s;
    // The file size limit stands in for a full disk: a write past it fails as one would.
    QTest::newRow("the disk full half way")
        << u"full"_s << u"保存版は正しく作成できませんでした。\nディスクの読み書きに失敗しました。"_s;
}

void SavedEditionTest::mReseveDo_failures_leaveNothingBehind()
{
    QFETCH(QString, failure);
    QFETCH(QString, message);
    EditionFixture f;
    f.start();
    f.listPolitics();
    QTemporaryDir target;
    QString folder = target.path();
    if (failure == u"own folder")
        folder = f.folder.folder();
    else if (failure == u"file")
        folder = f.folder.writeFile(u"plain.txt"_s, "not a folder");
    else if (failure == u"no body")
        alterCollection(f.dbPath(), u"DELETE FROM MEMO_DAT WHERE pfID = 3"_s);
    else
        alterCollection(f.dbPath(), u"UPDATE MEMO_DAT SET a01 = printf('%.*c', 3000000, 'x') WHERE pfID = 3"_s);
    const QByteArray before = TestFolder::read(f.dbPath());
    const QStringList filesBefore = QDir(folder).entryList(QDir::Files | QDir::Hidden);

    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    if (failure == u"full") {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = unlimited;
        full.rlim_cur = 1 << 20;
        setrlimit(RLIMIT_FSIZE, &full);
    }
    f.makeEdition(folder);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    QCOMPARE(f.dialogs.lastText(), message);
    QCOMPARE(f.dialogs.messages().last().kind, FakeUserDialogs::Kind::Critical);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), filesBefore);
    QCOMPARE(TestFolder::read(f.dbPath()), before);
}

void SavedEditionTest::mReseveDo_whatWouldCloseTheListWaitsForIt_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("the file check finds the collection damaged") << u"damaged"_s;
    QTest::newRow("the window is asked to close, as by a signal") << u"close"_s;
}

void SavedEditionTest::mReseveDo_whatWouldCloseTheListWaitsForIt()
{
    QFETCH(QString, meanwhile);
    EditionFixture f;
    f.start();
    f.listPolitics();
    QTemporaryDir folder;
    // Delivered on the first turn of the loop that the copy's progress makes.
    QMetaObject::invokeMethod(
        f.window.get(),
        [&f, meanwhile] {
            BodyIndexer* indexer = f.collection.bodyIndexer();
            if (meanwhile == u"damaged")
                Q_EMIT indexer->fileChecked(indexer->runNumber(), false, u"damaged"_s);
            else
                f.window->close();
        },
        Qt::QueuedConnection);

    f.makeEdition(folder.path());

    QVERIFY2(f.dialogs.texts().contains(u"保存版を作成しました。"_s), qPrintable(f.dialogs.texts().join(u'/')));
    QCOMPARE(rows(QDir(folder.path()).filePath(u"Zettora.mdb"_s), u"SELECT DocNo FROM MEMO_IDX ORDER BY DocNo"_s),
             (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s}));
    QCoreApplication::processEvents();
    if (meanwhile == u"damaged")
        QVERIFY(f.session.isReadOnly());
    else
        QVERIFY(!f.window->isVisible());
}

void SavedEditionTest::mReseveDo_columnsInAnotherOrder_copiedByName()
{
    EditionFixture f;
    // Each copied table rebuilt by plain SQL, its columns reversed behind one of another tool's.
    QHash<QString, QString> columns;
    for (const QString& table : {u"MEMO_IDX"_s, u"MEMO_DAT"_s, u"PHOTO_DRA"_s, u"MEMO_UNDERLINE"_s, u"Status"_s,
                                 u"extraNodeMEMO"_s, u"extraNodeWEB"_s, u"FontSize"_s, u"Marker"_s, u"Speak"_s}) {
        const QStringList names = rows(f.dbPath(), u"SELECT '\"' || name || '\"' FROM pragma_table_info('"_s + table +
                                                       u"') ORDER BY cid DESC"_s);
        columns[table] = QStringList(names.rbegin(), names.rend()).join(u',');
        alterCollection(f.dbPath(), u"CREATE TABLE rebuilt AS SELECT 'another tool' AS note, "_s + names.join(u',') +
                                        u" FROM "_s + table + u" ORDER BY rowid"_s);
        alterCollection(f.dbPath(), u"DROP TABLE "_s + table);
        alterCollection(f.dbPath(), u"ALTER TABLE rebuilt RENAME TO "_s + table);
    }
    f.start();
    f.listPolitics();
    QTemporaryDir target;
    f.makeEdition(target.path());
    QCOMPARE(f.dialogs.lastText(), u"保存版を作成しました。"_s);
    const QString edition = QDir(target.path()).filePath(u"Zettora.mdb"_s);
    for (auto [table, names] : columns.asKeyValueRange()) {
        const QString listed = table == u"MEMO_IDX"   ? u" WHERE DocNo < 5"_s
                               : table == u"MEMO_DAT" ? u" WHERE pfID < 5"_s
                                                      : QString();
        const QString select = u"SELECT "_s + names + u" FROM "_s + table;
        QCOMPARE(rows(edition, select + u" ORDER BY rowid"_s),
                 rows(f.dbPath(), select + listed + u" ORDER BY rowid"_s));
    }
}

void SavedEditionTest::mReseveDo_acrossReadBatches_data()
{
    QTest::addColumn<int>("missingBody"); // the pfID whose body is gone, 0 for none
    QTest::newRow("every body there") << 0;
    QTest::newRow("a body gone in the third batch") << 1203;
}

// The source is read in batches of a few hundred scraps: each scrap arrives once, a missing body still fails the whole
// edition, and the collection's connection is left outside any transaction either way.
void SavedEditionTest::mReseveDo_acrossReadBatches()
{
    QFETCH(int, missingBody);
    EditionFixture f;
    {
        auto c = Connection::openExisting(f.dbPath());
        c->execute(u"BEGIN"_s);
        for (int i = 6; i <= 1300; ++i) {
            addScrap(*c, numberedScrap(i, 2, {u"政治"_s}));
            addBody(*c, i, u"本文%1"_s.arg(i));
        }
        Query drop(*c, u"DELETE FROM MEMO_DAT WHERE pfID = ?"_s);
        drop.bind(1, missingBody).run();
        c->execute(u"COMMIT"_s);
    }
    f.start();
    f.listPolitics();
    QTemporaryDir folder;
    f.makeEdition(folder.path());

    const QString edition = QDir(folder.path()).filePath(u"Zettora.mdb"_s);
    if (missingBody == 0) {
        QCOMPARE(f.dialogs.lastText(), u"保存版を作成しました。"_s);
        QCOMPARE(rows(edition, u"SELECT count(*), count(DISTINCT pfID) FROM MEMO_IDX"_s), QStringList{u"1299|1299"_s});
        QCOMPARE(rows(edition, u"SELECT count(*), count(DISTINCT pfID) FROM MEMO_DAT"_s), QStringList{u"1299|1299"_s});
    } else {
        QVERIFY2(f.dialogs.lastText().startsWith(u"保存版は正しく作成できませんでした。"_s),
                 qPrintable(f.dialogs.lastText()));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{});
    }
    QVERIFY(sqlite3_get_autocommit(f.session.connection()->handle()) != 0);
}

void SavedEditionTest::edition_opensReadOnlyInDepth()
{
    EditionFixture f;
    f.start();
    f.listPolitics();
    QTemporaryDir target;
    f.makeEdition(target.path());
    f.dialogs.paths.enqueue(QDir(target.path()).filePath(u"Zettora.mdb"_s));
    f.action(u"mFileBookOpen")->trigger();
    QCOMPARE(f.window->windowTitle(), u"Zettora （保存版）"_s);
    QVERIFY(!f.menuEnabled(u"mReserve"));
    f.listPolitics();
    QCOMPARE(f.window->scrapListModel()->rowCount(), 4);
    QVERIFY(!f.menuEnabled(u"mReserve"));
    // Whatever a window might try, the storage refuses it.
    QVERIFY_THROWS_EXCEPTION(DbError, f.session.connection()->execute(u"DELETE FROM MEMO_IDX"_s));
    QCOMPARE(rows(QDir(target.path()).filePath(u"Zettora.mdb"_s), u"SELECT count(*) FROM MEMO_IDX"_s),
             QStringList{u"4"_s});
    // Its bodies are searched through an index kept in the user's cache, never in the edition.
    f.waitForBodyIndex();
    const QByteArray before = TestFolder::read(QDir(target.path()).filePath(u"Zettora.mdb"_s));
    auto* field = f.child<QLineEdit>(u"BodySearch");
    field->setText(u"本文2"_s);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(f.window->resultCount(), 1);
    QCOMPARE(f.session.resultSet()->valueAt(0, f.session.resultSet()->fieldIndex(u"DocNo"_s)).toInt(), 2);
    QCOMPARE(TestFolder::read(QDir(target.path()).filePath(u"Zettora.mdb"_s)), before);
    QVERIFY(!QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/search-index"_s).isEmpty());
}
