#include "favouritestest.h"

#include "common/images.h"
#include "treeeditorfixture.h"

namespace {

// ndWEB, ndID and name of every favourite, by identifier.
QStringList favourites(const EditorFixture& f)
{
    return f.rows(u"SELECT ndWEB, ndID, fvName FROM extraNodeWEB ORDER BY ndID"_qs);
}

// The stored display position of every node equals its row.
void verifyPositionsMatchRows(const EditorFixture& f)
{
    const QTreeWidgetItem* root = f.node(1);
    for (int i = 0; i < root->childCount(); ++i) {
        const QString id = root->child(i)->data(0, Qt::UserRole).toString();
        QCOMPARE(scalar(f.db(), u"SELECT ndWEB FROM extraNodeWEB WHERE ndID = "_qs + id), qint64(i + 2));
    }
}

} // namespace

void FavouritesTest::initTestCase()
{
    Images::installIconTheme();
}

void FavouritesTest::addFavourite_takesNextIdAndIsListedLast_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("withWebPage");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("address");

    const QString url = u"https://example.jp/news?id=1"_qs;
    QTest::newRow("new file: identifier 10")
        << QString() << true << u"例のニュース"_qs << u"11|10|例のニュース|"_qs + url << QString();
    QTest::newRow("a long title keeps its beginning")
        << QString() << true << QString(200, u'長') << u"11|10|"_qs + QString(127, u'長') + u'|' + url << QString();
    QTest::newRow("a long title counts an emoji as one character")
        << QString() << true << QString(126, u'長') + u"😀😀"_qs << u"11|10|"_qs + QString(126, u'長') + u"😀|"_qs + url
        << QString();
    // 255 characters fit whatever their UTF-16 length; one more is refused in words.
    const QString longAddress = url + u'&' + QString(255 - url.size() - 2, u'x');
    QTest::newRow("an address of 255 characters")
        << QString() << true << u"例"_qs << u"11|10|例|"_qs + longAddress + u"😀"_qs << longAddress + u"😀"_qs;
    QTest::newRow("an address past 255 characters")
        << QString() << true << u"例"_qs << QString() << longAddress + u"xx"_qs;
    QTest::newRow("counter at its limit")
        << u"UPDATE IDno SET ndID = 9223372036854775807"_qs << true << u"例"_qs << QString() << QString();
    QTest::newRow("no web pane") << QString() << false << u"例"_qs << QString() << QString();
    // The identifier, the row and the renumbering go together or not at all.
    QTest::newRow("renumbering refused")
        << u"CREATE TRIGGER t BEFORE UPDATE OF ndWEB ON extraNodeWEB BEGIN SELECT RAISE(ABORT, 'no'); END"_qs << true
        << u"例"_qs << QString() << QString();
}

void FavouritesTest::addFavourite_takesNextIdAndIsListedLast()
{
    QFETCH(QString, setup);
    QFETCH(bool, withWebPage);
    QFETCH(QString, title);
    QFETCH(QString, stored);
    QFETCH(QString, address);

    EditorFixture f;
    if (!address.isEmpty())
        f.web.url = address;
    if (!setup.isEmpty())
        f.db().execute(setup);
    const qint64 counter = scalar(f.db(), u"SELECT ndID FROM IDno"_qs);
    f.web.title = title;
    f.open(TreeKind::Favourites, withWebPage);
    f.select(4);
    f.press(u"AddWEB");

    const QStringList added = f.rows(u"SELECT ndWEB, ndID, fvName, fvAddress FROM extraNodeWEB WHERE ndID > 9"_qs);
    QCOMPARE(added, stored.isEmpty() ? QStringList() : QStringList{stored});
    QCOMPARE(f.dialogs.lastText().contains(u"255文字を超える"), stored.isEmpty() && address.size() > 255);
    QCOMPARE(scalar(f.db(), u"SELECT ndID FROM IDno"_qs), counter + (stored.isEmpty() ? 0 : 1));
    QCOMPARE(f.node(1)->childCount(), stored.isEmpty() ? 9 : 10);
    if (!stored.isEmpty()) {
        QCOMPARE(f.node(11)->text(0), stored.section(u'|', 2, 2));
        QCOMPARE(f.node(11)->data(0, Qt::UserRole).toString(), u"10"_qs);
    }
    verifyPositionsMatchRows(f);
}

void FavouritesTest::deleteFavourite_removesItsRowAndRenumbers_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<bool>("byKey"); // the Delete key instead of the button

    QTest::newRow("Yes") << true << QString() << QString() << true << false;
    QTest::newRow("Yes, by the Delete key") << true << QString() << QString() << true << true;
    QTest::newRow("No") << false << QString() << QString() << false << false;
    QTest::newRow("the row refuses")
        << true << u"CREATE TRIGGER t BEFORE DELETE ON extraNodeWEB BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << u"データベースからの削除に失敗しました。\n値がデータベースの決まりに合いません。"_qs << false << false;
    QTest::newRow("the renumbering refuses")
        << true << u"CREATE TRIGGER t BEFORE UPDATE OF ndWEB ON extraNodeWEB BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << u"データベースからの削除に失敗しました。\n値がデータベースの決まりに合いません。"_qs << false << false;
}

void FavouritesTest::deleteFavourite_removesItsRowAndRenumbers()
{
    QFETCH(bool, answer);
    QFETCH(QString, trigger);
    QFETCH(QString, message);
    QFETCH(bool, gone);
    QFETCH(bool, byKey);

    EditorFixture f;
    if (!trigger.isEmpty())
        f.db().execute(trigger);
    const QStringList before = favourites(f);
    f.open(TreeKind::Favourites);
    f.select(3);
    f.dialogs.yesNo.enqueue(answer);
    if (byKey)
        f.key(Qt::Key_Delete);
    else
        f.press(u"DelWEB");

    QStringList expected{u"朝日新聞 を削除します。　削除後は復活できません。　実行しますか？"_qs};
    if (!message.isEmpty())
        expected << message;
    QCOMPARE(f.dialogs.texts(), expected);
    QCOMPARE(f.node(1)->childCount(), gone ? 8 : 9);
    QCOMPARE(count(f.db(), u"extraNodeWEB"_qs), gone ? 8 : 9);
    if (gone) {
        QCOMPARE(scalar(f.db(), u"SELECT count(*) FROM extraNodeWEB WHERE ndID = 2"_qs), 0);
        verifyPositionsMatchRows(f);
    } else {
        QCOMPARE(favourites(f), before);
    }
}

void FavouritesTest::move_writtenOnLeavingMoveMode_data()
{
    QTest::addColumn<QString>("leaveKey");
    QTest::addColumn<bool>("written");

    QTest::newRow("back to toolbar 1") << u"Mode1WEB"_qs << true;
    QTest::newRow("closed in move mode") << u"CloseWEB"_qs << true;
    QTest::newRow("the close box drops it") << QString() << false;
}

void FavouritesTest::move_writtenOnLeavingMoveMode()
{
    QFETCH(QString, leaveKey);
    QFETCH(bool, written);

    EditorFixture f;
    TreeEditor& w = f.open(TreeKind::Favourites);
    f.press(u"Mode2WEB");
    f.select(10);
    f.press(u"moveUP_WEB");
    f.key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(scalar(f.db(), u"SELECT ndWEB FROM extraNodeWEB WHERE ndID = 9"_qs), 10);
    if (leaveKey.isEmpty())
        w.close();
    else
        f.press(leaveKey);

    QCOMPARE(scalar(f.db(), u"SELECT ndWEB FROM extraNodeWEB WHERE ndID = 9"_qs), written ? 8 : 10);
    QCOMPARE(scalar(f.db(), u"SELECT ndWEB FROM extraNodeWEB WHERE ndID = 7"_qs), written ? 9 : 8);
    if (written)
        verifyPositionsMatchRows(f);
}
