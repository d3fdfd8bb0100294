#include "backuptest.h"

#include "backup/backupstore.h"
#include "backup/backupworker.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "mainwindowfixture.h"
#include "testcollection.h"
#include "threescrapsfixture.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;
using Dates = QList<QDateTime>;
using Indexes = QList<int>;

namespace {

// A collection of n scraps with bodies.
QString collectionWith(const TestFolder& folder, int n, const QString& name = u"Zettora.mdb"_s)
{
    const QString path = folder.newCollection(name);
    auto connection = Connection::openExisting(path);
    for (int i = 1; i <= n; ++i) {
        TestScrap scrap = numberedScrap(i, 1, {});
        addScrap(*connection, scrap);
        addBody(*connection, i, u"本文%1"_s.arg(i));
    }
    return path;
}

QDateTime day(int d, int hour = 12)
{
    return QDateTime(QDate(2026, 1, 1).addDays(d), QTime(hour, 0));
}

} // namespace

void BackupTest::make_copiesVerifiesAndRotates()
{
    TestFolder folder;
    const QString path = collectionWith(folder, 5);
    const QString backups = folder.path(u"backups"_s);
    QVERIFY(Backups::isDue(backups, day(0)));
    const Result<QString> first = Backups::make(path, backups, day(0));
    QVERIFY2(first, qPrintable(first.message()));
    QVERIFY(!Backups::isDue(backups, day(0, 20)));
    QVERIFY(Backups::isDue(backups, day(1, 13)));
    // The clock put back a day: the copy made "tomorrow" does not stand for one made today.
    QVERIFY(Backups::isDue(backups, day(-1)));
    const QList<Backups::Entry> entries = Backups::list(backups);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().scraps, 5);
    QCOMPARE(entries.first().when, day(0));
    // A copy whose program was killed half way, an hour and more ago, and one that may still be running.
    for (const QString& name : {u"20250101-000000-000.mdb.partial"_s, u"20250101-000000-000.mdb.partial-journal"_s,
                                u"20990101-000000-000.mdb.partial"_s}) {
        QFile stray(QDir(backups).filePath(name));
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.write("half");
        stray.close();
        const QDateTime when =
            name.startsWith(u"2025"_s) ? QDateTime::currentDateTime().addSecs(-7200) : QDateTime::currentDateTime();
        QVERIFY(stray.open(QIODevice::Append));
        QVERIFY(stray.setFileTime(when, QFileDevice::FileModificationTime));
    }
    // Ten daily backups: the seven newest days stay (they hold the newest of both weeks and of the month).
    for (int d = 1; d < 10; ++d)
        QVERIFY(Backups::make(path, backups, day(d)));
    QCOMPARE(Backups::list(backups).size(), 7);
    QCOMPARE(Backups::list(backups).last().when, day(3));
    QCOMPARE(QDir(backups).entryList(QDir::Files).filter(u"partial"_s),
             QStringList{u"20990101-000000-000.mdb.partial"_s});
}

void BackupTest::lockedOrStopped_givesUpAndLeavesNothing()
{
    TestFolder folder;
    const QString path = collectionWith(folder, 5);
    const QString backups = folder.path(u"backups"_s);
    auto other = Connection::openExisting(path);
    other->execute(u"BEGIN EXCLUSIVE"_s);
    const Result<QString> made = Backups::make(path, backups, day(0), std::chrono::milliseconds(100));
    QVERIFY(!made);
    QCOMPARE(made.failure().message(),
             u"バックアップを作れませんでした。\n他のプログラムがこのファイルを使用中です。"_s);
    QCOMPARE(QDir(backups).entryList(QDir::Files), QStringList{});
    other->execute(u"COMMIT"_s);
    // Stopped, as when the collection closes, it leaves nothing either.
    const std::atomic<bool> stop{true};
    const Result<QString> stopped = Backups::make(path, backups, day(0), std::chrono::milliseconds(100), &stop);
    QVERIFY(!stopped && stopped.failure().detail == Backups::kStopped);
    QCOMPARE(QDir(backups).entryList(QDir::Files), QStringList{});
    QVERIFY(Backups::make(path, backups, day(0), std::chrono::milliseconds(100)));

    // Written to without a pause (a worker storing picture texts), the copy started over ends all the same.
    other->execute(u"CREATE TABLE filler (x BLOB)"_s);
    other->execute(u"CREATE TABLE ticks (x INTEGER)"_s);
    other->execute(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                   "INSERT INTO filler SELECT randomblob(4000) FROM n"_s);
    std::atomic<bool> done{false};
    std::thread writer([&path, &done] {
        auto own = Connection::openExisting(path);
        while (!done.load()) {
            try {
                own->execute(u"INSERT INTO ticks VALUES (1)"_s);
            } catch (const DbError&) {
                // Busy while the copy is verified: the next write comes.
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const Result<QString> busy = Backups::make(path, backups, day(1), std::chrono::milliseconds(2000));
    done = true;
    writer.join();
    QVERIFY2(busy || busy.failure().message() ==
                         u"バックアップを作れませんでした。\nコピーの間もデータベースが変わり続けました。"_s,
             qPrintable(busy ? QString() : busy.failure().message() + busy.failure().detail));
}

void BackupTest::verify_refusesADamagedCopy_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("a page overwritten") << u"page"_s;
    QTest::newRow("cut short") << u"cut"_s;
    QTest::newRow("a row fewer than the collection had") << u"rows"_s;
}

void BackupTest::verify_refusesADamagedCopy()
{
    QFETCH(QString, damage);
    TestFolder folder;
    const QString path = collectionWith(folder, 40);
    const Result<QString> made = Backups::make(path, folder.path(u"backups"_s), day(0));
    QVERIFY(made);
    Backups::RowCounts counts{};
    {
        auto connection = Connection::openExisting(*made);
        int i = 0;
        for (const char* table : {"DBID", "MEMO_IDX", "MEMO_DAT", "MEMO_UNDERLINE", "PHOTO_DRA", "IDno",
                                  "extraNodeMEMO", "extraNodeWEB", "Status", "FontSize", "Marker", "Speak"})
            counts[std::size_t(i++)] = scalar(*connection, u"SELECT count(*) FROM \""_s + QLatin1String(table) + u'"');
    }
    QVERIFY(Backups::verify(*made, counts));
    QFile file(*made);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (damage == u"page") {
        file.seek(4096 * 2 + 100);
        file.write(QByteArray(3000, '\x5a'));
    } else if (damage == u"cut") {
        file.resize(file.size() / 2);
    } else {
        file.close();
        alterCollection(*made, u"DELETE FROM MEMO_DAT WHERE pfID = 7"_s);
    }
    file.close();
    const Done verified = Backups::verify(*made, counts);
    QVERIFY(!verified);
    QVERIFY(!verified.failure().why.isEmpty());
}

void BackupTest::kept_rotation_data()
{
    QTest::addColumn<Dates>("when");
    QTest::addColumn<Indexes>("kept");

    QTest::newRow("two the same day: both, among the three newest") << Dates{day(0, 9), day(0, 18)} << Indexes{0, 1};
    QTest::newRow("five the same day: the three newest")
        << Dates{day(0, 9), day(0, 18), day(0, 11), day(0, 20), day(0, 10)} << Indexes{1, 2, 3};
    Dates weeks;
    for (int w = 0; w < 6; ++w)
        weeks << day(7 * w);
    QTest::newRow("one a week for six weeks: daily keeps all six") << weeks << Indexes{0, 1, 2, 3, 4, 5};
    Dates months;
    for (int m = 0; m < 15; ++m)
        months << QDateTime(QDate(2025, 1, 10).addMonths(m), QTime(8, 0));
    QTest::newRow("one a month for fifteen months: the newest twelve")
        << months << Indexes{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
}

void BackupTest::kept_rotation()
{
    QFETCH(Dates, when);
    QFETCH(Indexes, kept);
    QCOMPARE(Backups::kept(when), kept);
}

void BackupTest::restore_writesANewFileBesideTheCollection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("link"); // the name the collection is opened through, if any
    QTest::newRow("a short name") << u"Zettora"_s << QString();
    // 240 bytes of UTF-8: with ".mdb-journal" beside it, near the 255 a file name may take.
    QTest::newRow("a name of 80 kanji") << QString(80, u'長') << QString();
    QTest::newRow("opened through a link") << u"本物"_s << u"リンク"_s;
}

void BackupTest::restore_writesANewFileBesideTheCollection()
{
    QFETCH(QString, name);
    QFETCH(QString, link);
    TestFolder folder;
    const QString path = collectionWith(folder, 3, name + u".mdb"_s);
    QString opened = path;
    if (!link.isEmpty()) {
        opened = folder.path(link + u".mdb"_s);
        QVERIFY(QFile::link(path, opened));
        // Backed up beside the file itself; the folder named after the link, where earlier ones went, still listed.
        QString linkNamed = Backups::folderFor(path);
        linkNamed.replace(u'/' + name + u'-', u'/' + link + u'-');
        QVERIFY(QDir().mkpath(linkNamed));
        const QStringList both = Backups::foldersFor(opened);
        QDir(linkNamed).removeRecursively();
        QCOMPARE(both, (QStringList{Backups::folderFor(path), linkNamed}));
    }
    // The backup folder's own name must be one the file system takes.
    const QString backups = folder.path(QFileInfo(Backups::folderFor(opened)).fileName());
    const Result<QString> made = Backups::make(opened, backups, day(0));
    QVERIFY2(made, qPrintable(made.message()));
    const Backups::Entry entry = Backups::list(backups).first();
    const Result<QString> first = Backups::restore(entry, path);
    const Result<QString> second = Backups::restore(entry, path);
    QVERIFY2(first && second, qPrintable(first ? second.message() : first.message()));
    QVERIFY(*first != *second);
    QCOMPARE(QFileInfo(*first).absolutePath(), QFileInfo(path).absolutePath());
    QVERIFY(QFileInfo(*first).fileName().startsWith(name.left(60)));
    QVERIFY(first->endsWith(u"（復元 2026-01-01 1200）.mdb"_s));
    auto connection = Connection::openExisting(*second);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM MEMO_DAT"_s), 3);
    QCOMPARE(TestFolder::read(*made), TestFolder::read(*first));
    // A copy taken out after it was listed (the oldest, as a later backup ends) is told as missing.
    QVERIFY(QFile::remove(entry.path));
    const Result<QString> gone = Backups::restore(entry, path);
    QVERIFY(!gone && gone.message().contains(u"選んだバックアップのファイルがありません"_s));
}

void BackupTest::window_backsUpNowAndRestores()
{
    Fixture f;
    f.start();
    // The first opening backs up at once, since no backup is there yet.
    const QString backups = Backups::folderFor(f.session.databasePath());
    QTRY_COMPARE_WITH_TIMEOUT(Backups::list(backups).size(), 1, 10000);
    f.action(u"mFileBackup")->trigger();
    // The backup asked for is told, by its own name, once it is made; not the one made at the opening.
    QTRY_VERIFY_WITH_TIMEOUT(f.window->statusBar()->currentMessage().startsWith(u"バックアップしました："_s), 10000);
    QCOMPARE(Backups::list(backups).size(), 2);
    QCOMPARE(f.window->statusBar()->currentMessage(),
             u"バックアップしました："_s + Backups::list(backups).first().path);
    const QString collection = f.session.databasePath();
    QTimer::singleShot(0, f.window.get(), [&f] {
        if (auto* dialog = f.window->findChild<QWidget*>(u"frmRestore"_s))
            dialog->findChild<QPushButton*>(u"cmdRestore"_s)->click();
    });
    f.action(u"mFileRestore")->trigger();
    QVERIFY(f.session.databasePath() != collection);
    QVERIFY(f.session.databasePath().contains(u"（復元 "_s));
}

void BackupTest::failedBackupOnClosing_isTold()
{
    Fixture f;
    f.start();
    const QString backups = Backups::folderFor(f.session.databasePath());
    QTRY_COMPARE_WITH_TIMEOUT(Backups::list(backups).size(), 1, 10000);
    // A file where the folder was: no copy can be made there.
    QVERIFY(QDir(backups).removeRecursively());
    QFile blocker(backups);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.session.connection()->execute(u"UPDATE IDno SET DocNo = DocNo"_s);
    f.dialogs.clear();
    f.window->close();
    QFile::remove(backups);
    QCOMPARE(f.dialogs.texts(),
             QStringList{u"バックアップを作れませんでした。\nバックアップの保存先フォルダを作れません。"_s});
}

void BackupTest::secondProgram_isRefused_aStaleLockTakenOver_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<bool>("opened");
    QTest::newRow("another window has it open") << u"window"_s << false;
    QTest::newRow("a program that crashed left its lock") << u"crashed"_s << true;
}

void BackupTest::secondProgram_isRefused_aStaleLockTakenOver()
{
    QFETCH(QString, holder);
    QFETCH(bool, opened);
    Fixture first;
    const QString shared = first.folder.path(u"Zettora.mdb"_s);
    if (holder == u"window") {
        first.start();
    } else {
        // What QLockFile writes: the owner's pid, program and host; no process has this pid.
        QFile stale(first.folder.path(u".Zettora.mdb.lock"_s));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("2147480000\nzettora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    Fixture second;
    second.start();
    const QString own = second.session.databasePath();
    second.dialogs.paths.enqueue(shared);
    second.dialogs.yesNo.enqueue(false);
    second.action(u"mFileBookOpen")->trigger();
    QCOMPARE(second.session.databasePath(), opened ? shared : own);
    if (!opened)
        QCOMPARE(second.dialogs.lastText(),
                 u"このデータベースは他の Zettora で使用中です。　読み取り専用で開きますか？"_s);
}

void BackupTest::fullDisk_registrationFailsAndNothingIsLost()
{
    ThreeScrapsFixture f;
    f.start();
    Connection& connection = *f.session.connection();
    // The file may not grow by a page: the registration of a long body meets a full disk half way.
    connection.execute(u"PRAGMA max_page_count = %1"_s.arg(scalar(connection, u"PRAGMA page_count"_s)));
    const QString body = QString(20000, u'記');
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    f.child<QPlainTextEdit>(u"mData")->setPlainText(body);
    f.clickClass(3);
    QWidget* sheet = f.visibleWindow(u"Form3"_s);
    QVERIFY(sheet);
    sheet->findChild<QPushButton*>(u"Command1_0"_s)->click();
    QCOMPARE(f.dialogs.lastText(), u"スクラップ登録に失敗しました。\nディスクの空きがありません。"_s);
    QCOMPARE(scalar(connection, u"SELECT count(*) FROM MEMO_IDX"_s), 3);
    QCOMPARE(scalar(connection, u"SELECT count(*) FROM MEMO_DAT"_s), 3);
    QCOMPARE(scalar(connection, u"SELECT DocNo FROM IDno"_s), 3);
    QCOMPARE(f.child<QPlainTextEdit>(u"mData")->toPlainText(), body);
    // With room again the same registration goes through.
    connection.execute(u"PRAGMA max_page_count = 1073741823"_s);
    sheet->findChild<QPushButton*>(u"Command1_0"_s)->click();
    QCOMPARE(f.dialogs.lastText(), u"スクラップを登録しました。 画像添付、下線引きが可能です。"_s);
    QCOMPARE(scalar(connection, u"SELECT count(*) FROM MEMO_IDX"_s), 4);
}
