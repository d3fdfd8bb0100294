#pragma once

#include "classtree/treerows.h"
#include "database/connection.h"
#include "database/resultset.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"

#include <QAction>
#include <QToolBar>
#include <QTreeWidget>

// 政治(2) > 国内(3) > 選挙(4); 政治 > 国際(5); 経済(6) > 金融(7); He said "no"(8) > it's(9)
inline void addTree(Connection& c)
{
    addClass(c, 1, QStringLiteral("政治"), 2);
    addClass(c, 2, QStringLiteral("国内"), 3);
    addClass(c, 3, QStringLiteral("選挙"), 4);
    addClass(c, 2, QStringLiteral("国際"), 5);
    addClass(c, 1, QStringLiteral("経済"), 6);
    addClass(c, 6, QStringLiteral("金融"), 7);
    addClass(c, 1, QStringLiteral("He said \"no\""), 8);
    addClass(c, 8, QStringLiteral("it's"), 9);
}

inline TestScrap scrap(int docNo, int levNo, const QString& major, const QString& middle = {},
                       const QString& minor = {})
{
    return numberedScrap(docNo, levNo, {major, middle, minor});
}

// Scraps are inserted out of tree order, so that ordering is something the listing has to do.
inline void addScraps(Connection& c)
{
    addScrap(c, scrap(1, 7, QStringLiteral("経済"), QStringLiteral("金融")));
    addScrap(c, scrap(2, 4, QStringLiteral("政治"), QStringLiteral("国内"), QStringLiteral("選挙")));
    addScrap(c, scrap(3, 3, QStringLiteral("政治"), QStringLiteral("国内")));
    addScrap(c, scrap(4, 1, QString()));
    addScrap(c, scrap(5, 4, QStringLiteral("政治"), QStringLiteral("国内"), QStringLiteral("選挙")));
    addScrap(c, scrap(6, 5, QStringLiteral("政治"), QStringLiteral("国際")));
    addScrap(c, scrap(7, 9, QStringLiteral("He said \"no\""), QStringLiteral("it's")));
    addScrap(c, scrap(8, 2, QStringLiteral("政治")));
}

struct ListFixture : Fixture {
    // withScraps: the tree and scraps above, else an empty collection for the test's own.
    explicit ListFixture(bool withScraps = true)
    {
        if (!withScraps)
            return;
        auto c = Connection::openExisting(folder.path(QStringLiteral("Zettora.mdb")));
        addTree(*c);
        addScraps(*c);
    }
    QTreeWidget* tree() const { return child<QTreeWidget>(u"fg0"); }
    // Selects the search tab and clicks the class at tree row `row`.
    void listRow(int row)
    {
        if (tabs()->currentIndex() != 2)
            tabs()->setCurrentIndex(2);
        clickNode(TreeRows::itemAt(tree(), row));
    }
    // Lists the class at tree row `classRow` and presses list row `row`, which shows record view.
    void openRecord(int classRow, int row)
    {
        listRow(classRow);
        pressListRow(row);
    }
    QList<int> listedDocNos() const
    {
        QList<int> docs;
        const ResultSet* set = window->scrapListModel()->resultSet();
        for (int row = 0; set && row < set->recordCount(); ++row)
            docs << set->valueAt(row, 11).toInt();
        return docs;
    }
    QStringList toolbarKeys() const
    {
        QStringList keys;
        for (QAction* a : child<QToolBar>(u"Toolbar1")->actions()) {
            if (a->isVisible())
                keys << a->objectName();
        }
        return keys;
    }
    bool enabled(const char16_t* key) const { return window->toolbarButton(QString::fromUtf16(key))->isEnabled(); }
};
