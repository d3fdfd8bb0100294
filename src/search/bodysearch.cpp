#include "bodysearch.h"

#include "fulltextmatch.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\uFF02';
}

// The FTS5 string of one word: a phrase in double quotes is never read as syntax. One character is a prefix query,
// since the index holds pairs of characters.
QString matchExpression(const QString& word)
{
    QString escaped = word;
    escaped.replace(u'"', QStringLiteral("\"\""));
    const QList<uint> folded = FullText::comparisonForm(word).toUcs4();
    return u'"' + escaped + (folded.size() == 1 ? QStringLiteral("\"*") : QStringLiteral("\""));
}

// Rows logged but not caught up are left out of what the index says and compared one by one instead.
QString bodyRows(BodySearchWay way, const QString& schema)
{
    if (way == BodySearchWay::Scan)
        return QStringLiteral("SELECT rowid FROM main.MEMO_DAT WHERE zettora_contains(a01, ?)");
    return QStringLiteral("SELECT rowid FROM S.zettora_body_index WHERE zettora_body_index MATCH ? "
                          "EXCEPT SELECT ref FROM S.zettora_index_log WHERE kind = 0 "
                          "UNION SELECT rowid FROM main.MEMO_DAT WHERE rowid IN "
                          "(SELECT ref FROM S.zettora_index_log WHERE kind = 0) AND zettora_contains(a01, ?)")
        .replace(QStringLiteral("S."), schema + u'.');
}

QString labelRows(BodySearchWay way, const QString& schema)
{
    if (way == BodySearchWay::Scan)
        return QStringLiteral(
            "SELECT rowid FROM main.MEMO_IDX WHERE zettora_contains(a02, ?) OR zettora_contains(a07, ?)");
    return QStringLiteral("SELECT rowid FROM S.zettora_label_index WHERE zettora_label_index MATCH ? "
                          "EXCEPT SELECT ref FROM S.zettora_index_log WHERE kind = 1 "
                          "UNION SELECT rowid FROM main.MEMO_IDX WHERE rowid IN "
                          "(SELECT ref FROM S.zettora_index_log WHERE kind = 1) "
                          "AND (zettora_contains(a02, ?) OR zettora_contains(a07, ?))")
        .replace(QStringLiteral("S."), schema + u'.');
}

} // namespace

QStringList parseBodySearch(const QString& typed)
{
    QStringList words;
    QString word;
    const auto flush = [&] {
        if (!word.isEmpty())
            words << word;
        word.clear();
    };
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (isQuote(c)) {
            qsizetype close = i + 1;
            while (close < typed.size() && !isQuote(typed.at(close)))
                ++close;
            if (close < typed.size()) {
                flush();
                word = typed.mid(i + 1, close - i - 1);
                flush();
                i = close;
                continue;
            }
        }
        if (isBlank(c))
            flush();
        else
            word += c;
    }
    flush();
    // A word that folds to nothing would match every row.
    words.removeIf([](const QString& w) { return FullText::comparisonForm(w).trimmed().isEmpty(); });
    return words;
}

ResultSource BuildBodySearchQuery(const QStringList& words, BodySearchWay way, const QString& schema)
{
    QString tail = QStringLiteral(" WHERE ");
    QVariantList values;
    bool first = true;
    for (const QString& word : words) {
        if (!first)
            tail += QStringLiteral(" AND ");
        first = false;
        tail +=
            QStringLiteral("rowid IN (SELECT rowid FROM main.MEMO_IDX WHERE pfID IN (SELECT pfID FROM main.MEMO_DAT "
                           "WHERE rowid IN (") +
            bodyRows(way, schema) + QStringLiteral(")) UNION ") + labelRows(way, schema) + u')';
        if (way == BodySearchWay::Index)
            values << matchExpression(word) << word << matchExpression(word) << word << word;
        else
            values << word << word << word;
    }
    if (first)
        tail += QStringLiteral("0");
    // "+" keeps SQLite from walking an index on LevNo row by row, as the title search does.
    return ResultSource::fromTable(QStringLiteral("MEMO_IDX"), tail + QStringLiteral(" ORDER BY +LevNo, DocNo"),
                                   values);
}
