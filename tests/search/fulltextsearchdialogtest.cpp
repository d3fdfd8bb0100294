#include "fulltextsearchdialogtest.h"

#include "common/colourvalue.h"
#include "common/session.h"
#include "fakeuserdialogs.h"
#include "mainwindow/bodymarks.h"
#include "search/fulltextmarker.h"
#include "search/fulltextsearchdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <memory>

using Kind = FakeUserDialogs::Kind;

namespace {

// FullTextSearchDialog beside a body box standing in for record view's, with the marker colour 0x123456 and a display
// font of its own.
struct Fixture {
    Session session;
    FakeUserDialogs dialogs;
    QPlainTextEdit body;
    std::unique_ptr<FullTextSearchDialog> window;
    std::unique_ptr<QSignalSpy> closed;

    explicit Fixture(const QString& text = u"abab ＡＢ 全文検索"_qs)
    {
        session.markers.seek = 0x123456;
        session.displayFont = {u"Noto Serif CJK JP"_qs, 13, true, false};
        showScrap(text);
        body.show();
        window = std::make_unique<FullTextSearchDialog>(session, dialogs, &body);
        closed = std::make_unique<QSignalSpy>(window.get(), &FullTextSearchDialog::closed);
        window->show();
    }
    template <typename T> T* child(const QString& name) const { return window->findChild<T*>(name); }
    void search(const QString& typed) const
    {
        child<QLineEdit>(u"Text1"_qs)->setText(typed);
        child<QPushButton>(u"Command1"_qs)->click();
    }
    // A new scrap shown as record view shows it: the box starts plain, not in the format at its old cursor.
    void showScrap(const QString& text)
    {
        body.clear();
        body.setCurrentCharFormat(QTextCharFormat());
        body.setPlainText(text);
    }
    int marked() const { return FullTextMarker::markedLength(body.document()); }
    QTextCharFormat formatAt(int position) const
    {
        QTextCursor cursor(body.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    }
};

} // namespace

void FullTextSearchDialogTest::opening_showsTheControlsAndSearchesNothing()
{
    Fixture f;
    QCOMPARE(f.window->objectName(), u"Form7"_qs);
    QCOMPARE(f.window->windowTitle(), u"全文検索"_qs);
    QVERIFY(!f.window->isModal());
    QCOMPARE(f.window->helpTopic(), 16);
    QCOMPARE(f.child<QLabel>(u"Label1"_qs)->text(), u"検索語句"_qs);
    QCOMPARE(
        f.child<QLabel>(u"Label2"_qs)->text(),
        u"このダイアログを表示したまま「次へ」「戻る」を選択すると、次のスクラップでも自動的に全文検索されます。"_qs);
    QCOMPARE(f.child<QPushButton>(u"Command1"_qs)->text(), u"検索開始"_qs);
    QCOMPARE(f.child<QPushButton>(u"Command2"_qs)->text(), u"キャンセル"_qs);
    const QFont font = f.child<QLineEdit>(u"Text1"_qs)->font();
    QCOMPARE(font.family(), u"Noto Serif CJK JP"_qs);
    QCOMPARE(font.pointSize(), 13);
    QVERIFY(font.bold());
    QVERIFY(!font.italic());
    QVERIFY(f.window->fullTextWord().isEmpty());
    QCOMPARE(f.marked(), 0);
    QVERIFY(!f.window->MarkAllHits());
}

void FullTextSearchDialogTest::search_marksEveryHitOrSaysItIsNotThere_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("marked");
    QTest::addColumn<int>("lastHit");
    QTest::addColumn<QStringList>("messages");

    // The body is "abab ＡＢ 全文検索".
    QTest::newRow("ab: both, and the full-width one") << u"ab"_qs << u"ab"_qs << 6 << 5 << QStringList{};
    QTest::newRow("upper case, blanks around") << u"  AB　"_qs << u"AB"_qs << 6 << 5 << QStringList{};
    QTest::newRow("Japanese") << u"検索"_qs << u"検索"_qs << 2 << 10 << QStringList{};
    QTest::newRow("not there") << u"全文 検索"_qs << u"全文 検索"_qs << 0 << -1
                               << QStringList{u"[全文 検索] は見つかりませんでした。"_qs};
}

void FullTextSearchDialogTest::search_marksEveryHitOrSaysItIsNotThere()
{
    QFETCH(QString, typed);
    QFETCH(QString, word);
    QFETCH(int, marked);
    QFETCH(int, lastHit);
    QFETCH(QStringList, messages);

    Fixture f;
    f.search(typed);

    QCOMPARE(f.window->fullTextWord(), word);
    QCOMPARE(f.marked(), marked);
    QCOMPARE(f.dialogs.texts(), messages);
    if (!messages.isEmpty())
        QCOMPARE(f.dialogs.messages().constFirst().kind, Kind::Information);
    if (lastHit >= 0) {
        QCOMPARE(f.body.textCursor().selectionStart(), lastHit);
        QCOMPARE(f.body.textCursor().selectionEnd() - lastHit, word.size());
    }
    QVERIFY(f.window->isVisible());
}

void FullTextSearchDialogTest::blanksOnly_doNothingAndKeepTheEarlierWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("nothing") << QString();
    QTest::newRow("spaces") << u"   "_qs;
    QTest::newRow("ideographic space and tab") << u"　\t"_qs;
}

void FullTextSearchDialogTest::blanksOnly_doNothingAndKeepTheEarlierWord()
{
    QFETCH(QString, typed);

    Fixture f;
    f.search(u"ab"_qs);
    f.showScrap(u"ab again"_qs); // a new scrap: a search now would mark it
    f.search(typed);

    QCOMPARE(f.window->fullTextWord(), u"ab"_qs);
    QCOMPARE(f.marked(), 0);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void FullTextSearchDialogTest::marks_takeTheSessionsMarkerColourAndDisplayFont()
{
    Fixture f(u"xab"_qs);
    f.search(u"ab"_qs);

    const QTextCharFormat format = f.formatAt(1);
    QCOMPARE(format.background().color(), ColourValue::toColour(0x123456));
    QCOMPARE(format.foreground().color(), QColor(Qt::black));
    QCOMPARE(format.fontWeight(), int(QFont::Bold));
    QCOMPARE(format.fontFamilies().toStringList(), QStringList{u"Noto Serif CJK JP"_qs});
    QVERIFY(!f.formatAt(0).hasProperty(QTextFormat::BackgroundBrush));

    // A colour chosen while the window is open holds for the next marking.
    f.session.markers.seek = 0x00FF00;
    f.showScrap(u"ab"_qs);
    QVERIFY(f.window->MarkAllHits());
    QCOMPARE(f.formatAt(0).background().color(), QColor(0, 0xFF, 0));
}

void FullTextSearchDialogTest::step_marksTheNextBodySilently()
{
    Fixture f;
    f.search(u"全文"_qs);

    // What record view does on a step: a new body, its underline marks, then the word marked again.
    f.showScrap(u"次の全文と全文"_qs);
    BodyMarks::replay(f.body.document(), {{false, 2, 2}}, QColor(Qt::red));
    QVERIFY(f.window->MarkAllHits());
    QCOMPARE(f.marked(), 4);
    // The hit over the underline mark shows the marker alone.
    QVERIFY(!f.formatAt(2).fontUnderline());

    f.showScrap(u"ないもの"_qs);
    QVERIFY(!f.window->MarkAllHits());
    QCOMPARE(f.marked(), 0);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void FullTextSearchDialogTest::closing_endsTheMarkingButKeepsTheMarksShown_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("キャンセル") << true;
    QTest::newRow("close box") << false;
}

void FullTextSearchDialogTest::closing_endsTheMarkingButKeepsTheMarksShown()
{
    QFETCH(bool, byButton);

    Fixture f(u"marked ab, underlined ab"_qs);
    BodyMarks::replay(f.body.document(), {{false, 10, 14}}, QColor(Qt::red));
    f.search(u"ab"_qs);
    QCOMPARE(f.marked(), 4);
    // A hit on an underline mark shows the marker alone.
    QVERIFY(!f.formatAt(22).fontUnderline());
    QCOMPARE(f.formatAt(22).fontWeight(), int(QFont::Bold));

    if (byButton)
        f.child<QPushButton>(u"Command2"_qs)->click();
    else
        f.window->close();

    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.closed->count(), 1);
    QVERIFY(f.window->fullTextWord().isEmpty());
    QCOMPARE(f.marked(), 4);

    f.showScrap(u"ab"_qs);
    QVERIFY(!f.window->MarkAllHits());
    QCOMPARE(f.marked(), 0);
}
