#include "listlayouttest.h"

#include "common/fonts.h"
#include "common/twips.h"
#include "database/connection.h"
#include "listfixture.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"

#include <QFontMetrics>
#include <QTableView>
#include <QTest>

void ListLayoutTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
}

void ListLayoutTest::listing_columnsFitTheirWidestText_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("one wide title") << QStringList{
        QStringLiteral("とても長い標題がここにあって一覧の幅を決めるはずの記事です")};
    // More rows than are measured: narrow letters fill the few kept first, the widest title comes last.
    QTest::newRow("widest last of many") << QStringList(30, QString(30, u'i')) + QStringList(20, QString(15, u'記')) +
                                                QStringList{QString(16, u'標')};
}

void ListLayoutTest::listing_columnsFitTheirWidestText()
{
    QFETCH(QStringList, titles);
    ListFixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        for (int i = 0; i < titles.size(); ++i) {
            TestScrap wide = scrap(20 + i, 1, QString());
            wide.title = titles[i];
            wide.keyword = i == 0 ? QStringLiteral("WWWWWWWWWWWWWWWWWWWW") : QString();
            addScrap(*c, wide);
        }
    }
    MainWindow& w = f.start();
    f.listRow(1);
    auto* view = f.child<QTableView>(u"fr");
    const QFontMetrics metrics(view->font());
    ScrapListModel* model = w.scrapListModel();
    // Every cell fits with its margins and grid line, plus 100 twips; no column is much wider than that.
    for (int column = 0; column < model->columnCount(); ++column) {
        int needed = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            needed = std::max(needed, view->sizeHintForIndex(model->index(row, column)).width() + 1);
        QVERIFY2(view->columnWidth(column) >= needed + twipsToPixels(100), qPrintable(QString::number(column)));
        const int header = metrics.horizontalAdvance(model->headerData(column, Qt::Horizontal).toString());
        QVERIFY(view->columnWidth(column) <= std::max(needed, header + 2 * 4 + 1) + twipsToPixels(100) + 1);
    }
}

void ListLayoutTest::listing_rowHeightFollowsTheFontSize()
{
    ListFixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")),
                    QStringLiteral("UPDATE FontSize SET \"02Font_Size\" = 12"));
    f.start();
    f.listRow(1);
    auto* view = f.child<QTableView>(u"fr");
    QCOMPARE(view->font().pointSize(), 12);
    for (int row = 0; row < view->model()->rowCount(); ++row)
        QCOMPARE(view->rowHeight(row), twipsToPixels(312));
}
