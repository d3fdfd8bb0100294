#include "crashtrialscheck.h"

#include "backup/backupstore.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/scrapsources.h"
#include "search/bodyindex.h"
#include "search/fulltextmatch.h"
#include "sources/pagecopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Invariant {
    const char* name;
    const char* offenders;       // counts the rows that break it
    const char* table = nullptr; // a table beside the twelve it needs, checked only where present
};

const Invariant kInvariants[] = {
    {"index row without body",
     "SELECT count(*) FROM MEMO_IDX i WHERE NOT EXISTS (SELECT 1 FROM MEMO_DAT d WHERE d.pfID = i.pfID)"},
    {"body without index row",
     "SELECT count(*) FROM MEMO_DAT d WHERE NOT EXISTS (SELECT 1 FROM MEMO_IDX i WHERE i.pfID = d.pfID)"},
    {"mark without body",
     "SELECT count(*) FROM MEMO_UNDERLINE u WHERE NOT EXISTS (SELECT 1 FROM MEMO_DAT d WHERE d.pfID = u.pfID)"},
    {"picture set without pictures", "SELECT count(*) FROM MEMO_IDX i WHERE i.skID <> 0 AND NOT EXISTS "
                                     "(SELECT 1 FROM PHOTO_DRA p WHERE p.skID = i.skID)"},
    {"scrap filed under no class", "SELECT count(*) FROM MEMO_IDX i WHERE i.LevNo <> 1 AND NOT EXISTS "
                                   "(SELECT 1 FROM extraNodeMEMO n WHERE n.ndMEMO = i.LevNo)"},
    {"DocNo doubled", "SELECT count(*) - count(DISTINCT DocNo) FROM MEMO_IDX"},
    {"pfID doubled", "SELECT count(*) - count(DISTINCT pfID) FROM MEMO_IDX"},
    {"skID doubled", "SELECT count(*) - count(DISTINCT skID) FROM MEMO_IDX WHERE skID <> 0"},
    {"counter row missing or doubled", "SELECT abs(count(*) - 1) FROM IDno"},
    {"counter behind the numbers in use",
     "SELECT count(*) FROM IDno WHERE DocNo < (SELECT coalesce(max(DocNo), 0) FROM MEMO_IDX) "
     "OR pfID < (SELECT coalesce(max(pfID), 0) FROM MEMO_IDX) "
     "OR skID < max((SELECT coalesce(max(skID), 0) FROM MEMO_IDX), (SELECT coalesce(max(skID), 0) FROM PHOTO_DRA)) "
     "OR ndID < (SELECT coalesce(max(ndID), 0) FROM extraNodeWEB)"},
    {"favourite number doubled", "SELECT count(*) - count(DISTINCT ndID) FROM extraNodeWEB"},
    {"importance levels missing or out of order",
     "SELECT count(*) = 0 OR count(DISTINCT \"99Kana\") <> count(*) OR min(\"99Kana\") <> 1 OR max(\"99Kana\") <> "
     "count(*) FROM Status"},
    {"source without scrap",
     "SELECT count(*) FROM zettora_sources s WHERE NOT EXISTS (SELECT 1 FROM MEMO_IDX i WHERE i.DocNo = s.DocNo)",
     "zettora_sources"},
    {"picture text without its picture",
     "SELECT count(*) FROM zettora_picture_text t WHERE NOT EXISTS (SELECT 1 FROM PHOTO_DRA p WHERE p.skID = t.skID "
     "AND length(p.a02) = t.size)",
     "zettora_picture_text"},
    {"source address empty or a script",
     "SELECT count(*) FROM zettora_sources WHERE trim(address) = '' OR lower(trim(address)) LIKE 'javascript:%' OR "
     "lower(trim(address)) LIKE 'data:%'",
     "zettora_sources"},
    {"settings row missing or doubled", "SELECT ((SELECT count(*) FROM FontSize) <> 1) + ((SELECT count(*) FROM "
                                        "Marker) <> 1) + ((SELECT count(*) FROM Speak) > 1)"},
};

// Opening and checking the index write nothing of these, so they differ from the original's only after a commit.
constexpr char kRowsDigest[] =
    "SELECT (SELECT group_concat(DocNo || '/' || pfID || '/' || skID) FROM IDno) || ' ' || "
    "(SELECT count(*) FROM MEMO_IDX) || ' ' || (SELECT total(length(a01)) FROM MEMO_DAT) || ' ' || "
    "(SELECT count(*) FROM MEMO_UNDERLINE) || ' ' || (SELECT count(*) FROM PHOTO_DRA) || ' ' || "
    "(SELECT nName FROM extraNodeMEMO WHERE ndMEMO = 2)";

// The body of each scrap as record view shows it: the first MEMO_DAT row of its number.
constexpr char kFirstBodies[] = "SELECT pfID, a01 FROM MEMO_DAT WHERE rowid IN "
                                "(SELECT min(rowid) FROM MEMO_DAT WHERE pfID IS NOT NULL GROUP BY pfID)";

QString integrityOf(Connection& connection)
{
    Query integrity(connection, QStringLiteral("PRAGMA integrity_check"));
    QStringList lines;
    while (integrity.next())
        lines.push_back(integrity.text(0));
    return lines == QStringList{QStringLiteral("ok")} ? QString() : lines.join(QStringLiteral("; "));
}

void checkMarks(Connection& connection, QStringList& breaches)
{
    QHash<qint64, qint64> lengths;
    Query bodies(connection, QString::fromLatin1(kFirstBodies));
    while (bodies.next())
        lengths.insert(bodies.integer(0), bodies.text(1).size()); // marks count UTF-16 units
    Query marks(connection, QStringLiteral("SELECT pfID, StartP, SelLen FROM MEMO_UNDERLINE"));
    qint64 outside = 0;
    while (marks.next()) {
        const auto length = lengths.constFind(marks.integer(0));
        const qint64 start = marks.integer(1);
        const qint64 span = marks.integer(2);
        if (length != lengths.cend() && (start < 0 || span < 0 || start + span > *length))
            ++outside;
    }
    if (outside != 0)
        breaches.push_back(QStringLiteral("mark outside its body: %1 rows").arg(outside));
}

// Every kept page opens: a copy cut or mixed with another write would show the user an error instead of the page.
void checkPageCopies(Connection& connection, QStringList& breaches)
{
    if (!connection.hasTable(QString::fromUtf16(ScrapSources::kTable)))
        return;
    Query copies(connection, QStringLiteral("SELECT DocNo, pageCopy FROM zettora_sources WHERE pageCopy IS NOT NULL"));
    QStringList unreadable;
    while (copies.next()) {
        if (!PageCopy::expand(copies.blob(1)))
            unreadable << QString::number(copies.integer(0));
    }
    if (!unreadable.isEmpty())
        breaches.push_back(QStringLiteral("page copy that does not open: DocNo ") + unreadable.join(u' '));
}

// ---- the body index against the rows ---------------------------------------------------------------------------

// A token of the index's tokenizer in one column: a folded character and the next one (0 after a text's last).
using TermKey = quint64;

TermKey termKey(std::size_t column, char32_t first, char32_t second)
{
    return (quint64(first) << 22 | quint64(second)) << 1 | quint64(column);
}

QString termText(TermKey key)
{
    const std::array<char32_t, 2> chars{char32_t(key >> 23), char32_t((key >> 1) & 0x3FFFFF)};
    return QString::fromUcs4(chars.data(), chars[1] == 0 ? 1 : 2);
}

// A term as a message shows it: a line break or another control character by its code.
QString shownTerm(TermKey key)
{
    QString shown;
    for (const QChar c : termText(key))
        shown += c.category() == QChar::Other_Control ? QStringLiteral("U+%1").arg(int(c.unicode()), 4, 16, QChar(u'0'))
                                                      : QString(c);
    return shown;
}

// The tokens the index's tokenizer makes of a text: overlapping pairs of folded characters, then the last alone.
void addTokens(const QString& text, std::size_t column, std::vector<TermKey>& keys)
{
    std::optional<char32_t> previous;
    const auto add = [&](char32_t folded) {
        if (previous)
            keys.push_back(termKey(column, *previous, folded));
        previous = folded;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        for (const char32_t folded : FullText::foldedChar(c))
            add(folded);
    }
    if (previous)
        keys.push_back(termKey(column, *previous, U'\0'));
}

struct TermCount {
    qint64 rows = 0;
    qint64 instances = 0;
    friend bool operator==(const TermCount&, const TermCount&) = default;
};

constexpr int kSampledTerms = 16;

} // namespace

// What one index must hold: for each of its rows the values and the terms they make, and how many rows hold each
// term and how often.
struct CollectionChecker::ExpectedIndex {
    struct Row {
        std::array<QString, 2> values;
        std::vector<std::pair<TermKey, qint64>> terms; // ascending, each with how often it occurs
    };
    QHash<qint64, Row> rows;
    QHash<TermKey, TermCount> counts;

    void count(const Row& row, qint64 sign)
    {
        for (const auto& [key, times] : row.terms) {
            TermCount& count = counts[key];
            count.rows += sign;
            count.instances += sign * times;
            if (count == TermCount())
                counts.remove(key);
        }
    }

    // Only rows whose values changed since the last file are tokenized again.
    void update(const QHash<qint64, std::array<QString, 2>>& values, qsizetype columns)
    {
        for (auto it = rows.begin(); it != rows.end();) {
            if (values.contains(it.key())) {
                ++it;
                continue;
            }
            count(it.value(), -1);
            it = rows.erase(it);
        }
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const auto known = rows.constFind(it.key());
            if (known != rows.cend() && known->values == it.value())
                continue;
            if (known != rows.cend())
                count(*known, -1);
            std::vector<TermKey> keys;
            for (qsizetype column = 0; column < columns; ++column)
                addTokens(it.value()[std::size_t(column)], std::size_t(column), keys);
            std::sort(keys.begin(), keys.end());
            Row row{it.value(), {}};
            for (auto run = keys.cbegin(); run != keys.cend();) {
                const auto end = std::upper_bound(run, keys.cend(), *run);
                row.terms.emplace_back(*run, end - run);
                run = end;
            }
            count(row, 1);
            rows.insert(it.key(), std::move(row));
        }
    }

    bool holds(const Row& row, TermKey key) const
    {
        const auto found = std::lower_bound(row.terms.cbegin(), row.terms.cend(), std::pair<TermKey, qint64>(key, 0));
        return found != row.terms.cend() && found->first == key;
    }
};

namespace {

// Each row of one index must hold its values now, or, while it waits in the log, what it held when first logged
// (nothing when it was not indexed then), since a search compares logged rows one by one. Reading the index row by
// row costs half a second for 300 bodies, so it is compared by how many rows hold each term and how often, and for
// a spread of terms by exactly which rows.
void compareIndex(Connection& connection, CollectionChecker::ExpectedIndex& expected, int kind, const char* table,
                  const QStringList& columns, const QString& currentRows, const QString& what, QStringList& breaches)
{
    QHash<qint64, std::array<QString, 2>> values;
    {
        Query current(connection, currentRows);
        while (current.next())
            values.insert(current.integer(0), {current.text(1), columns.size() > 1 ? current.text(2) : QString()});
    }
    {
        Query logged(connection, QStringLiteral("SELECT ref, indexed, old1, old2 FROM zettora_index_log WHERE seq IN "
                                                "(SELECT min(seq) FROM zettora_index_log WHERE kind = ? AND "
                                                "typeof(ref) = 'integer' GROUP BY ref)"));
        logged.bind(1, kind);
        while (logged.next()) {
            if (logged.integer(1) != 0)
                values.insert(logged.integer(0), {logged.text(2), columns.size() > 1 ? logged.text(3) : QString()});
            else
                values.remove(logged.integer(0));
        }
    }
    expected.update(values, columns.size());
    const QHash<TermKey, TermCount>& want = expected.counts;

    const QString vocab = QStringLiteral("temp.crashtrials_") + QLatin1StringView(table);
    connection.execute(QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS ") + vocab +
                       QStringLiteral(" USING fts5vocab(main, ") + QLatin1StringView(table) + QStringLiteral(", col)"));
    QHash<TermKey, TermCount> have;
    {
        Query terms(connection, QStringLiteral("SELECT term, col, doc, cnt FROM ") + vocab);
        while (terms.next()) {
            const QList<uint> term = terms.text(0).toUcs4();
            const qsizetype column = columns.indexOf(terms.text(1));
            if (term.isEmpty() || term.size() > 2 || column < 0) {
                breaches.push_back(what + QStringLiteral(": a term no text makes: ") + terms.text(0));
                continue;
            }
            have.insert(termKey(std::size_t(column), term[0], term.size() > 1 ? term[1] : 0),
                        {terms.integer(2), terms.integer(3)});
        }
    }
    connection.execute(QStringLiteral("DROP TABLE ") + vocab);

    QSet<TermKey> terms;
    for (auto it = want.cbegin(); it != want.cend(); ++it)
        terms.insert(it.key());
    for (auto it = have.cbegin(); it != have.cend(); ++it)
        terms.insert(it.key());
    QList<TermKey> differing;
    for (const TermKey key : terms) {
        if (want.value(key) != have.value(key))
            differing << key;
    }
    if (!differing.isEmpty()) {
        std::sort(differing.begin(), differing.end());
        const TermKey key = differing.front();
        breaches.push_back(QStringLiteral("%1: %2 terms counted otherwise, as \"%3\" in %4 rows where the rows "
                                          "hold it in %5")
                               .arg(what)
                               .arg(differing.size())
                               .arg(shownTerm(key))
                               .arg(have.value(key).rows)
                               .arg(want.value(key).rows));
        return;
    }

    QList<TermKey> spread(want.keyBegin(), want.keyEnd());
    std::sort(spread.begin(), spread.end());
    Query match(connection, QStringLiteral("SELECT rowid FROM main.") + QLatin1StringView(table) +
                                QStringLiteral(" WHERE ") + QLatin1StringView(table) + QStringLiteral(" MATCH ?"));
    for (qsizetype i = 0; i < kSampledTerms && i < spread.size(); ++i) {
        const TermKey key = spread[i * spread.size() / kSampledTerms];
        const QString term = termText(key);
        // The query folds the term once more: only terms that stay as they are can be asked for.
        if (FullText::comparisonForm(term) != term)
            continue;
        QString quoted = term;
        quoted.replace(u'"', QStringLiteral("\"\""));
        match.reset();
        match.bind(1, u'{' + columns[qsizetype(key & 1)] + QStringLiteral("} : \"") + quoted + u'"');
        QSet<qint64> answered;
        while (match.next())
            answered.insert(match.integer(0));
        QSet<qint64> holding;
        for (auto it = expected.rows.cbegin(); it != expected.rows.cend(); ++it) {
            if (expected.holds(it.value(), key))
                holding.insert(it.key());
        }
        if (answered != holding) {
            breaches.push_back(
                QStringLiteral("%1: \"%2\" is answered by other rows than hold it").arg(what, shownTerm(key)));
            return;
        }
    }
}

// The picture index keeps its text: its terms must be those of that text (FTS5's own check), and each set not
// waiting in the log must hold its pictures' text as it is now.
void checkPictureIndex(Connection& connection, QStringList& breaches)
{
    if (!connection.hasTable(QStringLiteral("zettora_picture_index")) ||
        !connection.hasTable(QString::fromUtf16(Schema::kPictureText)))
        return;
    try {
        connection.execute(QStringLiteral("INSERT INTO zettora_picture_index(zettora_picture_index) "
                                          "VALUES ('integrity-check')"));
    } catch (const DbError& e) {
        breaches.push_back(QStringLiteral("picture index unlike its own text: ") + e.message());
        return;
    }
    Query unlike(connection,
                 QStringLiteral("WITH now(skID, text) AS (SELECT skID, group_concat(text, char(10)) FROM "
                                "zettora_picture_text WHERE text <> '' GROUP BY skID), logged(skID) AS (SELECT ref "
                                "FROM zettora_index_log WHERE kind = 2) "
                                "SELECT count(*) FROM (SELECT * FROM (SELECT rowid AS skID, text FROM "
                                "zettora_picture_index EXCEPT SELECT skID, text FROM now) UNION ALL SELECT * FROM "
                                "(SELECT skID, text FROM now EXCEPT SELECT rowid, text FROM zettora_picture_index)) "
                                "WHERE skID NOT IN logged"));
    if (unlike.next() && unlike.integer(0) > 0)
        breaches.push_back(QStringLiteral("picture index unlike the picture text: %1 sets").arg(unlike.integer(0)));
}

void checkBodyIndex(Connection& connection, CheckDepth depth, CollectionChecker::ExpectedIndex& bodies,
                    CollectionChecker::ExpectedIndex& labels, QStringList& breaches)
{
    const QString main = QString::fromLatin1(BodyIndex::kMainSchema);
    // A file without the index, as an import writes it, gets it when it is opened; only a part of one is wrong.
    // Other tables of ours (sources, picture text) are no part of it.
    Query parts(connection, QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'zettora\\_body\\_%' "
                                           "ESCAPE '\\' OR name LIKE 'zettora\\_label\\_%' ESCAPE '\\' OR name "
                                           "LIKE 'zettora\\_index\\_%' ESCAPE '\\'"));
    if (!parts.next() || parts.integer(0) == 0)
        return;
    try {
        Query log(connection, QStringLiteral("SELECT count(*) FROM zettora_index_log"));
        log.next();
    } catch (const DbError& e) {
        breaches.push_back(QStringLiteral("body index log unreadable: ") + e.message());
    }
    if (!BodyIndex::isInstalled(connection, main)) {
        breaches.push_back(QStringLiteral("body index incomplete"));
        return;
    }
    if (!BodyIndex::isSound(connection, main, QString()))
        breaches.push_back(QStringLiteral("body index out of step with its triggers or counts"));
    if (depth == CheckDepth::RowsOnly)
        return;
    compareIndex(connection, bodies, 0, "zettora_body_index", {QStringLiteral("body")},
                 QString::fromLatin1(kFirstBodies), QStringLiteral("body index unlike the bodies"), breaches);
    compareIndex(connection, labels, 1, "zettora_label_index", {QStringLiteral("title"), QStringLiteral("keyword")},
                 QStringLiteral("SELECT rowid, a02, a07 FROM MEMO_IDX"),
                 QStringLiteral("title index unlike the titles and keywords"), breaches);
    checkPictureIndex(connection, breaches);
}

// ---- the files beside the collection -------------------------------------------------------------------------

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QStringList filesIn(const QString& folder)
{
    QStringList names;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        names << file.fileName();
    return names;
}

QString damageOf(const QString& path)
{
    try {
        auto connection = Connection::openExisting(path);
        return integrityOf(*connection);
    } catch (const DbError& e) {
        return e.message();
    }
}

// A target of the program's that is written under another name and renamed when complete; partials are name patterns.
void checkRenamedTarget(const QString& target, const QByteArray& digest, const QStringList& partials,
                        const QString& what, FilesVerdict& verdict)
{
    if (QFileInfo::exists(target)) {
        if (const QString damage = damageOf(target); !damage.isEmpty())
            verdict.damage << what + QStringLiteral(": damaged: ") + damage;
        else if (!digest.isEmpty() && contentDigest(target) != digest)
            verdict.breaches << what + QStringLiteral(": incomplete: its rows differ from a whole one's");
    }
    for (const QString& name : filesIn(QFileInfo(target).path())) {
        if (name != fileName(target) && !QDir::match(partials, name))
            verdict.leftBehind << what + QStringLiteral(": ") + name;
    }
}

void checkBackups(const TrialFiles& files, const WorkerLog& log, FilesVerdict& verdict)
{
    QList<QDateTime> present;
    QStringList backupNames;
    const QList<Backups::Entry> backups = Backups::list(files.backupFolder); // newest first
    for (const Backups::Entry& backup : backups) {
        present << backup.when;
        backupNames << fileName(backup.path);
        // Only the newest can be the one a kill interrupted; the others were verified when made and only ever removed.
        // A copy is of a committed state, whose index the collection's own check compares.
        Verdict checked;
        if (backup.path == backups.front().path)
            checked = checkCollection(backup.path, CheckDepth::RowsOnly);
        else
            checked.damage = damageOf(backup.path);
        if (!checked.damage.isEmpty())
            verdict.damage << QStringLiteral("backup ") + fileName(backup.path) + QStringLiteral(": ") + checked.damage;
        for (const QString& breach : checked.breaches)
            verdict.breaches << QStringLiteral("backup ") + fileName(backup.path) + QStringLiteral(": ") + breach;
    }
    // Whatever rotation ran, what it keeps of every backup made is still there.
    QList<QDateTime> made = present;
    for (const auto& [path, when] : log.backups) {
        if (!made.contains(when))
            made << when;
    }
    for (const int kept : Backups::kept(made)) {
        if (!present.contains(made[kept]))
            verdict.breaches << QStringLiteral("backup of ") + made[kept].toString(Qt::ISODateWithMs) +
                                    QStringLiteral(" removed, though the rotation keeps it");
    }
    // A killed copy's partial file is removed by a later backup once it is an hour old.
    for (const QString& name : filesIn(files.backupFolder)) {
        if (!backupNames.contains(name) && !name.endsWith(QStringLiteral(".partial")) &&
            !name.endsWith(QStringLiteral(".partial-journal")))
            verdict.leftBehind << QStringLiteral("backup: ") + name;
    }
}

void checkRestored(const TrialFiles& files, const WorkerLog& log, FilesVerdict& verdict)
{
    const QFileInfo collection(files.collection);
    const QString restoredPrefix = collection.completeBaseName() + QStringLiteral("（復元 ");
    for (const QString& name : filesIn(collection.path())) {
        if (name == collection.fileName() || name == collection.fileName() + QStringLiteral("-journal"))
            continue;
        if (!name.startsWith(restoredPrefix) || !name.endsWith(QStringLiteral("）.mdb"))) {
            verdict.leftBehind << QStringLiteral("beside the collection: ") + name;
            continue;
        }
        const QString path = collection.dir().filePath(name);
        const Verdict checked = checkCollection(path, CheckDepth::RowsOnly);
        if (!checked.damage.isEmpty())
            verdict.damage << QStringLiteral("restored ") + name + QStringLiteral(": ") + checked.damage;
        for (const QString& breach : checked.breaches)
            verdict.breaches << QStringLiteral("restored ") + name + QStringLiteral(": ") + breach;
        // Earlier copies are removed before each restore, so this one is of the backup last restored.
        if (!log.restoreFrom.isEmpty() && QFileInfo::exists(log.restoreFrom) &&
            fileHash(path) != fileHash(log.restoreFrom))
            verdict.breaches << QStringLiteral("restored ") + name + QStringLiteral(" differs from its backup");
    }
}

} // namespace

CollectionChecker::CollectionChecker()
    : m_bodies(std::make_unique<ExpectedIndex>())
    , m_labels(std::make_unique<ExpectedIndex>())
{}

CollectionChecker::~CollectionChecker() = default;

Verdict checkCollection(const QString& path, CheckDepth depth)
{
    return CollectionChecker().check(path, depth);
}

Verdict CollectionChecker::check(const QString& path, CheckDepth depth)
{
    Verdict verdict;
    std::unique_ptr<Connection> connection;
    try {
        connection = Connection::openExisting(path);
        BodyIndex::registerFunctions(*connection);
        verdict.damage = integrityOf(*connection);
    } catch (const DbError& e) {
        verdict.damage = e.message();
        return verdict;
    }
    try {
        Query rows(*connection, QString::fromLatin1(kRowsDigest));
        if (rows.next())
            verdict.rows = rows.text(0);
    } catch (const DbError&) {
        // What cannot be read is counted by the invariants below.
    }
    for (const Invariant& invariant : kInvariants) {
        const QString name = QString::fromLatin1(invariant.name);
        if (invariant.table && !connection->hasTable(QString::fromLatin1(invariant.table)))
            continue;
        try {
            Query offenders(*connection, QString::fromLatin1(invariant.offenders));
            if (!offenders.next())
                verdict.breaches.push_back(name + QStringLiteral(": no answer"));
            else if (const qint64 count = offenders.integer(0); count != 0)
                verdict.breaches.push_back(name + QStringLiteral(": %1 rows").arg(count));
        } catch (const DbError& e) {
            verdict.breaches.push_back(name + QStringLiteral(": ") + e.message());
        }
    }
    try {
        checkMarks(*connection, verdict.breaches);
        checkPageCopies(*connection, verdict.breaches);
        checkBodyIndex(*connection, depth, *m_bodies, *m_labels, verdict.breaches);
    } catch (const DbError& e) {
        verdict.breaches.push_back(QStringLiteral("rows unreadable: ") + e.message());
    }
    return verdict;
}

QByteArray contentDigest(const QString& path)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    try {
        auto connection = Connection::openExisting(path);
        for (const Schema::Table& table : Schema::tables()) {
            QStringList values;
            for (const Schema::Column& column : table.columns)
                values << QStringLiteral("quote(\"") + QString::fromUtf16(column.name) + QStringLiteral("\")");
            Query rows(*connection, QStringLiteral("SELECT ") + values.join(QStringLiteral(", ")) +
                                        QStringLiteral(" FROM \"") + QString::fromUtf16(table.name) +
                                        QStringLiteral("\" ORDER BY rowid"));
            hash.addData(QString::fromUtf16(table.name).toUtf8());
            while (rows.next()) {
                for (int column = 0; column < rows.columnCount(); ++column) {
                    hash.addData(rows.utf8(column));
                    hash.addData("\x1f");
                }
                hash.addData("\x1e");
            }
        }
    } catch (const DbError&) {
        return {};
    }
    return hash.result();
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

WorkerLog WorkerLog::parse(const QByteArray& output)
{
    WorkerLog log;
    for (const QByteArray& line : output.split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(u'\t');
        if (fields.size() == 2 && fields[0] == QLatin1StringView(WorkerLine::kPath))
            log.lastPath = fields[1];
        else if (fields.size() == 3 && fields[0] == QLatin1StringView(WorkerLine::kBackup))
            log.backups.push_back({fields[1], QDateTime::fromString(fields[2], Qt::ISODateWithMs)});
        else if (fields.size() == 2 && fields[0] == QLatin1StringView(WorkerLine::kRestoreFrom))
            log.restoreFrom = fields[1];
    }
    return log;
}

FilesVerdict checkTrialFiles(const TrialFiles& files, const WorkerLog& log, const References& references)
{
    FilesVerdict verdict;
    if (!references.legacySource.isEmpty() && fileHash(references.legacySource) != references.legacyHash)
        verdict.breaches << QStringLiteral("import: the old collection was changed");
    const QString imported = fileName(files.importTarget);
    checkRenamedTarget(files.importTarget, references.imported,
                       {imported + QStringLiteral(".partial"), imported + QStringLiteral(".partial-journal")},
                       QStringLiteral("import"), verdict);
    // Partial files of a killed creation or edition are removed by the next one once they are an hour old.
    checkRenamedTarget(files.createTarget, references.created, {QStringLiteral(".zettora-creating-*")},
                       QStringLiteral("create"), verdict);
    checkRenamedTarget(files.editionTarget, {}, {fileName(files.editionTarget) + QStringLiteral(".partial*")},
                       QStringLiteral("edition"), verdict);
    checkBackups(files, log, verdict);
    checkRestored(files, log, verdict);
    return verdict;
}
