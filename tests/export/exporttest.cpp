#include "exporttest.h"

#include "database/connection.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"

#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

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
    QVERIFY2(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::TempLocation)), qPrintable(path));
    QVERIFY2(QFileInfo(path).fileName().startsWith(u"Zettora_"_s), qPrintable(path));
    QVERIFY(path.endsWith(u".xlsx"_s));

    const QList<QStringList> sheet = readWithLibreOffice(path);
    const QList<QStringList> expected = {
        {u"重要度"_s, u"標題"_s, u"作成年月日"_s, u"大分類"_s, u"中分類"_s, u"小分類"_s, u"キーワード"_s, u"添付画像"_s,
         u"pfID"_s, u"backC"_s, u"LevNo"_s, u"DocNo"_s},
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
         u"1"_s},
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
         u"2"_s},
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
         u"3"_s},
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
