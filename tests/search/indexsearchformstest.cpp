#include "indexsearchformstest.h"

#include "common/helptopics.h"
#include "search/datesearchdialog.h"
#include "search/importancefilterdialog.h"
#include "search/textsearchdialog.h"
#include "searchfixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

QComboBox* dateList(QWidget& window, int index)
{
    return window.findChild<QComboBox*>(u"Combo1_%1"_qs.arg(index));
}

void click(QWidget& window, const QString& name)
{
    window.findChild<QPushButton*>(name)->click();
}

} // namespace

void IndexSearchFormsTest::textSearchWindow_showsTheFieldsCaptionAndFindsQuotedText_data()
{
    QTest::addColumn<TextSearchField>("field");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("typed");

    QTest::newRow("title") << TextSearchField::Title << u"標題検索"_qs << HelpTopic::kTitleSearch
                           << u"O'Brien の\"提言\""_qs;
    QTest::newRow("keyword") << TextSearchField::Keyword << u"キーワード検索"_qs << HelpTopic::kKeywordSearch
                             << u"it's"_qs;
}

void IndexSearchFormsTest::textSearchWindow_showsTheFieldsCaptionAndFindsQuotedText()
{
    QFETCH(TextSearchField, field);
    QFETCH(QString, caption);
    QFETCH(int, topic);
    QFETCH(QString, typed);

    SearchFixture& f = SearchFixture::shared();
    TextSearchDialog window(f.session, field);
    QCOMPARE(window.windowTitle(), caption);
    QList<int> asked;
    QObject::connect(&window, &TextSearchDialog::helpRequested, [&](int t) { asked << t; });
    window.findChild<QAction*>(u"helpKey"_qs)->trigger();
    QCOMPARE(asked, QList<int>{topic});
    QObject::connect(&window, &TextSearchDialog::searchRequested,
                     [&](const ResultSource& source) { f.searched(source); });
    window.show();
    window.findChild<QLineEdit*>(u"Text1"_qs)->setText(typed);
    click(window, u"Command1_0"_qs);
    QCOMPARE(f.listed(), DocNos{9});
    QVERIFY(!window.isVisible());
}

void IndexSearchFormsTest::dateWindow_sameDateInBothLists_findsThatDay()
{
    SearchFixture& f = SearchFixture::shared();
    DateSearchDialog window(f.session, f.dialogs);
    QObject::connect(&window, &DateSearchDialog::searchRequested,
                     [&](const ResultSource& source) { f.searched(source); });
    window.show();
    const QStringList dates = {u"2023/12/31"_qs, u"2024/01/14"_qs, u"2024/01/15"_qs, u"2024/01/16"_qs,
                               u"2024/02/29"_qs, u"2024/03/01"_qs, u"2024/05/05"_qs, u"2024/06/30"_qs,
                               u"2025/01/01"_qs, u"2026/01/01"_qs};
    for (int i = 0; i < 2; ++i) {
        QStringList items;
        for (int row = 0; row < dateList(window, i)->count(); ++row)
            items << dateList(window, i)->itemText(row);
        QCOMPARE(items, dates);
        QCOMPARE(dateList(window, i)->currentText(), QString()); // nothing chosen at first
        dateList(window, i)->setCurrentIndex(2);
    }
    click(window, u"Command1_0"_qs);
    QCOMPARE(f.listed(), (DocNos{2, 3, 6, 11}));
    QVERIFY(f.dialogs.messages().isEmpty());
    QVERIFY(!window.isVisible());
}

void IndexSearchFormsTest::dateWindow_notADate_isRefusedAndChangesNothing_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");

    const QString fromWrong =
        u"「から」に入力された日付が正しくありません。　年/月/日（例 2024/01/31）の形で入力してください。"_qs;
    const QString toWrong =
        u"「まで」に入力された日付が正しくありません。　年/月/日（例 2024/01/31）の形で入力してください。"_qs;
    QTest::newRow("from: no such month") << u"2024/13/01"_qs << u"2024/01/15"_qs << fromWrong;
    QTest::newRow("from: empty") << QString() << u"2024/01/15"_qs << fromWrong;
    QTest::newRow("to: words") << u"2024/01/14"_qs << u"先週"_qs << toWrong;
    QTest::newRow("to: an apostrophe") << u"2024/01/14"_qs << u"2024/01/15'"_qs << toWrong;
}

void IndexSearchFormsTest::dateWindow_notADate_isRefusedAndChangesNothing()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);

    SearchFixture& f = SearchFixture::shared();
    f.searched(ResultSource::wholeTable(u"MEMO_IDX"_qs));
    const ResultSet* before = f.session.resultSet();
    DateSearchDialog window(f.session, f.dialogs);
    QObject::connect(&window, &DateSearchDialog::searchRequested,
                     [&](const ResultSource& source) { f.searched(source); });
    window.show();
    dateList(window, 0)->setEditText(from);
    dateList(window, 1)->setEditText(to);
    click(window, u"Command1_0"_qs);
    QCOMPARE(f.dialogs.messages().size(), 1);
    QCOMPARE(f.dialogs.messages()[0].kind, FakeUserDialogs::Kind::Exclamation);
    QCOMPARE(f.dialogs.lastText(), message);
    QCOMPARE(f.searches, 1);
    QCOMPARE(f.session.resultSet(), before);
    QCOMPARE(before->recordCount(), 14);
    QVERIFY(window.isVisible());
    QCOMPARE(dateList(window, 0)->currentText(), from);
    QCOMPARE(dateList(window, 1)->currentText(), to);
}

void IndexSearchFormsTest::levelFilter_narrowsAndRestoresTheResults()
{
    SearchFixture& f = SearchFixture::shared();
    f.searched(ResultSource::wholeTable(u"MEMO_IDX"_qs));
    ImportanceFilterDialog window(f.session);
    QStringList sent;
    QObject::connect(&window, &ImportanceFilterDialog::filterApplied, [&](const QString& level) { sent << level; });
    QComboBox* levels = window.findChild<QComboBox*>(u"Combo1"_qs);
    QStringList items;
    for (int row = 0; row < levels->count(); ++row)
        items << levels->itemText(row);
    QCOMPARE(items,
             QStringList({u"絞込みなし"_qs, u"重要"_qs, u"要注意"_qs, u"発表済み"_qs, u"進行中"_qs, u"普通"_qs}));

    const auto choose = [&](int row) {
        levels->setCurrentIndex(row);
        Q_EMIT levels->activated(row);
        return f.listed();
    };
    QCOMPARE(choose(1), (DocNos{1, 3}));
    QCOMPARE(choose(2), DocNos{}); // a level without scraps: nothing listed, nothing said
    QCOMPARE(choose(0).size(), 14);
    QCOMPARE(choose(4), DocNos{9});
    QCOMPARE(sent, QStringList({u"重要"_qs, u"要注意"_qs, u"絞込みなし"_qs, u"進行中"_qs}));
    window.close();
    QCOMPARE(f.listed(), DocNos{9}); // the filter outlives the window
    QVERIFY(f.dialogs.messages().isEmpty());
}
