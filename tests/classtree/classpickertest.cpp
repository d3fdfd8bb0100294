#include "classpickertest.h"

#include "classtree/classpicker.h"
#include "classtree/classtreeloader.h"
#include "classtree/treerows.h"
#include "common/images.h"
#include "database/connection.h"
#include "database/opening.h"
#include "testcollection.h"
#include "treeeditorfixture.h"

#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using ClassRows = QList<QPair<int, QString>>;

namespace {

// 政治(2) > 国内(3) > 選挙(4) > 地方(5); 政治 > 国際(6); 経済(7) > 金融(8)
struct ClassFixture {
    TestFolder folder;
    Session session;

    explicit ClassFixture(const QStringList& setup = {})
    {
        const QString path = folder.newCollection();
        session.adoptDatabase(Connection::openExisting(path), path, QStringLiteral("Zettora"), DatabaseKind::Scrap);
        Connection& c = *session.connection();
        const QList<QPair<int, QString>> classes{{1, u"政治"_qs}, {2, u"国内"_qs}, {3, u"選挙"_qs}, {4, u"地方"_qs},
                                                 {2, u"国際"_qs}, {1, u"経済"_qs}, {7, u"金融"_qs}};
        for (int i = 0; i < classes.size(); ++i)
            addClass(c, classes[i].first, classes[i].second, i + 2);
        for (const QString& sql : setup)
            c.execute(sql);
    }
};

QStringList preOrder(const QTreeWidget& tree)
{
    QStringList texts;
    for (int row = 1; row <= TreeRows::count(&tree); ++row)
        texts << TreeRows::itemAt(&tree, row)->text(0);
    return texts;
}

} // namespace

void ClassPickerTest::initTestCase()
{
    Images::installIconTheme();
}

void ClassPickerTest::loadedTree_placesClassesAtTheirStoredRows_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("whole tree") << QStringList{}
                                << QStringList{u"スクラップ分類"_qs, u"政治"_qs, u"国内"_qs, u"選挙"_qs,
                                               u"地方"_qs,           u"国際"_qs, u"経済"_qs, u"金融"_qs};
    QTest::newRow("a missing parent ends the building")
        << QStringList{u"UPDATE extraNodeMEMO SET ndP = 40 WHERE nName = '国際'"_qs}
        << QStringList{u"スクラップ分類"_qs, u"政治"_qs, u"国内"_qs, u"選挙"_qs, u"地方"_qs};
    QTest::newRow("a parent number past 2^32 is none")
        << QStringList{u"UPDATE extraNodeMEMO SET ndP = 4294967298 WHERE nName = '国際'"_qs}
        << QStringList{u"スクラップ分類"_qs, u"政治"_qs, u"国内"_qs, u"選挙"_qs, u"地方"_qs};
    QTest::newRow("unreadable classes leave the root")
        << QStringList{u"DROP TABLE extraNodeMEMO"_qs} << QStringList{u"スクラップ分類"_qs};
}

void ClassPickerTest::loadedTree_placesClassesAtTheirStoredRows()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, rows);

    ClassFixture f(setup);
    QTreeWidget tree;
    loadClassTree(&tree, *f.session.connection());
    loadClassTree(&tree, *f.session.connection()); // a reload replaces, never appends
    QCOMPARE(preOrder(tree), rows);
    for (int row = 2; row <= rows.size(); ++row) {
        const QTreeWidgetItem* node = TreeRows::itemAt(&tree, row);
        QCOMPARE(node->data(0, Qt::UserRole).toString(), QString::number(row));
        QVERIFY(!node->icon(0).isNull());
        QVERIFY(node->parent()->isExpanded());
    }
}

void ClassPickerTest::clickedClass_isHandedOverWithItsRowAndPath_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("path");

    QTest::newRow("root") << 1 << QStringList{u""_qs, u""_qs, u""_qs};
    QTest::newRow("major") << 7 << QStringList{u"経済"_qs, u""_qs, u""_qs};
    QTest::newRow("middle") << 6 << QStringList{u"政治"_qs, u"国際"_qs, u""_qs};
    QTest::newRow("minor") << 4 << QStringList{u"政治"_qs, u"国内"_qs, u"選挙"_qs};
    QTest::newRow("below the minor classes") << 5 << QStringList{u""_qs, u""_qs, u""_qs};
    // Highlighted with the arrow keys, then Enter.
    QTest::newRow("minor, by the keyboard") << -4 << QStringList{u"政治"_qs, u"国内"_qs, u"選挙"_qs};
}

void ClassPickerTest::clickedClass_isHandedOverWithItsRowAndPath()
{
    QFETCH(int, row);
    QFETCH(QStringList, path);

    ClassFixture f;
    QPointer<ClassPicker> picker = new ClassPicker(f.session, PickerOpener::RegistrationSheet);
    picker->show();
    QVERIFY(QTest::qWaitForWindowExposed(picker));
    QSignalSpy picked(picker.data(), &ClassPicker::classPicked);
    auto* tree = picker->findChild<QTreeWidget*>(QStringLiteral("fg"));

    if (row > 0) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(TreeRows::itemAt(tree, row)).center());
    } else {
        row = -row;
        tree->setCurrentItem(TreeRows::itemAt(tree, row));
        QTest::keyClick(tree, Qt::Key_Return);
    }

    QCOMPARE(picked.size(), 1);
    QCOMPARE(picked[0][0].toInt(), row);
    const auto chosen = picked[0][1].value<ClassPath>();
    QCOMPARE((QStringList{chosen.major, chosen.middle, chosen.minor}), path);
    QTRY_VERIFY(picker.isNull());
}

void ClassPickerTest::cancel_closesWithoutPicking()
{
    ClassFixture f;
    QPointer<ClassPicker> picker = new ClassPicker(f.session, PickerOpener::RecordView);
    picker->show();
    QSignalSpy picked(picker.data(), &ClassPicker::classPicked);

    picker->findChild<QPushButton*>(QStringLiteral("Command1"))->click();

    QTRY_VERIFY(picker.isNull());
    QCOMPARE(picked.size(), 0);
}

void ClassPickerTest::deepTree_loadsAndNumbersEveryRow_data()
{
    QTest::addColumn<int>("chain"); // classes each under the one before, from the root down
    QTest::addColumn<ClassRows>("after");
    QTest::addColumn<int>("tooDeep");
    QTest::addColumn<QStringList>("tail"); // "level|name" of the rows shown after the chain

    QTest::newRow("3,000 levels") << 3000 << ClassRows{} << 0 << QStringList{};
    QTest::newRow("deeper than the tree shows, then a major class")
        << kDeepestShownLevel + 9 << ClassRows{{1, u"後の大分類"_qs}} << 10 << QStringList{u"2|後の大分類"_qs};
    // Each row hangs under its parent's row as the tree stands when it is read: B moves down as A's classes grow.
    QTest::newRow("rows out of tree order")
        << 0 << ClassRows{{1, u"A"_qs}, {1, u"B"_qs}, {2, u"C"_qs}, {3, u"D"_qs}, {5, u"F"_qs}, {2, u"E"_qs}} << 0
        << QStringList{u"2|A"_qs, u"3|C"_qs, u"4|D"_qs, u"3|E"_qs, u"2|B"_qs, u"3|F"_qs};
}

void ClassPickerTest::deepTree_loadsAndNumbersEveryRow()
{
    QFETCH(int, chain);
    QFETCH(ClassRows, after);
    QFETCH(int, tooDeep);
    QFETCH(QStringList, tail);

    TestFolder folder;
    auto connection = Connection::openExisting(folder.newCollection());
    addChain(*connection, 1, u"分類"_qs, chain);
    int row = chain + 1;
    for (const auto& [parent, name] : after)
        addClass(*connection, parent, name, ++row);
    QTreeWidget tree;
    const Result<ClassTreeLoad> load = readClassTree(&tree, *connection);
    QVERIFY(load);
    QCOMPARE(load->tooDeep, tooDeep);
    QCOMPARE(load->parentless, 0);

    QStringList expected{u"1|スクラップ分類"_qs};
    for (int k = 1; k <= std::min(chain, kDeepestShownLevel - 1); ++k)
        expected << QStringLiteral("%1|分類%1").arg(k + 1);
    expected += tail;
    const QList<QTreeWidgetItem*> rows = TreeRows::inOrder(&tree);
    QCOMPARE(TreeRows::count(&tree), expected.size());
    QHash<const QTreeWidgetItem*, int> levels;
    QStringList shown;
    for (const QTreeWidgetItem* item : rows) {
        levels[item] = levels.value(item->parent()) + 1;
        shown << QString::number(levels[item]) + u'|' + item->text(0);
    }
    QCOMPARE(shown, expected);
    // Each of these walks the tree once: every row of a deep tree would make the test itself take minutes.
    for (const int row : {1, 2, int(rows.size()) / 2, int(rows.size()) - 1, int(rows.size())}) {
        QCOMPARE(TreeRows::itemAt(&tree, row), rows[row - 1]);
        QCOMPARE(TreeRows::rowOf(rows[row - 1]), row);
        QCOMPARE(TreeRows::levelOf(rows[row - 1]), levels[rows[row - 1]]);
    }
    QVERIFY(!TreeRows::itemAt(&tree, int(rows.size()) + 1));
}
