#include "displayfonttest.h"

#include "database/query.h"
#include "fakeuserdialogs.h"
#include "openedcollection.h"
#include "settings/fontchoice.h"

#include <QTest>

namespace {

QFont font(const QString& family, qreal points, bool bold = false, bool italic = false)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

void DisplayFontTest::storeDisplayFont_writesTheFirstRowOrAddsOne_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<int>("rows");

    const QString addSecondRow = QStringLiteral("INSERT INTO FontSize VALUES ('IPAGothic', 9, 0, 0)");
    const QString noRow = QStringLiteral("DELETE FROM FontSize");
    QTest::newRow("empty table, bold") << noRow << true << false << 1;
    QTest::newRow("empty table, italic") << noRow << false << true << 1;
    QTest::newRow("second row kept, plain") << addSecondRow << false << false << 2;
    QTest::newRow("second row kept, bold italic") << addSecondRow << true << true << 2;
}

void DisplayFontTest::storeDisplayFont_writesTheFirstRowOrAddsOne()
{
    QFETCH(QString, setup);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(int, rows);

    OpenedCollection c({setup});
    StoreDisplayFont(c.connection(), {QStringLiteral("IPAPGothic"), 16, bold, italic});

    Query first(c.connection(), QStringLiteral("SELECT * FROM FontSize ORDER BY rowid"));
    QVERIFY(first.next());
    QCOMPARE(first.text(0), QStringLiteral("IPAPGothic"));
    QCOMPARE(first.integer(1), 16);
    QCOMPARE(first.integer(2), bold ? -1 : 0);
    QCOMPARE(first.integer(3), italic ? -1 : 0);
    QCOMPARE(c.value(QStringLiteral("SELECT count(*) FROM FontSize")), rows);
    if (rows == 2)
        QCOMPARE(c.value(QStringLiteral("SELECT \"02Font_Size\" FROM FontSize ORDER BY rowid DESC")), 9);
}

void DisplayFontTest::cancel_changesNothingButTheDialogStartedOnTheDisplayFont()
{
    OpenedCollection c;
    c.session.displayFont = {QStringLiteral("IPAGothic"), 13, true, true};
    const QByteArray before = TestFolder::read(c.path);
    FakeUserDialogs dialogs;

    QVERIFY(!ChooseDisplayFont(c.session, dialogs));

    QCOMPARE(dialogs.fontInitials.size(), 1);
    const QFont& initial = dialogs.fontInitials.first();
    QCOMPARE(initial.family(), QStringLiteral("IPAGothic"));
    QCOMPARE(initial.pointSize(), 13);
    QVERIFY(initial.bold() && initial.italic());
    QCOMPARE(c.session.displayFont.size, 13);
    QVERIFY(c.session.displayFont.bold);
    QCOMPARE(TestFolder::read(c.path), before);
}

void DisplayFontTest::chosenSize_isStoredAsWholePoints_data()
{
    QTest::addColumn<qreal>("chosen");
    QTest::addColumn<int>("stored");

    QTest::newRow("just under a half") << qreal(12.4) << 12;
    QTest::newRow("a half rounds up") << qreal(10.5) << 11;
    QTest::newRow("over a half") << qreal(12.6) << 13;
}

void DisplayFontTest::chosenSize_isStoredAsWholePoints()
{
    QFETCH(qreal, chosen);
    QFETCH(int, stored);

    OpenedCollection c;
    FakeUserDialogs dialogs;
    dialogs.fonts << font(QStringLiteral("IPAPGothic"), chosen);

    QVERIFY(ChooseDisplayFont(c.session, dialogs));

    QCOMPARE(c.value(QStringLiteral("SELECT \"02Font_Size\" FROM FontSize")), stored);
    QCOMPARE(c.session.displayFont.size, stored);
}

void DisplayFontTest::boldAndItalic_areHeldUntilTheDatabaseIsReopened()
{
    OpenedCollection c;
    FakeUserDialogs dialogs;
    dialogs.fonts << font(QStringLiteral("IPAPGothic"), 16, true, true);

    QVERIFY(ChooseDisplayFont(c.session, dialogs));
    QCOMPARE(c.session.displayFont.name, QStringLiteral("IPAPGothic"));
    QVERIFY(c.session.displayFont.bold && c.session.displayFont.italic);

    c.reopen();
    QCOMPARE(c.session.displayFont.name, QStringLiteral("IPAPGothic"));
    QCOMPARE(c.session.displayFont.size, 16);
    QVERIFY(!c.session.displayFont.bold && !c.session.displayFont.italic);
    QCOMPARE(c.value(QStringLiteral("SELECT \"03Font_Bold\" FROM FontSize")), -1);
    QCOMPARE(c.value(QStringLiteral("SELECT \"04Font_Italic\" FROM FontSize")), -1);
}

void DisplayFontTest::storeFailure_isToldAndKeepsTheOldFont_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no FontSize table") << QStringLiteral("DROP TABLE FontSize") << QStringLiteral("IPAGothic")
                                       << QString();
    QTest::newRow("name wider than its column")
        << QString() << QStringLiteral("A").repeated(31) << QStringLiteral("が長すぎます（30 文字まで）。");
}

void DisplayFontTest::storeFailure_isToldAndKeepsTheOldFont()
{
    QFETCH(QString, setup);
    QFETCH(QString, family);
    QFETCH(QString, reason);

    OpenedCollection c(setup.isEmpty() ? QStringList() : QStringList{setup});
    c.session.displayFont = {QStringLiteral("IPAPGothic"), 13, false, true};
    FakeUserDialogs dialogs;
    dialogs.fonts << font(family, 20, true);

    QVERIFY(!ChooseDisplayFont(c.session, dialogs));

    QVERIFY(dialogs.lastText().startsWith(QStringLiteral("フォントを保存できませんでした。\n")));
    QVERIFY(dialogs.lastText().contains(reason));
    QCOMPARE(c.session.displayFont.name, QStringLiteral("IPAPGothic"));
    QCOMPARE(c.session.displayFont.size, 13);
    QVERIFY(!c.session.displayFont.bold && c.session.displayFont.italic);
}
