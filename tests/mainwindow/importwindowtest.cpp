#include "importwindowtest.h"

#include "legacyimport/importwindows.h"
#include "mainwindowfixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QString sample(const QString& name)
{
    return QStringLiteral(ZETTORA_LEGACY_SAMPLES) + u'/' + name;
}

} // namespace

void ImportWindowTest::import_convertsReportsAndOpens_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("convert");
    QTest::addColumn<QString>("message");

    QTest::newRow("the menu entry, a collection") << u"menu"_s << u"collection-small.mdb"_s << true << QString();
    QTest::newRow("the menu entry, a saved edition") << u"menu"_s << u"saved-edition.mdb"_s << true << QString();
    QTest::newRow("the menu entry, another kind")
        << u"menu"_s << u"wrong-kind.mdb"_s << true
        << u"DBID の種類（7）が Zettora のデータベースのものではありません。"_s;
    // Cut at a page's end: the reading library writes lines of its own before the command's message.
    QTest::newRow("the menu entry, a file cut short")
        << u"menu"_s << u"cut short"_s << true
        << u"旧形式のデータベースとして読めません：%1 の MEMO_UNDERLINE テーブルの定義が壊れています。"_s;
    QTest::newRow("opened, converted") << u"open"_s << u"collection-small.mdb"_s << true << QString();
    QTest::newRow("opened, not converted")
        << u"open"_s << u"collection-small.mdb"_s << false << u"Zettora 用データベースを選択してください。"_s;
}

void ImportWindowTest::import_convertsReportsAndOpens()
{
    QFETCH(QString, entry);
    QFETCH(QString, file);
    QFETCH(bool, convert);
    QFETCH(QString, message);
    Fixture f;
    f.start();
    const QString before = f.session.databasePath();
    QTemporaryDir elsewhere;
    const QString source = file == u"cut short"_s ? elsewhere.filePath(u"cut.mdb"_s) : sample(file);
    if (file == u"cut short"_s) {
        QFile cut(source);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(TestFolder::read(sample(u"collection-small.mdb"_s)).left(366 * 4096));
        message = message.arg(source);
    }
    const QByteArray oldBytes = TestFolder::read(source);
    const QString target = f.folder.path(u"変換後.mdb"_s);
    f.dialogs.paths.enqueue(source);
    f.dialogs.paths.enqueue(target);
    if (entry == u"open") {
        f.dialogs.yesNo.enqueue(convert);
        f.action(u"mFileBookOpen")->trigger();
    } else {
        f.action(u"mFileImport")->trigger();
    }
    QCOMPARE(TestFolder::read(source), oldBytes);
    if (!message.isEmpty()) {
        QCOMPARE(f.dialogs.lastText(), message);
        QCOMPARE(f.session.databasePath(), before);
        QCOMPARE(QDir(f.folder.folder()).entryList(QDir::Files), QStringList{u"Zettora.mdb"_s});
        return;
    }
    QCOMPARE(f.dialogs.saveSuggestions.last(), sample(QFileInfo(file).completeBaseName() + u"（変換）.mdb"_s));
    auto* report = f.window->findChild<ImportReportWindow*>(u"frmImportReport"_s);
    QVERIFY(report);
    QVERIFY2(report->reportText().contains(u"本文："_s), qPrintable(report->reportText()));
    QCOMPARE(f.session.databasePath(), target);
    QVERIFY(f.window->windowTitle().startsWith(u"変換後"_s));
}

void ImportWindowTest::cancel_leavesNothingBehind()
{
    Fixture f;
    f.start();
    f.dialogs.paths.enqueue(sample(u"collection-small.mdb"_s));
    f.dialogs.paths.enqueue(f.folder.path(u"変換後.mdb"_s));
    QTimer::singleShot(0, f.window.get(), [&f] {
        if (auto* progress = f.window->findChild<QWidget*>(u"frmImport"_s))
            progress->findChild<QPushButton*>(u"cmdCancel"_s)->click();
    });
    f.action(u"mFileImport")->trigger();
    QCOMPARE(f.dialogs.lastText(), u"取り込みを中止しました。"_s);
    QCOMPARE(QDir(f.folder.folder()).entryList(QDir::Files), QStringList{u"Zettora.mdb"_s});
}
