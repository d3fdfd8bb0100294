#include "searchstatementstest.h"

#include "search/searchstatements.h"
#include "searchfixture.h"

void SearchStatementsTest::textSearch_findsMatchingScrapsByLevNoThenDocNo_data()
{
    QTest::addColumn<TextSearchField>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<DocNos>("found");

    QTest::newRow("exact, letter case ignored") << TextSearchField::Title << u"abc"_qs << DocNos{4, 12, 1};
    QTest::newRow("contains") << TextSearchField::Title << u"%abc%"_qs << DocNos{2, 4, 12, 3, 1};
    QTest::newRow("begins with") << TextSearchField::Title << u"abc%"_qs << DocNos{4, 12, 3, 1};
    QTest::newRow("full-width: case ignored, width kept") << TextSearchField::Title << u"ａｂｃ"_qs << DocNos{5, 6};
    QTest::newRow("accented capitals among kanji") << TextSearchField::Title << u"%ärzte%"_qs << DocNos{14};
    QTest::newRow("blanks only: the empty title") << TextSearchField::Title << u"   "_qs << DocNos{7};
    QTest::newRow("blanks around trimmed") << TextSearchField::Title << u"  abc\t"_qs << DocNos{4, 12, 1};
    QTest::newRow("full-width space kept") << TextSearchField::Title << u"　字下げ"_qs << DocNos{11};
    QTest::newRow("underscore literal in a pattern") << TextSearchField::Title << u"a_%"_qs << DocNos{8};
    QTest::newRow("apostrophe and double quotes") << TextSearchField::Title << u"O'Brien の\"提言\""_qs << DocNos{9};
    QTest::newRow("apostrophe in a pattern") << TextSearchField::Title << u"%'%"_qs << DocNos{9};
    QTest::newRow("percent inside a title") << TextSearchField::Title << u"100%達成"_qs << DocNos{10};
    QTest::newRow("full-width percent is no wildcard") << TextSearchField::Title << u"100％達成"_qs << DocNos{};
    QTest::newRow("keyword, percent in the middle") << TextSearchField::Keyword << u"選%算"_qs << DocNos{1};
    QTest::newRow("keyword exact, not the title") << TextSearchField::Keyword << u"為替"_qs << DocNos{7};
    QTest::newRow("keyword exact, a blank before it stored")
        << TextSearchField::Keyword << u"選挙、予算"_qs << DocNos{1};
    QTest::newRow("keyword with apostrophe") << TextSearchField::Keyword << u"it's"_qs << DocNos{9};
}

void SearchStatementsTest::textSearch_findsMatchingScrapsByLevNoThenDocNo()
{
    QFETCH(TextSearchField, field);
    QFETCH(QString, typed);
    QFETCH(DocNos, found);

    SearchFixture& f = SearchFixture::shared();
    const std::optional<ResultSource> source = BuildTextSearchQuery(*f.session.connection(), field, typed);
    QVERIFY(source);
    f.searched(*source);
    QCOMPARE(f.listed(), found);
}

void SearchStatementsTest::dateSearch_findsTheDaysByCreationDate_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<DocNos>("found");

    QTest::newRow("same day: that day, in registration order")
        << QDate(2024, 1, 15) << QDate(2024, 1, 15) << DocNos{2, 3, 6, 11};
    QTest::newRow("period, ends included") << QDate(2024, 1, 14) << QDate(2024, 2, 29) << DocNos{9, 2, 3, 6, 11, 10, 5};
    QTest::newRow("ends in either order")
        << QDate(2024, 3, 1) << QDate(2023, 12, 31) << DocNos{4, 9, 2, 3, 6, 11, 10, 5, 1};
    QTest::newRow("no scrap in the period") << QDate(2022, 1, 1) << QDate(2022, 12, 31) << DocNos{};
}

void SearchStatementsTest::dateSearch_findsTheDaysByCreationDate()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(DocNos, found);

    SearchFixture& f = SearchFixture::shared();
    f.searched(BuildDateSearchQuery(from, to));
    QCOMPARE(f.listed(), found);
}

void SearchStatementsTest::dateText_acceptsOnlyRealDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    QTest::newRow("list form") << u"2024/01/05"_qs << QDate(2024, 1, 5);
    QTest::newRow("ISO, short day") << u"2024-01-5"_qs << QDate(2024, 1, 5);
    QTest::newRow("full-width, blanks around") << u" ２０２４／１／０５　"_qs << QDate(2024, 1, 5);
    QTest::newRow("no such day") << u"2023/02/29"_qs << QDate();
    QTest::newRow("month 13") << u"2024/13/01"_qs << QDate();
    QTest::newRow("two-digit year") << u"24/01/05"_qs << QDate();
    QTest::newRow("no separators") << u"20240105"_qs << QDate();
    QTest::newRow("words") << u"きのう"_qs << QDate();
}

void SearchStatementsTest::dateText_acceptsOnlyRealDates()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);

    QCOMPARE(parseDateText(text), date);
}
