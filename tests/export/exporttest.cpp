#include "exporttest.h"

#include "database/connection.h"
#include "export/listworkbook.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"

#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Three scraps under 政治 whose texts a spreadsheet would like to turn into something else.
struct ExportFixture : Fixture {
    ExportFixture()
    {
        auto c = Connection::openExisting(folder.path(u"Zettora.mdb"_s));
        addClass(*c, 1, u"政治"_s, 2);
        const QStringList titles = {u"予算案、衆院を通過"_s, u"O'Brien's \"view\""_s, u"=1+1"_s};
        for (int i = 1; i <= 3; ++i) {
            TestScrap s;
            s.title = titles.at(i - 1);
            s.major = u"政治"_s;
            s.middle = i == 2 ? u"一行目\n二行目"_s : QString();
            s.keyword = i == 3 ? u"0012"_s : QString();
            s.level = i == 3 ? u"重要"_s : u"普通"_s;
            s.date = u"2024-03-0%1"_s.arg(i);
            s.levNo = 2;
            s.docNo = i;
            s.pfID = 10 + i;
            addScrap(*c, s);
        }
    }
    void listPolitics() const
    {
        clickNode(child<QTreeWidget>(u"fg0")->topLevelItem(0)->child(0));
        QCOMPARE(window->scrapListModel()->rowCount(), 3);
    }
};

// The workbook as LibreOffice reads it, each cell as it shows it.
QList<QStringList> readWithLibreOffice(const QString& path)
{
    QTemporaryDir out;
    QProcess office;
    office.start(u"libreoffice"_s,
                 {u"--headless"_s, u"-env:UserInstallation=file://"_s + out.filePath(u"profile"_s), u"--convert-to"_s,
                  u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s, out.path(), path});
    if (!office.waitForFinished(180000) || office.exitCode() != 0)
        return {};
    QFile csv(QDir(out.path()).filePath(QFileInfo(path).completeBaseName() + u".csv"_s));
    if (!csv.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(csv.readAll());
    QList<QStringList> rows{{}};
    QString cell;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
            cell += u'"';
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u',') {
            rows.last() << std::exchange(cell, QString());
        } else if (!quoted && c == u'\n') {
            rows.last() << std::exchange(cell, QString());
            rows.append(QStringList());
        } else {
            cell += c;
        }
    }
    if (rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

} // namespace

void ExportTest::excelvt_writesTheListAsASpreadsheetReadBackByLibreOffice()
{
    ExportFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.listPolitics();
    w.toolbarButton(u"excelvt"_s)->trigger();
    QCOMPARE(f.desktop.opened.size(), 1);
    const QString path = f.desktop.opened.first();
    // In a folder of the user's own that nobody else may enter, not in the shared temporary folder.
    QVERIFY2(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)), qPrintable(path));
    QCOMPARE(QFile::permissions(QFileInfo(path).path()) & 0x77, QFileDevice::Permissions()); // group and others
    QVERIFY2(QFileInfo(path).fileName().startsWith(u"Zettora_"_s), qPrintable(path));
    QVERIFY(path.endsWith(u".xlsx"_s));

    const QList<QStringList> sheet = readWithLibreOffice(path);
    const QList<QStringList> expected = {
        {u"重要度"_s, u"標題"_s, u"作成年月日"_s, u"大分類"_s, u"中分類"_s, u"小分類"_s, u"キーワード"_s, u"添付画像"_s,
         u"pfID"_s, u"backC"_s, u"LevNo"_s, u"DocNo"_s, u"出典アドレス"_s},
        {u"普通"_s,
         u"予算案、衆院を通過"_s,
         u"2024/03/01"_s,
         u"政治"_s,
         {},
         {},
         {},
         u"なし"_s,
         u"11"_s,
         u"-2147483629"_s,
         u"2"_s,
         u"1"_s,
         {}},
        {u"普通"_s,
         u"O'Brien's \"view\""_s,
         u"2024/03/02"_s,
         u"政治"_s,
         u"一行目\n二行目"_s,
         {},
         {},
         u"なし"_s,
         u"12"_s,
         u"-2147483629"_s,
         u"2"_s,
         u"2"_s,
         {}},
        {u"重要"_s,
         u"=1+1"_s,
         u"2024/03/03"_s,
         u"政治"_s,
         {},
         {},
         u"0012"_s,
         u"なし"_s,
         u"13"_s,
         u"-2147483629"_s,
         u"2"_s,
         u"3"_s,
         {}},
    };
    QCOMPARE(sheet, expected);
}

void ExportTest::excelvt_narrowedList_noSpreadsheetProgram_saysWhereTheFileIs()
{
    ExportFixture f;
    f.desktop.opens = false;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.listPolitics();
    w.toolbarButton(u"pDownMEMO"_s)->trigger();
    auto* levels = w.findChild<QWidget*>(u"Form8"_s)->findChild<QComboBox*>();
    levels->setCurrentIndex(levels->findText(u"重要"_s));
    Q_EMIT levels->activated(levels->currentIndex());
    QCOMPARE(w.scrapListModel()->rowCount(), 1);

    w.toolbarButton(u"excelvt"_s)->trigger();
    const QString path = f.desktop.opened.value(0);
    QCOMPARE(f.dialogs.lastText(),
             u"表計算ソフトで開けなかったため、一覧表は次のファイルに保存してあります。\n"_s + path);
    const QList<QStringList> sheet = readWithLibreOffice(path);
    QCOMPARE(sheet.size(), 2);
    QCOMPARE(sheet.at(1).value(1), u"=1+1"_s);
}

void ExportTest::excelvt_cellTexts_comeBackExactly()
{
    // Escaped forms written literally, control characters, characters XML cannot hold, a formula, plain Japanese.
    const QStringList titles{u"_x0041_ and _x005F_"_s,
                             u"_x005F_x0041_"_s,
                             u"__x00af__x0041__"_s,
                             u"a\u0001b\u001Fc\td\u0007"_s,
                             u"行\r末"_s,
                             u"前\uFFFE中\uFFFF後"_s,
                             u"=1+1"_s,
                             u"予算案、衆院を通過"_s};
    Fixture f;
    auto c = Connection::openExisting(f.folder.path(u"Zettora.mdb"_s));
    addClass(*c, 1, u"政治"_s, 2);
    for (int i = 0; i < titles.size(); ++i) {
        TestScrap s = numberedScrap(i + 1, 2, {u"政治"_s});
        s.title = titles.at(i);
        addScrap(*c, s);
    }
    // A number a double cannot hold exactly.
    c->execute(u"UPDATE MEMO_IDX SET DocNo = 9007199254740993 WHERE DocNo = 8"_s);
    c.reset();
    f.start();
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.clickNode(f.child<QTreeWidget>(u"fg0")->topLevelItem(0)->child(0));
    f.press(u"excelvt");

    const QList<QStringList> sheet = readWithLibreOffice(f.desktop.opened.value(0));
    QStringList shown;
    for (const QStringList& row : sheet.mid(1))
        shown << row.value(1);
    QCOMPARE(shown, titles);
    QCOMPARE(sheet.last().value(11), u"9007199254740993"_s);
}

void ExportTest::writeListWorkbook_neverReplacesNorFollows_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<bool>("refused");
    QTest::newRow("two exports in one second") << QString() << false;
    QTest::newRow("a link to a file at the name") << u"victim.txt"_s << false;
    QTest::newRow("a link to nowhere at the name") << u"made.xlsx"_s << false;
    QTest::newRow("the folder a link elsewhere") << u"folder link"_s << true;
}

void ExportTest::writeListWorkbook_neverReplacesNorFollows()
{
    QFETCH(QString, planted);
    QFETCH(bool, refused);
    TestFolder home;
    const QString victim = home.writeFile(u"victim.txt"_s, "kept");
    const QByteArray folder = QFile::encodeName(home.path(u"lists"_s));
    if (planted == u"folder link")
        QCOMPARE(::symlink(QFile::encodeName(home.folder()).constData(), folder.constData()), 0);
    else
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    if (planted.contains(u'.'))
        QCOMPARE(::symlink(QFile::encodeName(home.path(planted)).constData(),
                           QFile::encodeName(home.path(u"lists/政治_20240301-093015.xlsx"_s)).constData()),
                 0);

    const ListTable table{{u"標題"_s}, {CellKind::Text}, 1, [](int, int) { return u"予算案"_s; }, {}};
    const QDateTime when(QDate(2024, 3, 1), QTime(9, 30, 15));
    QSet<QString> written;
    for (int i = 0; i < 2; ++i) {
        const Result<QString> result = writeListWorkbook(QFile::decodeName(folder), u"政治"_s, when, table);
        QCOMPARE(result.ok(), !refused);
        if (!result) {
            QVERIFY(result.message().startsWith(u"一覧表のファイルを作成できませんでした。\n"_s));
            continue;
        }
        QVERIFY(!QFileInfo(*result).isSymLink() && TestFolder::read(*result).startsWith("PK"));
        written << *result;
    }
    QCOMPARE(written.size(), refused ? 0 : 2);
    // Nothing was written through a link.
    QCOMPARE(TestFolder::read(victim), QByteArray("kept"));
    QCOMPARE(QDir(home.folder()).entryList(QDir::Files | QDir::System), QStringList{u"victim.txt"_s});
}

void ExportTest::writeListWorkbook_toldRowByRowToTheLast_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("no rows") << 0;
    QTest::newRow("one row") << 1;
    QTest::newRow("a few hundred") << 300;
}

// The progress a long list shows: every row told once, in order, the last as done.
void ExportTest::writeListWorkbook_toldRowByRowToTheLast()
{
    QFETCH(int, rows);
    TestFolder home;
    QList<int> told;
    ListTable table{{u"標題"_s, u"作成年月日"_s},
                    {CellKind::Text, CellKind::Date},
                    rows,
                    [](int row, int column) { return column == 0 ? u"予算案%1"_s.arg(row) : u"2024/03/01"_s; },
                    [&told, rows](int done, int total) {
                        QCOMPARE(total, rows);
                        told << done;
                    }};
    const Result<QString> written =
        writeListWorkbook(home.path(u"lists"_s), u"政治"_s, QDateTime::currentDateTime(), table);
    QVERIFY(written.ok());
    QList<int> expected;
    for (int row = 1; row <= rows; ++row)
        expected << row;
    QCOMPARE(told, expected);
}

void ExportTest::writeListWorkbook_datesBeforeTheSheetsFirstDay_stayText_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("cell"); // as the sheet's XML holds it
    // A spreadsheet counts days from 1900/01/01; an earlier one would be a negative number shown as "#####".
    QTest::newRow("1895") << u"1895/03/15"_s << u"t=\"inlineStr\"><is><t>1895/03/15</t>"_s;
    QTest::newRow("the day before the first") << u"1899/12/31"_s << u"t=\"inlineStr\"><is><t>1899/12/31</t>"_s;
    QTest::newRow("the first day") << u"1900/01/01"_s << u"s=\"1\"><v>1</v>"_s;
}

void ExportTest::writeListWorkbook_datesBeforeTheSheetsFirstDay_stayText()
{
    QFETCH(QString, listed);
    QFETCH(QString, cell);
    TestFolder home;
    ListTable table{{u"作成年月日"_s}, {CellKind::Date}, 1, [listed](int, int) { return listed; }, {}};
    const Result<QString> written =
        writeListWorkbook(home.path(u"lists"_s), u"政治"_s, QDateTime::currentDateTime(), table);
    QVERIFY(written.ok());
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-p"_s, *written, u"xl/worksheets/sheet1.xml"_s});
    QVERIFY(unzip.waitForFinished());
    QVERIFY(QString::fromUtf8(unzip.readAllStandardOutput()).contains(u"<c r=\"A2\" "_s + cell));
}
