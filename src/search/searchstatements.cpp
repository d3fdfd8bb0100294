#include "searchstatements.h"

#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "scrap/importancelevels.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <utility>

namespace {

constexpr char kFoldFunction[] = "zettora_casefold";
// "+" keeps SQLite from walking an index on LevNo row by row, which costs more than sorting the matches.
const QString kTextOrder = QStringLiteral(" ORDER BY +LevNo, DocNo");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// One character for one, so that the search text and every stored value fold alike.
QString foldText(const QString& text)
{
    QList<uint> codePoints = text.toUcs4();
    for (uint& c : codePoints)
        c = QChar::toCaseFolded(c);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()), codePoints.size());
}

// True when some character of the UTF-8 text folds to another; text that is not proper UTF-8 counts as folding.
bool foldChanges(const unsigned char* text, int bytes)
{
    for (int i = 0; i < bytes;) {
        const unsigned char lead = text[i];
        if (lead < 0x80) {
            if (lead >= 'A' && lead <= 'Z')
                return true;
            ++i;
            continue;
        }
        const int extra = lead >= 0xF8 ? -1 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + extra >= bytes)
            return true;
        char32_t codePoint = lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if ((text[i + k] & 0xC0) != 0x80)
                return true;
            codePoint = (codePoint << 6) | (text[i + k] & 0x3F);
        }
        if (QChar::toCaseFolded(codePoint) != codePoint)
            return true;
        i += extra + 1;
    }
    return false;
}

// Text arguments come folded, anything else as it is. Most titles hold no letter that folds and are passed on
// without being converted at all.
void foldCase(sqlite3_context* context, int, sqlite3_value** arguments)
{
    sqlite3_value* value = arguments[0];
    if (sqlite3_value_type(value) != SQLITE_TEXT) {
        sqlite3_result_value(context, value);
        return;
    }
    const unsigned char* data = sqlite3_value_text(value);
    const int bytes = sqlite3_value_bytes(value);
    if (!foldChanges(data, bytes)) {
        sqlite3_result_value(context, value);
        return;
    }
    const QByteArray folded =
        foldText(fromStoredUtf8(QByteArrayView(reinterpret_cast<const char*>(data), bytes))).toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

// LIKE's "_" and the escape character itself are literal here; only the user's "%" stays a wildcard.
QString likePattern(const QString& text)
{
    QString pattern;
    pattern.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'_' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

} // namespace

QString searchText(const QString& typed)
{
    qsizetype first = 0;
    qsizetype last = typed.size();
    while (first < last && isBlank(typed[first]))
        ++first;
    while (last > first && isBlank(typed[last - 1]))
        --last;
    return typed.mid(first, last - first);
}

void RegisterSearchFunctions(Connection& connection)
{
    const int rc = sqlite3_create_function_v2(connection.handle(), kFoldFunction, 1,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, foldCase,
                                              nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(rc, QStringLiteral("cannot register the search comparison: ") +
                              QString::fromUtf8(sqlite3_errmsg(connection.handle())));
}

std::optional<ResultSource> BuildTextSearchQuery(Connection& connection, TextSearchField field, const QString& typed)
{
    QString column;
    if (field == TextSearchField::Title)
        column = QStringLiteral("a02");
    else if (field == TextSearchField::Keyword)
        column = QStringLiteral("a07");
    else
        return std::nullopt;
    RegisterSearchFunctions(connection);
    const QString text = foldText(searchText(typed));
    // A text without cased letters (most Japanese ones) matches the same rows unfolded, sparing the fold of every row.
    const bool caseless = text.toUpper() == text;
    const auto compared = [caseless](const QString& value) {
        return caseless ? value : QString::fromLatin1(kFoldFunction) + u'(' + value + u')';
    };
    const auto trimmed = [&column](const char* trim) {
        return QStringLiteral("%1(%2, ' ' || char(9))").arg(QLatin1StringView(trim), column);
    };
    const QString table = Schema::name(Schema::kMemoIdx);
    // Blanks at the ends of a stored value count no more than those typed, so a title cut from a line ending in one
    // is found by its words. A call on every row costs as much as the search, so only what can differ is trimmed.
    if (text.contains(u'%')) {
        const bool openStart = text.startsWith(u'%');
        const bool openEnd = text.endsWith(u'%');
        const QString stored = openStart && openEnd ? column
                               : openStart          ? trimmed("rtrim")
                               : openEnd            ? trimmed("ltrim")
                                                    : trimmed("trim");
        return ResultSource::fromTable(
            table, QStringLiteral(" WHERE ") + compared(stored) + QStringLiteral(" LIKE ? ESCAPE '\\'") + kTextOrder,
            {likePattern(text)});
    }
    if (!caseless)
        return ResultSource::fromTable(
            table, QStringLiteral(" WHERE ") + compared(trimmed("trim")) + QStringLiteral(" = ?") + kTextOrder, {text});
    // Only a value from the text to the text followed by a blank (below "!"), or one beginning with a blank, is
    // trimmed: a comparison costs far less than a call.
    return ResultSource::fromTable(
        table,
        QStringLiteral(" WHERE (%1 >= ?1 AND %1 < ?2 OR %1 < '!') AND %2 = ?1").arg(column, trimmed("trim")) +
            kTextOrder,
        {text, QString(text + u'!')});
}

ResultSource BuildDateSearchQuery(const QDate& from, const QDate& to)
{
    // Either end may be chosen first: the period is the same.
    QDate first = from;
    QDate last = to;
    if (last < first)
        std::swap(first, last);
    return ResultSource::fromTable(Schema::name(Schema::kMemoIdx),
                                   QStringLiteral(" WHERE a03 BETWEEN ? AND ? ORDER BY a03, rowid"),
                                   {dateText(first), dateText(last)});
}

QList<QDate> LoadStoredDates(Connection& connection)
{
    Query query(connection, QStringLiteral("SELECT DISTINCT a03 FROM MEMO_IDX WHERE a03 IS NOT NULL ORDER BY a03"));
    QList<QDate> dates;
    while (query.next()) {
        const QDate date = dateFromText(query.text(0));
        if (date.isValid())
            dates << date;
    }
    return dates;
}

QString shortDateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QDate parseDateText(const QString& text)
{
    static const QRegularExpression kDate(QStringLiteral("^([0-9]{4})[/-]([0-9]{1,2})[/-]([0-9]{1,2})$"));
    // NFKC turns full-width digits, "／" and "－" into their half-width forms, as an IME may type them.
    const QRegularExpressionMatch match =
        kDate.match(text.normalized(QString::NormalizationForm_KC).trimmed(), 0, QRegularExpression::NormalMatch);
    if (!match.hasMatch())
        return {};
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

QStringList LoadLevelNames(Connection& connection)
{
    QStringList names;
    for (const ImportanceLevel& level : readImportanceLevels(connection))
        names << level.name;
    return names;
}
