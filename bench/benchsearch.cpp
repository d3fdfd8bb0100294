#include "benchops.h"
#include "listingwindow.h"
#include "search/searchstatements.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

const QString kTitlePattern = QStringLiteral("%予算%");
const QString kKeyword = QStringLiteral("予算");
const QDate kYearStart(2020, 1, 1);
const QDate kYearEnd(2020, 12, 31);

// A search as the main window runs it: the statement opened as the shared result set, until the list is filled.
qint64 listSearch(BenchContext& context, const ResultSource& source)
{
    ListingWindow& listing = listingWindowOf(context);
    listing.window->runSearch(source);
    QCoreApplication::processEvents();
    return listing.window->resultCount();
}

qint64 textSearch(BenchContext& context, TextSearchField field, const QString& text)
{
    const std::optional<ResultSource> source =
        BuildTextSearchQuery(*listingWindowOf(context).session.connection(), field, text);
    if (!source)
        throw std::runtime_error("no statement for the text search");
    return listSearch(context, *source);
}

qint64 titleLike(BenchContext& context)
{
    return textSearch(context, TextSearchField::Title, kTitlePattern);
}

qint64 keywordExact(BenchContext& context)
{
    return textSearch(context, TextSearchField::Keyword, kKeyword);
}

qint64 period(BenchContext& context)
{
    return listSearch(context, BuildDateSearchQuery(kYearStart, kYearEnd));
}

// The bare reads compare the raw columns: the titles and keywords searched hold no letters that fold.
qint64 titleLikeBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX WHERE a02 LIKE ? ORDER BY LevNo, DocNo",
                       {kTitlePattern.toUtf8()});
}

qint64 keywordExactBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX WHERE a07 = ? ORDER BY LevNo, DocNo",
                       {kKeyword.toUtf8()});
}

qint64 periodBare(BenchContext& context)
{
    return bareStepAll(context.bare, "SELECT rowid, * FROM MEMO_IDX WHERE a03 BETWEEN ? AND ? ORDER BY a03, rowid",
                       {kYearStart.toString(Qt::ISODate).toUtf8(), kYearEnd.toString(Qt::ISODate).toUtf8()});
}

} // namespace

void registerSearchOps(BenchRegistry& registry)
{
    registry.push_back(wholeOp(QStringLiteral("search_title_like"), titleLike, titleLikeBare));
    registry.push_back(wholeOp(QStringLiteral("search_keyword_exact"), keywordExact, keywordExactBare));
    registry.push_back(wholeOp(QStringLiteral("search_period"), period, periodBare));
}
