#include "mainwindowrecordtest.h"

#include "classtree/treerows.h"
#include "common/colourvalue.h"
#include "common/fonts.h"
#include "common/images.h"
#include "database/connection.h"
#include "database/query.h"
#include "database/resultset.h"
#include "mainwindow/bodymarks.h"
#include "mainwindow/scraplistmodel.h"
#include "mainwindowfixture.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>

namespace {

constexpr int kValue = 2;

// Three scraps under 政治 (row 2) with bodies; the second one has marks. 経済 (row 3) is empty.
struct RecordFixture : Fixture {
    explicit RecordFixture(int scraps = 3)
    {
        auto c = Connection::openExisting(folder.path(QStringLiteral("Zettora.mdb")));
        addClass(*c, 1, QStringLiteral("政治"), 2);
        addClass(*c, 1, QStringLiteral("経済"), 3);
        for (int i = 1; i <= scraps; ++i) {
            TestScrap s;
            s.title = QStringLiteral("記事%1").arg(i);
            s.major = QStringLiteral("政治");
            s.levNo = 2;
            s.docNo = i;
            s.pfID = i;
            s.keyword = QStringLiteral("鍵%1").arg(i);
            addScrap(*c, s);
            addBody(*c, i, QStringLiteral("本文%1の一行目\n二行目").arg(i));
        }
        if (scraps >= 2) {
            addMark(*c, 2, false, 0, 4);
            addMark(*c, 2, true, 2, 1);
        }
    }
    // Lists 政治 and presses list row `row` (1-based).
    MainWindow& openRecord(int row = 1)
    {
        MainWindow& w = start();
        tabs()->setCurrentIndex(2);
        clickNode(TreeRows::itemAt(child<QTreeWidget>(u"fg0"), 2));
        pressListRow(row);
        return w;
    }
    QTableWidget* sheet() const { return child<QTableWidget>(u"fg1"); }
    QString cell(int row) const { return sheet()->item(row, kValue)->text(); }
    QPlainTextEdit* body() const { return child<QPlainTextEdit>(u"rtBox"); }
    void edit(int row, const QString& text) const { sheet()->item(row, kValue)->setText(text); }
    QString stored(const QString& column, int docNo) const
    {
        auto c = Connection::openExisting(session.databasePath());
        Query q(*c, QStringLiteral("SELECT ") + column + QStringLiteral(" FROM MEMO_IDX WHERE DocNo = ?"));
        q.bind(1, docNo);
        return q.next() ? q.text(0) : QString();
    }
};

bool underlinedAt(const QPlainTextEdit* box, int position)
{
    QTextCursor cursor(box->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat().fontUnderline();
}

} // namespace

void MainWindowRecordTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
    Images::installIconTheme();
}

void MainWindowRecordTest::enteringRecordView_showsSheetBodyAndMarks()
{
    RecordFixture f;
    QApplication::clipboard()->setText(QStringLiteral("前の内容"));
    MainWindow& w = f.openRecord(2);

    QCOMPARE(w.mode(), MainWindow::Mode::RecordView);
    QVERIFY(w.recordViewFlag());
    QVERIFY(f.paneShown(u"rtBox") && f.paneShown(u"fg1") && !f.paneShown(u"fg0"));
    QCOMPARE(f.sheet()->item(0, kValue)->text(), QStringLiteral("スクラップ管理票"));
    QCOMPARE(f.sheet()->item(2, 1)->text(), QStringLiteral("標題"));
    QCOMPARE(f.cell(2), QStringLiteral("記事2"));
    QCOMPARE(f.cell(4), QStringLiteral("政治"));
    QCOMPARE(f.cell(7), QStringLiteral("鍵2"));
    QCOMPARE(f.cell(8), QStringLiteral("なし"));
    for (int row = 9; row <= 12; ++row)
        QVERIFY(f.sheet()->isRowHidden(row));
    QCOMPARE(f.body()->toPlainText(), QStringLiteral("本文2の一行目\n二行目"));
    // Marked 0..4, then 2 unmarked: the last action wins per character.
    QVERIFY(underlinedAt(f.body(), 0) && underlinedAt(f.body(), 1) && underlinedAt(f.body(), 3));
    QVERIFY(!underlinedAt(f.body(), 2) && !underlinedAt(f.body(), 4));
    QCOMPARE(w.statusText(1), QStringLiteral("スクラップ： 2/3"));
    QVERIFY(QApplication::clipboard()->text().isEmpty());
    QCOMPARE(w.helpTopic(), 34);
    QVERIFY(!f.action(u"mSearchDel")->isEnabled());
}

void MainWindowRecordTest::stepping_wrapsAroundBothWays_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("expected");

    QTest::newRow("next from the last shows the first") << 3 << QStringLiteral("nextMEMO") << 1;
    QTest::newRow("previous from the first shows the last") << 1 << QStringLiteral("prevMEMO") << 3;
    QTest::newRow("next in the middle") << 1 << QStringLiteral("nextMEMO") << 2;
}

void MainWindowRecordTest::stepping_wrapsAroundBothWays()
{
    QFETCH(int, start);
    QFETCH(QString, key);
    QFETCH(int, expected);

    RecordFixture f;
    MainWindow& w = f.openRecord(start);
    w.toolbarButton(key)->trigger();

    QCOMPARE(w.resultPosition(), expected);
    QCOMPARE(w.statusText(1), QStringLiteral("スクラップ： %1/3").arg(expected));
    QCOMPARE(f.cell(2), QStringLiteral("記事%1").arg(expected));
    QCOMPARE(f.body()->toPlainText(), QStringLiteral("本文%1の一行目\n二行目").arg(expected));
    QVERIFY(f.dialogs.messages().isEmpty());
}

void MainWindowRecordTest::arrows_stepLikeTheButtons_askingAboutEdits_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("expected");

    QTest::newRow("right, yes saves") << int(Qt::Key_Right) << true << 2;
    QTest::newRow("left, no keeps the stored body") << int(Qt::Key_Left) << false << 3;
}

void MainWindowRecordTest::arrows_stepLikeTheButtons_askingAboutEdits()
{
    QFETCH(int, key);
    QFETCH(bool, answer);
    QFETCH(int, expected);

    RecordFixture f;
    MainWindow& w = f.openRecord(1);
    f.body()->setPlainText(QStringLiteral("書き直した本文"));
    f.dialogs.yesNo.enqueue(answer);

    QTest::keyClick(f.sheet(), Qt::Key(key));

    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("スクラップ内容が変更されています。　登録しますか？")});
    QCOMPARE(w.resultPosition(), expected);
    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_DAT WHERE a01 = '書き直した本文'")), answer ? 1 : 0);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_DAT WHERE pfID = 1 AND a01 LIKE '本文1%'")),
             answer ? 0 : 1);

    // Unchanged body: no question.
    f.dialogs.clear();
    QTest::keyClick(f.sheet(), Qt::Key_Right);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void MainWindowRecordTest::savingTheBody_writesIt()
{
    RecordFixture f;
    {
        // A body replaced as a whole takes its marks with it: they were on words no longer there.
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        addMark(*c, 3, false, 4, 20);
        addMark(*c, 3, false, 30, 2);
    }
    MainWindow& w = f.openRecord(3);
    f.body()->setPlainText(QStringLiteral("新しい本文\n二行"));
    w.toolbarButton(QStringLiteral("RecEditMEMO"))->trigger();
    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_DAT WHERE pfID = 3 AND a01 = '新しい本文\n二行'")),
             1);
    Query marks(*c,
                QStringLiteral("SELECT group_concat(startP || '+' || selLen, ' ') FROM MEMO_UNDERLINE WHERE pfID = 3"));
    QVERIFY(marks.next());
    QCOMPARE(marks.text(0), QString());
    // The reference text is not renewed by saving: stepping on asks again.
    f.dialogs.yesNo.enqueue(false);
    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    QCOMPARE(f.dialogs.texts().size(), 1);
}

void MainWindowRecordTest::longBodies_areShownInPartAndNeverSavedCut_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("shownStart"); // the box's text begins so
    QTest::addColumn<qsizetype>("shownLength");
    QTest::addColumn<bool>("cut");

    const QString line(25'000, u'字');
    QTest::newRow("short lines, under the limits")
        << QString(9'999, u'字') + u'\n' + QString(9'999, u'字') << QString(9'999, u'字') + u'\n' << 19'999LL << false;
    QTest::newRow("one line of 25,000, broken for the eye")
        << line << QString(10'000, u'字') + u'\n' << 25'002LL << true;
    const QString outsideBmp = u"𠮷"_qs;
    QTest::newRow("a line of characters outside the BMP, broken between them")
        << u"a"_qs + outsideBmp.repeated(12'000) << u"a"_qs + outsideBmp.repeated(5'000) + u'\n' << 24'003LL << true;
    QTest::newRow("2,000,000 characters on one line, the first part shown")
        << QString(2'000'000, u'字') << QString(10'000, u'字') + u'\n' << 1'000'000LL << true;
    QTest::newRow("many short lines past the most shown")
        << QStringLiteral("一行の本文\n").repeated(300'000) << QStringLiteral("一行の本文\n") << 1'000'000LL << true;
}

void MainWindowRecordTest::longBodies_areShownInPartAndNeverSavedCut()
{
    QFETCH(QString, body);
    QFETCH(QString, shownStart);
    QFETCH(qsizetype, shownLength);
    QFETCH(bool, cut);
    RecordFixture f;
    {
        auto c = Connection::openExisting(f.folder.path(QStringLiteral("Zettora.mdb")));
        Query set(*c, QStringLiteral("UPDATE MEMO_DAT SET a01 = ? WHERE pfID = 2"));
        set.bind(1, body).run();
    }
    MainWindow& w = f.openRecord(2);
    QVERIFY(f.body()->toPlainText().startsWith(shownStart));
    QCOMPARE(f.body()->toPlainText().size(), shownLength);
    QVERIFY(QStringView(f.body()->toPlainText()).isValidUtf16());
    QCOMPARE(f.body()->isReadOnly(), cut);
    QCOMPARE(underlinedAt(f.body(), 0), !cut); // its marks count in the stored text, so none is drawn
    QCOMPARE(f.dialogs.texts().size(), cut ? 1 : 0);

    // Whatever reaches the box, the stored body is only ever replaced whole.
    f.body()->setPlainText(QStringLiteral("書き換えた本文"));
    w.toolbarButton(QStringLiteral("RecEditMEMO"))->trigger();
    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT a01 = '書き換えた本文' FROM MEMO_DAT WHERE pfID = 2")), cut ? 0 : 1);
    if (cut)
        QCOMPARE(f.dialogs.lastText().section(u'\n', 0, 0), QStringLiteral("スクラップを保存できませんでした。"));
    f.dialogs.yesNo.enqueue(false);
}

void MainWindowRecordTest::sheetEdits_storeAtOnce_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("reordered"); // the file's index table rebuilt by another tool, its columns reversed

    QTest::newRow("title") << 2 << QStringLiteral("a02") << QStringLiteral("He said \"no\" と言った") << false;
    QTest::newRow("date") << 3 << QStringLiteral("a03") << QStringLiteral("2019-05-01") << false;
    QTest::newRow("keyword") << 7 << QStringLiteral("a07") << QStringLiteral("it's") << false;
    QTest::newRow("title, columns in another order")
        << 2 << QStringLiteral("a02") << QStringLiteral("新しい標題") << true;
    // 255 characters, each two UTF-16 units, as the file's own check counts them.
    QTest::newRow("title of characters beyond the BMP")
        << 2 << QStringLiteral("a02") << QStringLiteral("𠮷").repeated(255) << false;
}

void MainWindowRecordTest::sheetEdits_storeAtOnce()
{
    QFETCH(int, row);
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(bool, reordered);

    RecordFixture f;
    if (reordered) {
        const QString path = f.folder.path(QStringLiteral("Zettora.mdb"));
        alterCollection(
            path, QStringLiteral("CREATE TABLE rebuilt AS SELECT DocNo, LevNo, backC, pfID, skID, a07, a06, a05, a04, "
                                 "a03, a02, a01 FROM MEMO_IDX ORDER BY rowid"));
        alterCollection(path, QStringLiteral("DROP TABLE MEMO_IDX"));
        alterCollection(path, QStringLiteral("ALTER TABLE rebuilt RENAME TO MEMO_IDX"));
    }
    MainWindow& w = f.openRecord(1);
    const QString before = f.stored(column, 1);
    QCOMPARE(f.cell(row), before);
    f.edit(row, f.cell(row)); // unchanged: nothing written
    QCOMPARE(f.stored(column, 1), before);

    f.edit(row, text);
    QCOMPARE(f.stored(column, 1), text);
    QCOMPARE(f.session.resultSet()->text(column), text);
    QVERIFY(f.dialogs.messages().isEmpty());

    // Typed into the cell's open editor, then stepped on: stored on this scrap before the next one is shown.
    const QModelIndex index = f.sheet()->model()->index(row, kValue);
    f.sheet()->edit(index);
    auto* editor = qobject_cast<QLineEdit*>(f.sheet()->indexWidget(index));
    QVERIFY(editor);
    editor->setText(before);
    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    QCOMPARE(f.stored(column, 1), before);
}

void MainWindowRecordTest::sheetEdit_thatCannotBeStored_isPutBack_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");

    QTest::newRow("not a date") << 3 << QStringLiteral("昨日");
    QTest::newRow("no such day") << 3 << QStringLiteral("2023-02-30");
    QTest::newRow("title too long") << 2 << QString(256, u'長');
}

void MainWindowRecordTest::sheetEdit_thatCannotBeStored_isPutBack()
{
    QFETCH(int, row);
    QFETCH(QString, text);

    RecordFixture f;
    f.openRecord(1);
    const QString shown = f.cell(row);
    const QByteArray file = TestFolder::read(f.session.databasePath());

    f.edit(row, text);

    QCOMPARE(f.cell(row), shown);
    QCOMPARE(f.dialogs.messages().size(), 1);
    QCOMPARE(f.dialogs.messages().first().kind, FakeUserDialogs::Kind::Exclamation);
    QCOMPARE(TestFolder::read(f.session.databasePath()), file);
}

void MainWindowRecordTest::importanceChoice_storesLevelAndColour()
{
    RecordFixture f;
    f.openRecord(1);
    f.edit(1, QStringLiteral("重要"));
    QCOMPARE(f.stored(QStringLiteral("a01"), 1), QStringLiteral("重要"));
    QCOMPARE(f.stored(QStringLiteral("backC"), 1), QStringLiteral("16761087"));
    QCOMPARE(f.sheet()->item(1, kValue)->background().color(), QColor(255, 192, 255));
}

void MainWindowRecordTest::savedEdition_allowsNoEdit()
{
    RecordFixture f;
    alterCollection(f.folder.path(QStringLiteral("Zettora.mdb")), QStringLiteral("UPDATE DBID SET dbid = -2"));
    MainWindow& w = f.openRecord(1);
    QCOMPARE(f.sheet()->editTriggers(), QAbstractItemView::NoEditTriggers);
    for (int row = 1; row <= 8; ++row)
        QVERIFY(!(f.sheet()->item(row, kValue)->flags() & Qt::ItemIsEditable));
    QVERIFY(f.body()->isReadOnly());
    QVERIFY(!w.toolbarButton(QStringLiteral("delMEMO"))->isEnabled());
    f.pressSheetCell(4, kValue);
    QVERIFY(!w.findChild<QWidget*>(QStringLiteral("Form4")));
}

void MainWindowRecordTest::marking_inRecordView_isLoggedAndReplayed()
{
    RecordFixture f;
    MainWindow& w = f.openRecord(1);
    QTextCursor cursor = f.body()->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(7, QTextCursor::KeepAnchor); // across the line break
    f.body()->setTextCursor(cursor);

    w.toolbarButton(QStringLiteral("underLineInd"))->trigger();
    QVERIFY(underlinedAt(f.body(), 3) && underlinedAt(f.body(), 6));
    // The whole selection marked: pressing again unmarks it.
    w.toolbarButton(QStringLiteral("underLineInd"))->trigger();
    QVERIFY(!underlinedAt(f.body(), 3));
    w.toolbarButton(QStringLiteral("underLineInd"))->trigger();

    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_UNDERLINE WHERE pfID = 1")), 3);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT SelLen FROM MEMO_UNDERLINE WHERE pfID = 1 ORDER BY rowid LIMIT 1")), 4);
    // Marking changed no text, so stepping on does not ask; coming back replays the marks.
    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    w.toolbarButton(QStringLiteral("prevMEMO"))->trigger();
    QVERIFY(f.dialogs.messages().isEmpty());
    QVERIFY(underlinedAt(f.body(), 3) && underlinedAt(f.body(), 6) && !underlinedAt(f.body(), 2));

    // Text typed before the mark and stored moves the mark with its words.
    QTextCursor typing = f.body()->textCursor();
    typing.setPosition(0);
    typing.insertText(u"前書き"_qs);
    f.dialogs.yesNo.enqueue(true);
    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    w.toolbarButton(QStringLiteral("prevMEMO"))->trigger();
    QVERIFY(underlinedAt(f.body(), 6) && underlinedAt(f.body(), 9) && !underlinedAt(f.body(), 5));
}

void MainWindowRecordTest::marks_followTheTypedWords_data()
{
    QTest::addColumn<bool>("inputMethod");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("marks"); // stored after 登録, on "本文1の一行目\n二行目" marked at 2+3 and 9+2
    QTest::newRow("keys inside the mark") << false << 3 << u"AB"_qs << u"2+5 11+2"_qs;
    // An input method's commit reports its whole paragraph replaced.
    QTest::newRow("input method before the mark") << true << 0 << u"前書き"_qs << u"5+3 12+2"_qs;
    QTest::newRow("input method after the mark, same line") << true << 6 << u"大阪"_qs << u"2+3 11+2"_qs;
    QTest::newRow("input method inside the mark") << true << 4 << u"大"_qs << u"2+4 10+2"_qs;
    QTest::newRow("input method inside the mark, before the same character") << true << 4 << u"一"_qs << u"2+4 10+2"_qs;
    QTest::newRow("input method on the next line") << true << 8 << u"東京の"_qs << u"2+3 12+2"_qs;
    // No text typed: the mark's words cut, then the cut undone.
    QTest::newRow("a cut undone") << false << 2 << QString() << u"2+3 9+2"_qs;
}

void MainWindowRecordTest::marks_followTheTypedWords()
{
    QFETCH(bool, inputMethod);
    QFETCH(int, at);
    QFETCH(QString, typed);
    QFETCH(QString, marks);
    RecordFixture f;
    {
        auto c = Connection::openExisting(f.folder.path(u"Zettora.mdb"_qs));
        addMark(*c, 1, false, 2, 3);
        addMark(*c, 1, false, 9, 2);
    }
    MainWindow& w = f.openRecord(1);
    QTextCursor cursor = f.body()->textCursor();
    cursor.setPosition(at);
    f.body()->setTextCursor(cursor);
    if (inputMethod) {
        QInputMethodEvent composing(typed, {});
        QCoreApplication::sendEvent(f.body(), &composing);
        QInputMethodEvent commit;
        commit.setCommitString(typed);
        QCoreApplication::sendEvent(f.body(), &commit);
    } else if (typed.isEmpty()) {
        cursor.setPosition(at + 3, QTextCursor::KeepAnchor);
        f.body()->setTextCursor(cursor);
        f.body()->cut();
        f.body()->undo();
    } else {
        QTest::keyClicks(f.body(), typed);
    }
    QCOMPARE(f.body()->toPlainText(), u"本文1の一行目\n二行目"_qs.insert(at, typed));

    w.toolbarButton(u"RecEditMEMO"_qs)->trigger();

    auto c = Connection::openExisting(f.session.databasePath());
    Query logged(*c, u"SELECT group_concat(startP || '+' || selLen, ' ') FROM MEMO_UNDERLINE WHERE pfID = 1"_qs);
    QVERIFY(logged.next());
    QCOMPARE(logged.text(0), marks);
}

void MainWindowRecordTest::marking_anEditedBody_storesItFirstOrMarksNothing_data()
{
    QTest::addColumn<bool>("store");
    QTest::addColumn<bool>("logRefused");
    QTest::addColumn<QString>("marks");
    QTest::newRow("the edit stored") << true << false << u"3+2"_qs;
    QTest::newRow("the edit not stored") << false << false << QString();
    // A mark the file did not take is not drawn either: the next try would read it as an unmark.
    QTest::newRow("the mark refused") << true << true << QString();
}

void MainWindowRecordTest::marking_anEditedBody_storesItFirstOrMarksNothing()
{
    QFETCH(bool, store);
    QFETCH(bool, logRefused);
    QFETCH(QString, marks);
    RecordFixture f;
    MainWindow& w = f.openRecord(1);
    if (logRefused)
        alterCollection(f.session.databasePath(),
                        u"CREATE TRIGGER t BEFORE INSERT ON MEMO_UNDERLINE BEGIN SELECT RAISE(ABORT, 'no'); END"_qs);
    const QString before = f.body()->toPlainText();
    QTextCursor cursor = f.body()->textCursor();
    cursor.setPosition(0);
    cursor.insertText(u"前書き"_qs);
    cursor.setPosition(3);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    f.body()->setTextCursor(cursor);
    f.dialogs.yesNo.enqueue(store);

    w.toolbarButton(u"underLineInd"_qs)->trigger();

    auto c = Connection::openExisting(f.session.databasePath());
    Query body(*c, u"SELECT a01 FROM MEMO_DAT WHERE pfID = 1"_qs);
    QVERIFY(body.next());
    QCOMPARE(body.text(0), store ? u"前書き"_qs + before : before);
    Query logged(*c, u"SELECT group_concat(startP || '+' || selLen, ' ') FROM MEMO_UNDERLINE WHERE pfID = 1"_qs);
    QVERIFY(logged.next());
    QCOMPARE(logged.text(0), marks);
    QCOMPARE(BodyMarks::isMarkedWhole(f.body()->textCursor()), !marks.isEmpty());
}

void MainWindowRecordTest::picker_fromRecordView_refilesTheScrap()
{
    RecordFixture f;
    MainWindow& w = f.openRecord(1);
    f.pressSheetCell(5, kValue);
    auto* picker = w.findChild<QWidget*>(QStringLiteral("Form4"));
    QVERIFY(picker);
    auto* tree = picker->findChild<QTreeWidget*>(QStringLiteral("fg"));
    QVERIFY(tree);
    const QRect rect = tree->visualItemRect(TreeRows::itemAt(tree, 3));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());

    QCOMPARE(f.cell(4), QStringLiteral("経済"));
    QCOMPARE(f.stored(QStringLiteral("a04"), 1), QStringLiteral("経済"));
    QCOMPARE(f.stored(QStringLiteral("LevNo"), 1), QStringLiteral("3"));

    // The next listing of the new class finds it.
    w.toolbarButton(QStringLiteral("Back2Search"))->trigger();
    f.clickNode(TreeRows::itemAt(f.child<QTreeWidget>(u"fg0"), 3));
    QCOMPARE(w.resultCount(), 1);
    QCOMPARE(f.session.resultSet()->text(QStringLiteral("a02")), QStringLiteral("記事1"));
}

void MainWindowRecordTest::deletingTheOnlyScrap_returnsToSearchMode()
{
    RecordFixture f(1);
    MainWindow& w = f.openRecord(1);
    f.dialogs.yesNo.enqueue(true);

    w.toolbarButton(QStringLiteral("delMEMO"))->trigger();

    QCOMPARE(f.dialogs.texts(),
             (QStringList{
                 QStringLiteral("表示中のスクラップと添付画像をデータベースから削除します。　削除後は復活できません。"
                                "　実行しますか？"),
                 QStringLiteral("１件のスクラップを削除しました。　ＯＫボタンで検索結果の最初から表示開始します。"),
                 QStringLiteral("検索結果はゼロです。　ＯＫボタンで検索モードに戻ります。")}));
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_IDX")), 0);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_DAT")), 0);
}

void MainWindowRecordTest::deletingOneOfSeveral_showsTheFirstAgain()
{
    RecordFixture f;
    MainWindow& w = f.openRecord(2);
    f.dialogs.yesNo.enqueue(false);
    w.toolbarButton(QStringLiteral("delMEMO"))->trigger();
    QCOMPARE(f.session.resultSet()->recordCount(), 3);

    f.dialogs.yesNo.enqueue(true);
    w.toolbarButton(QStringLiteral("delMEMO"))->trigger();

    QCOMPARE(w.resultPosition(), 1);
    QCOMPARE(w.statusText(1), QStringLiteral("スクラップ： 1/2"));
    QCOMPARE(f.cell(2), QStringLiteral("記事1"));
    auto c = Connection::openExisting(f.session.databasePath());
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_IDX WHERE DocNo = 2")), 0);
    QCOMPARE(scalar(*c, QStringLiteral("SELECT count(*) FROM MEMO_UNDERLINE")), 0);
    QCOMPARE(w.scrapListModel()->rowCount(), 2);
}

void MainWindowRecordTest::firstResultButton_andCalendar_inRecordView()
{
    RecordFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(2);
    f.clickNode(TreeRows::itemAt(f.child<QTreeWidget>(u"fg0"), 2));
    w.toolbarButton(QStringLiteral("firstDataMEMO"))->trigger();
    QCOMPARE(w.mode(), MainWindow::Mode::RecordView);
    QCOMPARE(w.statusText(1), QStringLiteral("スクラップ： 1/3"));
    QCOMPARE(f.cell(2), QStringLiteral("記事1"));

    // Pressing the date cell shows the calendar; a day clicked there is stored at once.
    f.pressSheetCell(3, kValue);
    auto* calendar = f.child<QCalendarWidget>(u"Calendar");
    QVERIFY(calendar->isVisible());
    Q_EMIT calendar->clicked(QDate(2021, 3, 9));
    QVERIFY(!calendar->isVisible());
    QCOMPARE(f.cell(3), QStringLiteral("2021-03-09"));
    QCOMPARE(f.stored(QStringLiteral("a03"), 1), QStringLiteral("2021-03-09"));
}

void MainWindowRecordTest::emptiedEntryBody_endsMarkingOfTheRegisteredScrap()
{
    RecordFixture f;
    MainWindow& w = f.start();
    f.tabs()->setCurrentIndex(1);
    auto* entry = f.child<QPlainTextEdit>(u"mData");
    entry->setPlainText(QStringLiteral("x"));
    w.toolbarButton(QStringLiteral("underLine"))->setEnabled(true);
    entry->selectAll();
    QTest::keyClick(entry, Qt::Key_Backspace);
    QVERIFY(entry->toPlainText().isEmpty());
    QVERIFY(!w.justRegistered());
    QVERIFY(!w.toolbarButton(QStringLiteral("underLine"))->isEnabled());
}

void MainWindowRecordTest::fullTextDialog_marksEveryStepUntilClosed()
{
    RecordFixture f;
    MainWindow& w = f.openRecord(1);
    auto hasHit = [&f] {
        QTextCursor cursor(f.body()->document());
        cursor.setPosition(1); // "本" of "本文": bold while marked
        return cursor.charFormat().fontWeight() == QFont::Bold;
    };

    w.toolbarButton(QStringLiteral("strSerch"))->trigger();
    auto* dialog = w.findChild<QWidget*>(QStringLiteral("Form7"));
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("本文"));
    dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QVERIFY(hasHit());

    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    QCOMPARE(w.resultPosition(), 2);
    QVERIFY(hasHit());
    QVERIFY(f.dialogs.messages().isEmpty());

    // Closing ends the marking; the marks shown stay until another scrap is shown.
    dialog->close();
    QVERIFY(hasHit());
    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    QVERIFY(!hasHit());
}
