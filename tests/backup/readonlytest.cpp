#include "readonlytest.h"

#include "database/connection.h"
#include "database/dberror.h"
#include "mainwindowfixture.h"
#include "ordinaryuser.h"
#include "search/bodyindex.h"
#include "testcollection.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kInUse = u"このデータベースは他の Zettora で使用中です。　読み取り専用で開きますか？"_s;
const QString kForeign = u"このデータベースには Zettora が作っていないトリガーまたはビューがあります。"
                         u"　安全のため読み取り専用で開きました。"_s;
const QString kProtected = u"このデータベースには書き込めません（書き込みできない場所か、書き込みの許可がありません）。"
                           u"　読み取り専用で開きました。"_s;
const QString kDamaged = u"このデータベースは壊れています。　これ以上壊れないよう読み取り専用にしました。"
                         u"　ファイルメニューの「バックアップから復元…」で以前の状態に戻せます。"_s;
const QString kNumbersTwice = u"このデータベースには同じ番号のスクラップが複数あります。"
                              u"　削除や保存で別のスクラップを壊さないよう、読み取り専用で開きました。"_s;

QString collectionWith(const TestFolder& folder, const QString& name, int n)
{
    const QString path = folder.newCollection(name);
    auto connection = Connection::openExisting(path);
    for (int i = 1; i <= n; ++i) {
        TestScrap scrap = numberedScrap(i, 1, {});
        addScrap(*connection, scrap);
        addBody(*connection, i, u"本文%1の記事"_s.arg(i));
        addMark(*connection, i, true, 0, 2);
    }
    return path;
}

// Overwrites one page with bytes no b-tree page can hold.
void spoilPageOf(const TestFolder& folder, const QString& name, const QString& table)
{
    qint64 root = 0;
    qint64 pageSize = 0;
    {
        auto connection = Connection::openExisting(folder.path(name));
        root = scalar(*connection, u"SELECT rootpage FROM sqlite_schema WHERE name = '%1'"_s.arg(table));
        pageSize = scalar(*connection, u"PRAGMA page_size"_s);
    }
    QByteArray bytes = TestFolder::read(folder.path(name));
    bytes.replace((root - 1) * pageSize, pageSize, QByteArray(pageSize, '\xff'));
    folder.writeFile(name, bytes);
}

// Runs statements on a file with the sqlite3 shell, which may edit the catalog as no program of ours would.
void withShell(const QString& path, const QString& sql)
{
    QProcess shell;
    shell.start(u"sqlite3"_s, {path, sql});
    QVERIFY(shell.waitForFinished(10000));
    QCOMPARE(shell.exitCode(), 0);
}

// Two lookup indexes trade their root pages: each tree is sound, so only a comparison with the tables finds it. A
// second mark makes the two indexes differ.
void swapIndexRoots(const QString& path, const QString& first, const QString& second)
{
    qint64 firstRoot = 0;
    qint64 secondRoot = 0;
    {
        auto connection = Connection::openExisting(path);
        const QString root = u"SELECT rootpage FROM sqlite_schema WHERE name = '%1'"_s;
        firstRoot = scalar(*connection, root.arg(first));
        secondRoot = scalar(*connection, root.arg(second));
    }
    withShell(path, u"INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (2, 0, 1, 1); "
                    u"PRAGMA writable_schema = ON; "
                    u"UPDATE sqlite_schema SET rootpage = %3 WHERE name = '%1'; "
                    u"UPDATE sqlite_schema SET rootpage = %4 WHERE name = '%2';"_s.arg(first, second)
                        .arg(secondRoot)
                        .arg(firstRoot));
    QProcess quick;
    quick.start(u"sqlite3"_s, {path, u"PRAGMA quick_check"_s});
    QVERIFY(quick.waitForFinished(10000));
    QCOMPARE(quick.readAllStandardOutput().trimmed(), QByteArray("ok"));
}

// A lookup index dropped (its pages go to the free list), then the free list's first page pointed at the scraps'
// own table: a program that made the index again before checking the file would write over the scraps.
void spoilFreeList(const TestFolder& folder, const QString& name)
{
    alterCollection(folder.path(name), u"DROP INDEX MEMO_IDX_class"_s);
    qint64 root = 0;
    {
        auto connection = Connection::openExisting(folder.path(name));
        root = scalar(*connection, u"SELECT rootpage FROM sqlite_schema WHERE name = 'MEMO_IDX'"_s);
        QVERIFY(scalar(*connection, u"PRAGMA freelist_count"_s) > 0);
    }
    QByteArray bytes = TestFolder::read(folder.path(name));
    for (int i = 0; i < 4; ++i)
        bytes[32 + i] = char((root >> (8 * (3 - i))) & 0xff);
    folder.writeFile(name, bytes);
}

// Opens path in the window the way ファイル → Zettoraを開く does, with the answer to a question if one comes.
void openThroughMenu(Fixture& f, const QString& path, bool answer = true)
{
    f.dialogs.paths.enqueue(path);
    f.dialogs.yesNo.enqueue(answer);
    f.action(u"mFileBookOpen")->trigger();
    f.waitForBodyIndex();
    f.dialogs.yesNo.clear();
}

// One of the ways a copy is damaged; each draws its own details from random.
QByteArray damaged(const QByteArray& sound, int way, QRandomGenerator& random, qint64 pageSize)
{
    QByteArray bytes = sound;
    const qint64 pages = bytes.size() / pageSize;
    switch (way) {
    case 0: // bytes flipped anywhere
        for (int i = 0, n = 1 + random.bounded(64); i < n; ++i)
            bytes[random.bounded(bytes.size())] ^= char(1 + random.bounded(255));
        break;
    case 1: // cut short
        bytes.truncate(random.bounded(bytes.size()));
        break;
    case 2: // whole pages zeroed
        for (int i = 0, n = 1 + random.bounded(3); i < n; ++i) {
            const qint64 page = random.bounded(pages);
            bytes.replace(page * pageSize, pageSize, QByteArray(pageSize, '\0'));
        }
        break;
    case 3: // the header and the catalog page
        for (int i = 0, n = 1 + random.bounded(8); i < n; ++i)
            bytes[random.bounded(int(pageSize))] = char(random.bounded(256));
        break;
    }
    return bytes;
}

// Damage made with SQL: a table gone, or a column holding what it never holds.
const QStringList kSqlDamage = {
    u"DROP TABLE MEMO_DAT"_s,
    u"DROP TABLE MEMO_IDX"_s,
    u"DROP TABLE IDno"_s,
    u"DROP TABLE MEMO_UNDERLINE"_s,
    u"DROP TABLE extraNodeMEMO"_s,
    u"DROP TABLE PHOTO_DRA"_s,
    u"UPDATE MEMO_IDX SET DocNo = 'x', LevNo = X'00ff', a04 = 3.5"_s,
    u"UPDATE MEMO_DAT SET a01 = X'fffe00', pfID = 'y'"_s,
    u"UPDATE MEMO_UNDERLINE SET startP = -5, selLen = 'z'"_s,
    u"UPDATE IDno SET DocNo = NULL, pfID = 'a'"_s,
    u"DELETE FROM DBID"_s,
    u"ALTER TABLE MEMO_DAT RENAME COLUMN a01 TO b01"_s,
};

} // namespace

void ReadOnlyOpeningTest::opening_data()
{
    QTest::addColumn<QString>("how"); // SQL run on the file, or one of: in use, protected, spoiled
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("message");
    QTest::newRow("a sound collection") << QString() << true << true << false << QString();
    QTest::newRow("in use, read it: Yes") << u"in use"_s << true << true << true << kInUse;
    QTest::newRow("in use, read it: No") << u"in use"_s << false << false << false << kInUse;
    QTest::newRow("a trigger of unknown origin")
        << u"CREATE TRIGGER t AFTER INSERT ON MEMO_IDX BEGIN DELETE FROM MEMO_DAT; END"_s << true << true << true
        << kForeign;
    QTest::newRow("a view") << u"CREATE VIEW v AS SELECT * FROM MEMO_IDX"_s << true << true << true << kForeign;
    // Its probe fails: a read-only file is still left as it is, not repaired.
    QTest::newRow("a view, the body index of an unknown format")
        << u"index of another format"_s << true << true << true << kForeign;
    QTest::newRow("a trigger of ours whose text was changed")
        << u"CREATE TRIGGER zettora_body_adding BEFORE INSERT ON MEMO_DAT BEGIN DELETE FROM MEMO_IDX; END"_s << true
        << true << true << kForeign;
    QTest::newRow("no permission to write") << u"protected"_s << true << true << true << kProtected;
    QTest::newRow("a table missing") << u"DROP TABLE MEMO_UNDERLINE"_s << true << true << true << kDamaged;
    QTest::newRow("damaged where the opening does not look") << u"spoiled"_s << true << true << true << kDamaged;
    QTest::newRow("a free list leading into the scraps, a lookup index missing")
        << u"free list"_s << true << true << true << kDamaged;
    QTest::newRow("two index roots swapped, each tree sound in itself")
        << u"swapped"_s << true << true << true << kDamaged;
    QTest::newRow("two scraps sharing a body number")
        << u"UPDATE MEMO_IDX SET pfID = 1 WHERE DocNo = 3"_s << true << true << true
        << kNumbersTwice + u"\n本文番号 1：「記事1」「記事3」"_s;
}

void ReadOnlyOpeningTest::opening()
{
    QFETCH(QString, how);
    QFETCH(bool, answer);
    QFETCH(bool, opened);
    QFETCH(bool, readOnly);
    QFETCH(QString, message);
    TestFolder other;
    const QString target = collectionWith(other, u"Other.mdb"_s, 3);
    Fixture f;
    f.start();
    const QString own = f.session.databasePath();
    QLockFile holder(other.path(u".Other.mdb.lock"_s));
    if (how == u"in use")
        QVERIFY(holder.tryLock(0));
    else if (how == u"spoiled")
        spoilPageOf(other, u"Other.mdb"_s, u"MEMO_DAT"_s);
    else if (how == u"free list")
        spoilFreeList(other, u"Other.mdb"_s);
    else if (how == u"swapped")
        swapIndexRoots(target, u"MEMO_DAT_pfID"_s, u"MEMO_UNDERLINE_pfID"_s);
    else if (how == u"index of another format") {
        auto c = Connection::openExisting(target);
        BodyIndex::registerFunctions(*c);
        BodyIndex::reset(*c, QString::fromLatin1(BodyIndex::kMainSchema), QString());
        c->execute(u"CREATE VIEW v AS SELECT 1"_s);
        // As another tool writes it: the program's connections keep the index's own tables from plain writes.
        sqlite3_db_config(c->handle(), SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
        c->execute(u"UPDATE zettora_body_index_config SET v = 99 WHERE k = 'version'"_s);
    } else if (!how.isEmpty() && how != u"protected")
        alterCollection(target, how);
    const QByteArray before = TestFolder::read(target);
    std::optional<OrdinaryUser> user;
    if (how == u"protected") {
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(other.folder(),
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        user.emplace(QStringList{other.folder()});
        QVERIFY(user->bound());
    }
    openThroughMenu(f, target, answer);
    user.reset();

    QCOMPARE(f.session.databasePath(), opened ? target : own);
    QCOMPARE(f.dialogs.lastText(), message);
    QCOMPARE(f.session.isReadOnly(), readOnly);
    QCOMPARE(f.window->windowTitle().endsWith(u"（読み取り専用）"_s), readOnly);
    QCOMPARE(f.tabs()->isTabEnabled(MainWindow::TabEntry), !readOnly);
    QCOMPARE(scalar(*f.session.connection(), u"PRAGMA query_only"_s), readOnly ? 1 : 0);
    if (readOnly) {
        // Nothing reaches the file, not even a write no window offers, nor the index worker's.
        QVERIFY_THROWS_EXCEPTION(DbError, f.session.connection()->execute(u"DELETE FROM MEMO_IDX"_s));
        QTRY_VERIFY(!f.collection.bodyIndexer()->isRunning());
        f.window->close();
        QCOMPARE(TestFolder::read(target), before);
    }
}

// Each copy ends in a message or in a collection that lists and shows its scraps; whichever, the window goes on and
// the collection it had open is opened again without trouble.
void ReadOnlyOpeningTest::damagedCopies_endInAMessageOrAUsableCollection()
{
    TestFolder other;
    const QString target = collectionWith(other, u"Copy.mdb"_s, 40);
    Fixture f;
    f.start();
    const QString own = f.session.databasePath();
    const QByteArray sound = TestFolder::read(target);
    qint64 pageSize = 0;
    {
        auto connection = Connection::openExisting(target);
        pageSize = scalar(*connection, u"PRAGMA page_size"_s);
    }
    QRandomGenerator random(20261208);
    QElapsedTimer clock;
    clock.start();
    int copies = 0;
    int refused = 0;
    int readOnly = 0;
    for (; copies < 300 && clock.elapsed() < 90000; ++copies) {
        const int way = copies % 5;
        if (way < 4) {
            other.writeFile(u"Copy.mdb"_s, damaged(sound, way, random, pageSize));
        } else {
            other.writeFile(u"Copy.mdb"_s, sound);
            alterCollection(target, kSqlDamage[random.bounded(int(kSqlDamage.size()))]);
        }
        f.dialogs.clear();
        openThroughMenu(f, target);
        const QString context = u"copy %1 (way %2)"_s.arg(copies).arg(way);
        if (f.session.databasePath() != target) {
            QVERIFY2(!f.dialogs.lastText().isEmpty(), qPrintable(context));
            QVERIFY2(f.session.databasePath() == own, qPrintable(context));
            ++refused;
        } else {
            readOnly += f.session.isReadOnly() ? 1 : 0;
            f.tabs()->setCurrentIndex(MainWindow::TabSearch);
            auto* field = f.child<QLineEdit>(u"BodySearch");
            field->setText(u"本文"_s);
            QTest::keyClick(field, Qt::Key_Return);
            if (QAction* each = f.window->toolbarButton(u"firstDataMEMO"_s); each && each->isEnabled())
                each->trigger();
        }
        openThroughMenu(f, own);
        QVERIFY2(f.session.databasePath() == own, qPrintable(context));
    }
    qInfo("copies=%d refused=%d read-only=%d", copies, refused, readOnly);
    QVERIFY(copies >= 100);
    QVERIFY(refused > 0);
    QVERIFY(readOnly > 0);
}

void ReadOnlyOpeningTest::damageFoundUnderTheTreeEditor_waitsForItToClose()
{
    TestFolder other;
    const QString target = collectionWith(other, u"Other.mdb"_s, 3);
    spoilPageOf(other, u"Other.mdb"_s, u"MEMO_DAT"_s);
    Fixture f;
    f.start();
    f.dialogs.paths.enqueue(target);
    f.action(u"mFileBookOpen")->trigger();
    // The tree editor opened before the file's check has ended.
    f.press(u"sTree");
    QPointer<QWidget> editor = f.window->findChild<QDialog*>(u"Form2"_s);
    QVERIFY(editor && editor->isVisible());
    f.waitForBodyIndex();
    QCoreApplication::processEvents();
    QVERIFY(editor && editor->isVisible());
    QVERIFY(!f.session.isReadOnly());

    editor->close();
    QTRY_VERIFY(f.session.isReadOnly());
    QCOMPARE(f.session.databasePath(), target);
}
