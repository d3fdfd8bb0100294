#include "bodysearch.h"

#include "database/connection.h"
#include "database/query.h"
#include "fulltextmatch.h"

#include <algorithm>

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

QString matchAll(const QStringList& words, const QString& joiner)
{
    QStringList expressions;
    for (const QString& word : words)
        expressions << matchExpression(word);
    return expressions.join(joiner);
}

QString inSchema(QString sql, const QString& schema)
{
    return sql.replace(QStringLiteral("S."), schema + u'.');
}

// The body of MEMO_IDX's scrap: the first row of its number, as it is shown, stored and indexed; a second row of
// the same number (another program's file) is no part of it.
#define ZETTORA_FIRST_BODY "(SELECT d.a01 FROM main.MEMO_DAT d WHERE d.pfID = MEMO_IDX.pfID ORDER BY d.rowid LIMIT 1)"

// A word in the title, the keyword or the body of a scrap, read from the rows themselves.
QString holdsWord()
{
    return QStringLiteral(
        "(zettora_contains(a02, ?) OR zettora_contains(a07, ?) OR zettora_contains(" ZETTORA_FIRST_BODY ", ?))");
}

// The same with the body asked of the index: reading and folding every candidate's body costs far more. Logged
// bodies are still read.
QString holdsWordIndexed(bool logEmpty)
{
    if (logEmpty)
        return QStringLiteral("(zettora_index_holds('S.zettora_label_index', ?, rowid) OR "
                              "zettora_index_holds('S.zettora_body_index', ?, pfID))");
    return QStringLiteral(
        "(zettora_contains(a02, ?) OR zettora_contains(a07, ?) OR (zettora_index_holds('S.zettora_body_index', ?, "
        "pfID) AND pfID NOT IN (SELECT ref FROM S.zettora_index_log WHERE kind = 0)) OR (pfID IN (SELECT ref FROM "
        "S.zettora_index_log WHERE kind = 0) AND zettora_contains(" ZETTORA_FIRST_BODY ", ?)))");
}

#undef ZETTORA_FIRST_BODY

// A word in the text read from one of the scrap's pictures.
QString inPictures()
{
    return QStringLiteral("(MEMO_IDX.skID <> 0 AND MEMO_IDX.skID IN (SELECT skID FROM main.zettora_picture_text "
                          "WHERE zettora_contains(text, ?)))");
}

// The picture sets whose text the index holds as it is, and those whose text is compared one by one.
const QString kPictureIndexMatch =
    QStringLiteral("SELECT rowid FROM S.zettora_picture_index WHERE zettora_picture_index MATCH ?");
const QString kLoggedSets = QStringLiteral("SELECT ref FROM S.zettora_index_log WHERE kind = 2");
const QString kLoggedSetsWith = QStringLiteral("SELECT skID FROM main.zettora_picture_text WHERE skID IN (") +
                                kLoggedSets + QStringLiteral(") AND ");

// The same asked of the index. values gets what the returned condition binds.
QString inPicturesIndexed(const QString& word, bool logEmpty, QVariantList& values)
{
    values << matchExpression(word);
    if (logEmpty)
        return QStringLiteral("(MEMO_IDX.skID <> 0 AND MEMO_IDX.skID IN (") + kPictureIndexMatch + QStringLiteral("))");
    values << word;
    return QStringLiteral("(MEMO_IDX.skID <> 0 AND ((MEMO_IDX.skID IN (") + kPictureIndexMatch +
           QStringLiteral(") AND MEMO_IDX.skID NOT IN (") + kLoggedSets + QStringLiteral(")) OR MEMO_IDX.skID IN (") +
           kLoggedSetsWith + QStringLiteral("zettora_contains(text, ?))))");
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
    // A word that folds to nothing would match every row; a word twice asks nothing more.
    words.removeIf([](const QString& w) { return FullText::comparisonForm(w).trimmed().isEmpty(); });
    words.removeDuplicates();
    return words;
}

namespace {

// A word in the title or the address of the scrap's source.
QString inSource()
{
    return QStringLiteral("EXISTS (SELECT 1 FROM main.zettora_sources src WHERE src.DocNo = MEMO_IDX.DocNo AND "
                          "(zettora_contains(src.title, ?) OR zettora_contains(src.address, ?)))");
}

// Where else than the body and labels a word may be, and how pictures are searched.
struct Elsewhere {
    bool pictureText = false;
    bool withSources = false;
    // Picture text asked of the index (with logEmpty as for bodies), or compared row by row.
    bool indexed = false;
    bool logEmpty = false;
};

// A condition on one word widened to the scrap's pictures and source, where the collection has them.
QString orElsewhere(const QString& condition, const QString& word, const Elsewhere& elsewhere, QVariantList& values)
{
    QString widened = condition;
    if (elsewhere.pictureText && elsewhere.indexed) {
        widened += QStringLiteral(" OR ") + inPicturesIndexed(word, elsewhere.logEmpty, values);
    } else if (elsewhere.pictureText) {
        widened += QStringLiteral(" OR ") + inPictures();
        values << word;
    }
    if (elsewhere.withSources) {
        widened += QStringLiteral(" OR ") + inSource();
        values << word << word;
    }
    return u'(' + widened + u')';
}

// One word anywhere in a scrap: its body or labels (asked of the index), a picture's text or its source.
QString anywhere(const QString& word, const Elsewhere& elsewhere, QVariantList& values)
{
    if (elsewhere.logEmpty)
        values << matchExpression(word) << matchExpression(word);
    else
        values << word << word << matchExpression(word) << word;
    return orElsewhere(holdsWordIndexed(elsewhere.logEmpty), word, elsewhere, values);
}

// Scraps with some word in a picture or a source (few rows), checked word by word wherever the word may be.
QString someWordIn(const QString& candidates, const QStringList& words, const Elsewhere& elsewhere,
                   QVariantList& values)
{
    QString rows = QStringLiteral("SELECT rowid FROM main.MEMO_IDX WHERE ") + candidates;
    for (const QString& word : words)
        rows += QStringLiteral(" AND ") + anywhere(word, elsewhere, values);
    return QStringLiteral(" OR rowid IN (") + rows + u')';
}

QString anyOf(const QStringList& words, const QString& oneWord, int placeholders, QVariantList& values)
{
    QStringList any;
    for (const QString& word : words) {
        any << oneWord;
        for (int i = 0; i < placeholders; ++i)
            values << word;
    }
    return any.join(QStringLiteral(" OR "));
}

} // namespace

ResultSource BuildBodySearchQuery(const QStringList& words, BodySearchWay way, const QString& schema, bool logEmpty,
                                  bool pictureText, bool withSources, bool picturesIndexed)
{
    const QString order = QStringLiteral(" ORDER BY +LevNo, DocNo");
    QVariantList values;
    if (words.isEmpty())
        return ResultSource::fromTable(QStringLiteral("MEMO_IDX"), QStringLiteral(" WHERE 0") + order);
    if (way == BodySearchWay::Scan) {
        QStringList conditions;
        for (const QString& word : words) {
            values << word << word << word;
            conditions << orElsewhere(holdsWord(), word, {.pictureText = pictureText, .withSources = withSources},
                                      values);
        }
        const QString where = QStringLiteral(" WHERE (") + conditions.join(QStringLiteral(" AND ")) + u')';
        return ResultSource::fromTable(QStringLiteral("MEMO_IDX"), where + order, values);
    }
    // Scraps whose body holds every word come from one query of the body index. The rest must have some word in
    // their title or keyword; they are found below, from the rows of one word.
    QString bodies = QStringLiteral("SELECT rowid FROM S.zettora_body_index WHERE zettora_body_index MATCH ?");
    values << matchAll(words, QStringLiteral(" AND "));
    if (!logEmpty) {
        // Logged bodies are not yet (or no longer) what the index holds: they are compared one by one.
        bodies += QStringLiteral(" EXCEPT SELECT ref FROM S.zettora_index_log WHERE kind = 0 UNION SELECT pfID FROM "
                                 "main.MEMO_DAT WHERE pfID IN (SELECT ref FROM S.zettora_index_log WHERE kind = 0) AND "
                                 "rowid = (SELECT min(x.rowid) FROM main.MEMO_DAT x WHERE x.pfID = MEMO_DAT.pfID)");
        for (const QString& word : words) {
            bodies += QStringLiteral(" AND zettora_contains(a01, ?)");
            values << word;
        }
    }
    const Elsewhere elsewhere{
        .pictureText = pictureText, .withSources = withSources, .indexed = picturesIndexed, .logEmpty = logEmpty};
    QString labelled;
    if (words.size() == 1) {
        labelled = QStringLiteral("SELECT rowid FROM S.zettora_label_index WHERE zettora_label_index MATCH ?");
        values << matchExpression(words.first());
        if (!logEmpty) {
            labelled += QStringLiteral(" EXCEPT SELECT ref FROM S.zettora_index_log WHERE kind = 1 UNION SELECT rowid "
                                       "FROM main.MEMO_IDX WHERE rowid IN (SELECT ref FROM S.zettora_index_log WHERE "
                                       "kind = 1) AND (zettora_contains(a02, ?) OR zettora_contains(a07, ?))");
            values << words.first() << words.first();
        }
    } else {
        // The rest hold the first word in their labels or body, and each word somewhere: few rows when the first
        // word is the rarest, however common the others are in titles. One list of candidates: with an OR of two,
        // SQLite would repeat each word's check, and read its matches, for either.
        labelled = QStringLiteral("SELECT rowid FROM main.MEMO_IDX WHERE rowid IN (SELECT rowid FROM "
                                  "S.zettora_label_index WHERE zettora_label_index MATCH ? UNION ALL SELECT rowid FROM "
                                  "main.MEMO_IDX WHERE pfID IN (SELECT rowid FROM S.zettora_body_index WHERE "
                                  "zettora_body_index MATCH ?)");
        values << matchExpression(words.first()) << matchExpression(words.first());
        if (!logEmpty)
            labelled += QStringLiteral(" UNION ALL SELECT ref FROM S.zettora_index_log WHERE kind = 1 UNION ALL SELECT "
                                       "rowid FROM main.MEMO_IDX WHERE pfID IN (SELECT ref FROM S.zettora_index_log "
                                       "WHERE kind = 0)");
        labelled += u')';
        // With nothing logged, the index alone found the first word.
        for (const QString& word : logEmpty ? words.sliced(1) : words)
            labelled += QStringLiteral(" AND ") + anywhere(word, elsewhere, values);
    }
    // Two lists of rowids SQLite takes in turn (an OR of two IN): a UNION would sort both once more.
    QString tail = QStringLiteral(" WHERE pfID IN (") + bodies + QStringLiteral(") OR rowid IN (") + labelled + u')';
    if (pictureText && picturesIndexed) {
        // Sets with some word, from the index and from the logged sets' rows; each word is then checked as above.
        QString pictured = QStringLiteral("skID <> 0 AND (skID IN (") + kPictureIndexMatch + u')';
        values << matchAll(words, QStringLiteral(" OR "));
        if (!logEmpty)
            pictured += QStringLiteral(" OR skID IN (") + kLoggedSetsWith + u'(' +
                        anyOf(words, QStringLiteral("zettora_contains(text, ?)"), 1, values) + QStringLiteral("))");
        tail += someWordIn(pictured + u')', words, elsewhere, values);
    } else if (pictureText) {
        const QString pictured = QStringLiteral("skID <> 0 AND skID IN (SELECT skID FROM main.zettora_picture_text "
                                                "WHERE ") +
                                 anyOf(words, QStringLiteral("zettora_contains(text, ?)"), 1, values) + u')';
        tail += someWordIn(pictured, words, elsewhere, values);
    }
    if (withSources) {
        const QString sourced =
            QStringLiteral("DocNo IN (SELECT DocNo FROM main.zettora_sources WHERE ") +
            anyOf(words, QStringLiteral("zettora_contains(title, ?) OR zettora_contains(address, ?)"), 2, values) +
            u')';
        tail += someWordIn(sourced, words, elsewhere, values);
    }
    tail += order;
    return ResultSource::fromTable(QStringLiteral("MEMO_IDX"), inSchema(tail, schema), values);
}

QStringList rarestWordFirst(Connection& connection, const QString& schema, const QStringList& words)
{
    if (words.size() < 2)
        return words;
    // Counting every match of a word in most scraps would cost more than the search it spares.
    Query count(connection, inSchema(QStringLiteral("SELECT (SELECT count(*) FROM (SELECT 1 FROM S.zettora_body_index "
                                                    "WHERE zettora_body_index MATCH ?1 LIMIT 2000)) + (SELECT count(*) "
                                                    "FROM (SELECT 1 FROM S.zettora_label_index WHERE "
                                                    "zettora_label_index MATCH ?1 LIMIT 2000))"),
                                     schema));
    std::vector<std::pair<qint64, QString>> counted;
    for (const QString& word : words) {
        count.reset();
        count.bind(1, matchExpression(word));
        counted.emplace_back(count.next() ? count.integer(0) : 0, word);
    }
    std::ranges::stable_sort(counted, {}, &std::pair<qint64, QString>::first);
    QStringList ordered;
    for (const auto& [hits, word] : counted)
        ordered << word;
    return ordered;
}
