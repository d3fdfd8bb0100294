#include "treerowstest.h"

#include "classtree/treerows.h"

#include <QTest>
#include <QTreeWidget>

using ClassRows = QList<QPair<int, QString>>;

namespace {

// Builds a tree from (parent row, name) pairs in pre-order, the way stored class rows arrive.
void build(QTreeWidget& tree, const ClassRows& rows)
{
    new QTreeWidgetItem(&tree, QStringList{QStringLiteral("root")});
    for (const auto& [parent, name] : rows)
        new QTreeWidgetItem(TreeRows::itemAt(&tree, parent), QStringList{name});
}

} // namespace

void TreeRowsTest::rowsFollowPreOrder_data()
{
    QTest::addColumn<ClassRows>("rows");
    QTest::addColumn<QStringList>("preOrder");
    QTest::addColumn<QList<int>>("levels");

    QTest::newRow("root only") << ClassRows{} << QStringList{u"root"_qs} << QList<int>{1};
    QTest::newRow("flat favourites") << ClassRows{{1, u"a"_qs}, {1, u"b"_qs}, {1, u"c"_qs}}
                                     << QStringList{u"root"_qs, u"a"_qs, u"b"_qs, u"c"_qs} << QList<int>{1, 2, 2, 2};
    QTest::newRow("three levels, siblings after deep subtrees")
        << ClassRows{{1, u"A"_qs},  {2, u"A1"_qs}, {3, u"A1a"_qs}, {3, u"A1b"_qs},
                     {2, u"A2"_qs}, {1, u"B"_qs},  {7, u"B1"_qs},  {8, u"B1a"_qs}}
        << QStringList{u"root"_qs, u"A"_qs, u"A1"_qs, u"A1a"_qs, u"A1b"_qs, u"A2"_qs, u"B"_qs, u"B1"_qs, u"B1a"_qs}
        << QList<int>{1, 2, 3, 4, 4, 3, 2, 3, 4};
}

void TreeRowsTest::rowsFollowPreOrder()
{
    QFETCH(ClassRows, rows);
    QFETCH(QStringList, preOrder);
    QFETCH(QList<int>, levels);

    QTreeWidget tree;
    build(tree, rows);
    QCOMPARE(TreeRows::count(&tree), preOrder.size());
    for (int row = 1; row <= preOrder.size(); ++row) {
        QTreeWidgetItem* item = TreeRows::itemAt(&tree, row);
        QVERIFY(item);
        QCOMPARE(item->text(0), preOrder[row - 1]);
        QCOMPARE(TreeRows::rowOf(item), row);
        QCOMPARE(TreeRows::levelOf(item), levels[row - 1]);
    }
}

void TreeRowsTest::rowsOutsideTheTree_giveNothing()
{
    QTreeWidget tree;
    QVERIFY(!TreeRows::itemAt(&tree, 1));
    build(tree, {{1, u"a"_qs}});
    QVERIFY(!TreeRows::itemAt(&tree, 0));
    QVERIFY(!TreeRows::itemAt(&tree, 3));
    QCOMPARE(TreeRows::rowOf(nullptr), 0);
}
