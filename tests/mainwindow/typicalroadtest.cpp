#include "typicalroadtest.h"

#include "classtree/treerows.h"
#include "common/fonts.h"
#include "common/images.h"
#include "database/connection.h"
#include "database/query.h"
#include "mainwindowfixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

// Every row of a table as text, in stored order, for comparing the file after each step.
QStringList rows(const QString& path, const QString& select)
{
    auto c = Connection::openExisting(path);
    Query q(*c, select);
    QStringList all;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.columnCount(); ++i)
            fields << q.value(i).toString();
        all << fields.join(u'|');
    }
    return all;
}

bool underlinedAt(const QPlainTextEdit* box, int position)
{
    QTextCursor cursor(box->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat().fontUnderline();
}

} // namespace

void TypicalRoadTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
    Images::installIconTheme();
}

void TypicalRoadTest::registerMarkFindEditAndDelete()
{
    Fixture f;
    const QString path = f.folder.path(QStringLiteral("Zettora.mdb"));
    {
        auto c = Connection::openExisting(path);
        addClass(*c, 1, QStringLiteral("政治"), 2);
        addClass(*c, 2, QStringLiteral("国内"), 3);
    }
    MainWindow& w = f.start();
    auto* tree = f.child<QTreeWidget>(u"fg0");

    // 1. Write the text in the entry pane and click a class.
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    auto* entry = f.child<QPlainTextEdit>(u"mData");
    // A no-break space and a line separator are stored as they stand, on every road.
    const QString text = QStringLiteral("国会で予算が成立\n本文の\u00A0二行目\u2028です。");
    entry->setPlainText(text);
    f.clickNode(TreeRows::itemAt(tree, 3));
    auto* sheetWindow = w.findChild<QWidget*>(QStringLiteral("Form3"));
    QVERIFY(sheetWindow && sheetWindow->isVisible());
    auto* sheet = sheetWindow->findChild<QTableWidget*>(QStringLiteral("fg"));
    QCOMPARE(sheet->item(2, 2)->text(), QStringLiteral("国会で予算が成立"));
    QCOMPARE(sheet->item(4, 2)->text(), QStringLiteral("政治"));
    QCOMPARE(sheet->item(5, 2)->text(), QStringLiteral("国内"));

    // 2. Fill the sheet and register.
    sheet->item(3, 2)->setText(QStringLiteral("2026-12-01"));
    sheet->item(7, 2)->setText(QStringLiteral("予算"));
    sheetWindow->findChild<QPushButton*>(QStringLiteral("Command1_0"))->click();
    QCOMPARE(f.dialogs.lastText(), QStringLiteral("スクラップを登録しました。 画像添付、下線引きが可能です。"));
    QCOMPARE(rows(path, QStringLiteral("SELECT a02, a03, a04, a05, a06, a07, skID, pfID, LevNo, DocNo FROM MEMO_IDX")),
             QStringList{QStringLiteral("国会で予算が成立|2026-12-01|政治|国内||予算|0|1|3|1")});
    QCOMPARE(rows(path, QStringLiteral("SELECT pfID, a01 FROM MEMO_DAT")), QStringList{QStringLiteral("1|") + text});
    QVERIFY(w.justRegistered());
    QVERIFY(w.toolbarButton(QStringLiteral("underLine"))->isEnabled());

    // 3. Mark a passage of the registered body.
    QTextCursor cursor = entry->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    entry->setTextCursor(cursor);
    w.toolbarButton(QStringLiteral("underLine"))->trigger();
    QCOMPARE(rows(path, QStringLiteral("SELECT pfID, SelUNDER, StartP, SelLen FROM MEMO_UNDERLINE")),
             QStringList{QStringLiteral("1|0|3|2")});

    // 4. Find it again: search tab, the class, the row.
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.clickNode(TreeRows::itemAt(tree, 3));
    QCOMPARE(w.resultCount(), 1);
    f.pressListRow(1);
    QCOMPARE(w.mode(), MainWindow::Mode::RecordView);
    auto* recordSheet = f.child<QTableWidget>(u"fg1");
    auto* body = f.child<QPlainTextEdit>(u"rtBox");
    QCOMPARE(recordSheet->item(2, 2)->text(), QStringLiteral("国会で予算が成立"));
    QCOMPARE(recordSheet->item(7, 2)->text(), QStringLiteral("予算"));
    QCOMPARE(body->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'), text);
    QVERIFY(underlinedAt(body, 3) && underlinedAt(body, 4) && !underlinedAt(body, 5));
    QCOMPARE(w.statusText(1), QStringLiteral("スクラップ： 1/1"));

    // 5. Step (one scrap: it wraps onto itself) and correct the title.
    w.toolbarButton(QStringLiteral("nextMEMO"))->trigger();
    QCOMPARE(w.statusText(1), QStringLiteral("スクラップ： 1/1"));
    recordSheet->item(2, 2)->setText(QStringLiteral("予算が成立（修正）"));
    QCOMPARE(rows(path, QStringLiteral("SELECT a02 FROM MEMO_IDX")), QStringList{QStringLiteral("予算が成立（修正）")});
    body->moveCursor(QTextCursor::End);
    body->insertPlainText(QStringLiteral("追記"));
    w.toolbarButton(QStringLiteral("RecEditMEMO"))->trigger();
    QCOMPARE(rows(path, QStringLiteral("SELECT a01 FROM MEMO_DAT")), QStringList{text + QStringLiteral("追記")});

    // 6. Delete it: every row of the scrap goes, and the window returns to search mode.
    f.dialogs.yesNo.enqueue(true);
    w.toolbarButton(QStringLiteral("delMEMO"))->trigger();
    QCOMPARE(w.mode(), MainWindow::Mode::Search);
    for (const char16_t* table : {u"MEMO_IDX", u"MEMO_DAT", u"MEMO_UNDERLINE", u"PHOTO_DRA"})
        QVERIFY(rows(path, QStringLiteral("SELECT * FROM ") + QString::fromUtf16(table)).isEmpty());
    QCOMPARE(rows(path, QStringLiteral("SELECT DocNo, pfID, skID FROM IDno")), QStringList{QStringLiteral("1|1|0")});
}
