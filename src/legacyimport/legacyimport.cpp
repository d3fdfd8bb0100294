#include "legacyimport.h"

#include "accessfile.h"
#include "common/textcut.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "legacyimportlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace LegacyImport {
namespace {

using Schema::ColumnType;

struct Cancelled {};

// The pictures window's kMaxPictureBytes (pictures/pictureimage.h), kept here so that the import refuses what it would.
constexpr qint64 kMaxPictureBytes = 100LL * 1024 * 1024;

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

class Converter final {
public:
    Converter(const AccessFile& source, Connection& target, const Options& options)
        : m_source(source)
        , m_target(target)
        , m_options(options)
    {}

    Report run()
    {
        checkTables();
        for (const Schema::Table& table : Schema::tables())
            copyTable(table);
        checkNumbers();
        return m_report;
    }

private:
    void checkTables()
    {
        const QStringList present = m_source.tableNames();
        if (!present.contains(Schema::name(Schema::kDBID)))
            throw ImportError(
                QStringLiteral("このファイルには DBID テーブルがありません。Zettora のデータベースではありません。"));
        QStringList missing;
        for (const Schema::Table& table : Schema::tables()) {
            if (!present.contains(QString::fromUtf16(table.name)))
                missing << QString::fromUtf16(table.name);
        }
        if (!missing.isEmpty())
            throw ImportError(QStringLiteral("次のテーブルがありません：") + missing.join(QStringLiteral("、")));
        qint64 kind = 0;
        bool found = false;
        m_source.readRows(Schema::name(Schema::kDBID), [&](const std::vector<AccessValue>& row) {
            if (!row.empty() && row.front().kind == AccessValue::Kind::Integer) {
                kind = row.front().integer;
                found = true;
            }
            return false;
        });
        if (!found || (kind != 2 && kind != -2))
            throw ImportError(QStringLiteral("DBID の種類（%1）が Zettora のデータベースのものではありません。")
                                  .arg(found ? QString::number(kind) : QStringLiteral("なし")));
        m_report.kind = int(kind);
    }

    void copyTable(const Schema::Table& table)
    {
        const QString name = QString::fromUtf16(table.name);
        const QStringList oldColumns = m_source.columnNames(name);
        std::vector<int> from;
        QStringList names;
        QStringList marks;
        for (const Schema::Column& column : table.columns) {
            const QString columnName = QString::fromUtf16(column.name);
            const auto at = std::find_if(oldColumns.cbegin(), oldColumns.cend(), [&](const QString& c) {
                return c.compare(columnName, Qt::CaseInsensitive) == 0;
            });
            if (at == oldColumns.cend())
                throw ImportError(QStringLiteral("テーブル %1 に列 %2 がありません。").arg(name, columnName));
            from.push_back(int(at - oldColumns.cbegin()));
            names << quoted(columnName);
            marks << QStringLiteral("?");
        }
        Query insert(m_target, QStringLiteral("INSERT INTO ") + quoted(name) + u'(' + names.join(u',') +
                                   QStringLiteral(") VALUES (") + marks.join(u',') + u')');
        TableCount count{name, 0, 0};
        const auto copy = [&](const std::vector<AccessValue>& row) {
            if (m_options.cancelled && m_options.cancelled())
                throw Cancelled{};
            ++count.read;
            std::vector<QVariant> values;
            m_rowChanges.clear();
            for (std::size_t i = 0; i < from.size(); ++i)
                values.push_back(value(table, table.columns[i], row.at(std::size_t(from[i]))));
            for (const QString& change : std::as_const(m_rowChanges))
                m_report.changes << whose(name, values, count.read) + change;
            if (!adjustRow(name, values))
                return true;
            insert.reset();
            for (std::size_t i = 0; i < values.size(); ++i)
                insert.bind(int(i) + 1, values[i]);
            insert.run();
            ++count.written;
            if (m_options.progress && count.read % 50 == 0)
                m_options.progress(name, count.read);
            return true;
        };
        m_source.readRows(name, copy,
                          name == Schema::name(Schema::kPhotoDra) ? kMaxPictureBytes
                                                                  : std::numeric_limits<qint64>::max());
        if (m_options.progress)
            m_options.progress(name, count.read);
        m_report.tables << count;
    }

    QVariant value(const Schema::Table& table, const Schema::Column& column, const AccessValue& v)
    {
        using Kind = AccessValue::Kind;
        noteDamage(table, column, v);
        if (v.kind == Kind::Null)
            return QVariant();
        switch (column.type) {
        case ColumnType::Integer:
        case ColumnType::YesNo:
            if (v.kind == Kind::Real) {
                // Rounding a real outside 64 bits is undefined; no number of ours is that large.
                if (!std::isfinite(v.real) || std::abs(v.real) >= 9.2e18) {
                    ++m_report.valuesRefused;
                    m_rowChanges << QStringLiteral("%1.%2 の %3 は整数にできないため取り込みませんでした。")
                                        .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name))
                                        .arg(v.real);
                    return QVariant();
                }
                return qint64(qRound64(v.real));
            }
            if (v.kind == Kind::Text) {
                bool number = false;
                const qint64 read = v.text.trimmed().toLongLong(&number);
                if (!number) {
                    ++m_report.valuesRefused;
                    m_rowChanges << QStringLiteral("%1.%2 の「%3」は数にできないため取り込まず、0 にしました。")
                                        .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name),
                                             leftWhole(v.text, 40));
                }
                return read;
            }
            return v.integer;
        case ColumnType::Date: {
            if (v.kind == Kind::Real) {
                ++m_report.valuesRefused;
                m_rowChanges << QStringLiteral("%1.%2 の %3 は日付にできないため取り込みませんでした。")
                                    .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name))
                                    .arg(v.real);
                return QVariant();
            }
            if (v.kind == Kind::Text)
                return v.text;
            if (v.kind != Kind::Date) {
                ++m_report.valuesRefused;
                m_rowChanges << QStringLiteral("%1.%2 の値は日付でないため取り込みませんでした。")
                                    .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name));
                return QVariant();
            }
            if (v.date.time() != QTime(0, 0))
                ++m_report.timesDropped;
            return v.date.date().toString(Qt::ISODate);
        }
        case ColumnType::Binary:
            return v.kind == Kind::Binary ? QVariant(v.bytes) : QVariant(v.text.toUtf8());
        case ColumnType::Memo:
        case ColumnType::Text: {
            QString text = v.kind == Kind::Text      ? v.text
                           : v.kind == Kind::Integer ? QString::number(v.integer)
                                                     : QString::number(v.real);
            // Cut by characters, as the column counts them: a rare kanji is never cut in half.
            if (const QString kept = leftWhole(text, column.width);
                column.type == ColumnType::Text && kept.size() < text.size()) {
                ++m_report.valuesCut;
                m_rowChanges << QStringLiteral("%1.%2 の %3 文字を %4 文字に切り詰めました。")
                                    .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name))
                                    .arg(text.size())
                                    .arg(column.width);
                text = kept;
            }
            return text;
        }
        }
        return QVariant();
    }

    // A memo or picture whose pages did not hold what its row says: what came across is told with the scrap.
    void noteDamage(const Schema::Table& table, const Schema::Column& column, const AccessValue& v)
    {
        using Damage = AccessValue::Damage;
        const QString where = QString::fromUtf16(table.name) + u'.' + QString::fromUtf16(column.name);
        switch (v.damage) {
        case Damage::None:
            return;
        case Damage::Cut:
            ++m_report.valuesCut;
            if (v.heldLength > v.storedLength)
                m_rowChanges << QStringLiteral(
                                    "%1 はページに %2 バイトありますが、記録された長さの %3 バイトに切り詰めました。")
                                    .arg(where)
                                    .arg(v.heldLength)
                                    .arg(v.storedLength);
            else if (v.chainBroken)
                m_rowChanges << QStringLiteral("%1 のページのつながりが途中で壊れていたため、読めた %2 "
                                               "バイトだけを取り込みました（記録された長さは %3 バイト）。")
                                    .arg(where)
                                    .arg(v.heldLength)
                                    .arg(v.storedLength);
            else
                m_rowChanges << QStringLiteral("%1 はページに %2 バイトしかないため、その %2 "
                                               "バイトだけを取り込みました（記録された長さは %3 バイト）。")
                                    .arg(where)
                                    .arg(v.heldLength)
                                    .arg(v.storedLength);
            return;
        case Damage::Unreadable:
            ++m_report.valuesRefused;
            m_rowChanges
                << QStringLiteral("%1 は壊れたページを指していて読めないため、取り込みませんでした。").arg(where);
            return;
        case Damage::TooLarge:
            ++m_report.valuesRefused;
            m_rowChanges << QStringLiteral("%1 の画像（%2 バイト）は上限の %3 MB を超えるため、取り込みませんでした。")
                                .arg(where)
                                .arg(std::min(v.storedLength, v.heldLength))
                                .arg(kMaxPictureBytes / (1024 * 1024));
            return;
        }
    }

    // The scrap a changed value belongs to, by its title where the row leads to one.
    QString whose(const QString& table, const std::vector<QVariant>& values, qint64 row) const
    {
        QString title;
        if (table == Schema::name(Schema::kMemoIdx))
            title = values[1].toString();
        else if (table == Schema::name(Schema::kMemoDat) || table == Schema::name(Schema::kMemoUnderline))
            title = m_titles.value(values[0].toLongLong());
        else if (table == Schema::name(Schema::kPhotoDra))
            title = m_pictureTitles.value(values[0].toLongLong());
        if (!title.isNull())
            return QStringLiteral("「%1」：").arg(title);
        return QStringLiteral("%1の %2 件目：").arg(contentOf(table)).arg(row);
    }

    // Bodies lose their CRs, marks follow their characters; false drops the row.
    bool adjustRow(const QString& table, std::vector<QVariant>& values)
    {
        if (table == Schema::name(Schema::kMemoIdx)) {
            m_titles.insert(values[8].toLongLong(), values[1].toString());
            m_titlesByDocNo.insert(values[11].toLongLong(), values[1].toString());
            if (values[7].toLongLong() != 0)
                m_pictureTitles.insert(values[7].toLongLong(), values[1].toString());
        } else if (table == Schema::name(Schema::kMemoDat) && values[1].typeId() == QMetaType::QString) {
            const qint64 pfID = values[0].toLongLong();
            const QString old = values[1].toString();
            const QString text = bodyWithLineFeeds(old);
            if (!m_bodies.contains(pfID))
                m_bodies.insert(pfID, {crlfPositions(old), int(text.size())});
            values[1] = text;
        } else if (table == Schema::name(Schema::kMemoUnderline)) {
            return adjustMark(values);
        } else if (table == Schema::name(Schema::kExtraNodeWeb)) {
            m_favouriteNames.insert(values[1].toLongLong(), values[2].toString());
        }
        return true;
    }

    bool adjustMark(std::vector<QVariant>& values)
    {
        const qint64 pfID = values[0].toLongLong();
        const auto body = m_bodies.constFind(pfID);
        if (body == m_bodies.cend() || values[2].isNull() || values[3].isNull())
            return true;
        const qint64 start = values[2].toLongLong();
        const qint64 length = values[3].toLongLong();
        const qint64 oldLength = body->length + body->crlf.size();
        const QString scrap = QStringLiteral("「%1」").arg(m_titles.value(pfID));
        const auto outside = [&] {
            // A mark not brought across is a value not taken: the headline says so.
            ++m_report.valuesRefused;
            m_report.changes
                << scrap +
                       QStringLiteral("：本文の外を指す下線（%1 から %2 文字）を除きました。").arg(start).arg(length);
            return false;
        };
        // Both come from the file as they are: checked against the body first, their sum cannot overflow.
        if (start < 0 || start >= oldLength || length <= 0)
            return outside();
        const bool beyond = length > oldLength - start;
        const qint64 newStart = shiftedStart(start, body->crlf);
        const qint64 newEnd = beyond ? body->length : shiftedEnd(start + length, body->crlf);
        if (newEnd <= newStart)
            return outside();
        if (newStart != start || (beyond ? !body->crlf.isEmpty() : newEnd != start + length))
            ++m_report.marksShifted;
        if (beyond) {
            m_report.changes << scrap +
                                    QStringLiteral(
                                        "：本文の終わりを越える下線（%1 から %2 文字）を本文の終わりまでにしました。")
                                        .arg(start)
                                        .arg(length);
        }
        values[2] = newStart;
        values[3] = newEnd - newStart;
        return true;
    }

    // Counters behind a number in use would hand it out again, so a new scrap would share another's body or pictures.
    void checkNumbers()
    {
        renumberSharedFavourites();
        struct Counter {
            const char16_t* column;
            QString inUse; // the numbers in use, as one column n
            const QHash<qint64, QString>* titles;
        };
        const Counter counters[] = {
            {u"DocNo", QStringLiteral("SELECT DocNo AS n FROM MEMO_IDX"), &m_titlesByDocNo},
            {u"pfID",
             QStringLiteral(
                 "SELECT pfID AS n FROM MEMO_IDX UNION ALL SELECT pfID FROM MEMO_DAT UNION ALL SELECT pfID FROM "
                 "MEMO_UNDERLINE"),
             &m_titles},
            {u"skID", QStringLiteral("SELECT skID AS n FROM MEMO_IDX UNION ALL SELECT skID FROM PHOTO_DRA"),
             &m_pictureTitles},
            {u"ndID", QStringLiteral("SELECT ndID AS n FROM extraNodeWEB"), &m_favouriteNames},
        };
        for (const Counter& counter : counters) {
            const QString column = QString::fromUtf16(counter.column);
            Query largest(m_target, QStringLiteral("SELECT max(n) FROM (") + counter.inUse +
                                        QStringLiteral(") WHERE typeof(n) = 'integer'"));
            if (!largest.next() || largest.isNull(0))
                continue;
            const qint64 inUse = largest.integer(0);
            Query current(m_target, QStringLiteral("SELECT ") + quoted(column) +
                                        QStringLiteral(" FROM IDno ORDER BY rowid LIMIT 1"));
            // A saved edition keeps no counter row: it never hands out numbers.
            if (!current.next() || (!current.isNull(0) && current.integer(0) >= inUse))
                continue;
            const QString was = current.isNull(0) ? QStringLiteral("空") : QString::number(current.integer(0));
            Query move(m_target, QStringLiteral("UPDATE IDno SET ") + quoted(column) +
                                     QStringLiteral(" = ? WHERE rowid = (SELECT min(rowid) FROM IDno)"));
            move.bind(1, inUse).run();
            qCWarning(lcLegacyImport).noquote() << "counter" << column << "moved from" << was << "to" << inUse;
            ++m_report.countersMoved;
            m_report.changes << owner(counter.column, *counter.titles, inUse) +
                                    QStringLiteral("：IDno.%1 の %2 を、使われている最大の %1 %3 まで進めました。")
                                        .arg(column, was)
                                        .arg(inUse);
        }
        reportShared(Schema::kMemoIdx, u"DocNo", u"a02");
        reportShared(Schema::kMemoIdx, u"pfID", u"a02");
        reportShared(Schema::kMemoIdx, u"skID", u"a02");
        reportShared(Schema::kExtraNodeWeb, u"ndID", u"fvName");
    }

    // A favourite is found by its number alone: one sharing it with an earlier one would be deleted, renamed or
    // opened in its place. It gets a number of its own after every other; the counter then follows.
    void renumberSharedFavourites()
    {
        Query shared(m_target,
                     QStringLiteral("SELECT rowid, ndID, fvName FROM extraNodeWEB WHERE typeof(ndID) = "
                                    "'integer' AND rowid NOT IN (SELECT min(rowid) FROM extraNodeWEB GROUP BY "
                                    "ndID) ORDER BY rowid"));
        QList<std::tuple<qint64, qint64, QString>> later;
        while (shared.next())
            later.append({shared.integer(0), shared.integer(1), shared.text(2)});
        if (later.isEmpty())
            return;
        Query largest(m_target, QStringLiteral("SELECT max(ndID) FROM extraNodeWEB WHERE typeof(ndID) = 'integer'"));
        qint64 next = largest.next() ? largest.integer(0) : 0;
        Query renumber(m_target, QStringLiteral("UPDATE extraNodeWEB SET ndID = ? WHERE rowid = ?"));
        for (const auto& [rowid, was, name] : std::as_const(later)) {
            renumber.reset();
            renumber.bind(1, ++next).bind(2, rowid).run();
            m_favouriteNames.insert(next, name);
            ++m_report.numbersShared;
            m_report.changes << QStringLiteral("お気に入り「%1」：ほかのお気に入りと同じ ndID %2 を、%3 にしました。")
                                    .arg(name)
                                    .arg(was)
                                    .arg(next);
        }
    }

    QString owner(const char16_t* column, const QHash<qint64, QString>& titles, qint64 number) const
    {
        const auto title = titles.constFind(number);
        if (title == titles.cend())
            return QStringLiteral("IDno");
        return QString::fromUtf16(column) == u"ndID" ? QStringLiteral("お気に入り「%1」").arg(*title)
                                                     : QStringLiteral("「%1」").arg(*title);
    }

    // Numbers in use more than once are left as they are but told, with every row that holds them.
    void reportShared(const char16_t* table, const char16_t* column, const char16_t* nameColumn)
    {
        const QString name = QString::fromUtf16(column);
        const QString from = QStringLiteral(" FROM ") + quoted(QString::fromUtf16(table));
        const QString number = quoted(name);
        // skID 0 is a scrap without pictures, which many share.
        const QString used = number + (name == u"skID" ? QStringLiteral(" <> 0") : QStringLiteral(" IS NOT NULL"));
        Query shared(m_target, QStringLiteral("SELECT ") + number + u',' + quoted(QString::fromUtf16(nameColumn)) +
                                   from + QStringLiteral(" WHERE ") + number + QStringLiteral(" IN (SELECT ") + number +
                                   from + QStringLiteral(" WHERE ") + used + QStringLiteral(" GROUP BY ") + number +
                                   QStringLiteral(" HAVING count(*) > 1) ORDER BY ") + number +
                                   QStringLiteral(", rowid"));
        const QString whose = name == u"ndID" ? QStringLiteral("お気に入り") : QString();
        QStringList names;
        qint64 value = 0;
        const auto flush = [&] {
            if (names.isEmpty())
                return;
            ++m_report.numbersShared;
            qCWarning(lcLegacyImport).noquote() << name << value << "is used" << names.size() << "times";
            m_report.changes << whose + names.join(u'、') +
                                    QStringLiteral("：同じ %1 %2 を使っています。").arg(name).arg(value);
            names.clear();
        };
        while (shared.next()) {
            if (!names.isEmpty() && shared.integer(0) != value)
                flush();
            value = shared.integer(0);
            names << QStringLiteral("「%1」").arg(shared.text(1));
        }
        flush();
    }

    struct Body {
        QList<int> crlf;
        int length = 0;
    };

    const AccessFile& m_source;
    Connection& m_target;
    const Options& m_options;
    Report m_report;
    QHash<qint64, QString> m_titles;        // by pfID
    QHash<qint64, QString> m_pictureTitles; // by skID
    QHash<qint64, QString> m_titlesByDocNo;
    QHash<qint64, QString> m_favouriteNames; // by ndID
    QStringList m_rowChanges;
    QHash<qint64, Body> m_bodies;
};

} // namespace

QString bodyWithLineFeeds(const QString& old)
{
    QString text = old;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QList<int> crlfPositions(const QString& old)
{
    QList<int> positions;
    for (qsizetype at = old.indexOf(QStringLiteral("\r\n")); at >= 0; at = old.indexOf(QStringLiteral("\r\n"), at + 2))
        positions << int(at);
    return positions;
}

qint64 shiftedStart(qint64 start, const QList<int>& crlf)
{
    // A start between CR and LF begins at the line break.
    return start - (std::lower_bound(crlf.cbegin(), crlf.cend(), start) - crlf.cbegin());
}

qint64 shiftedEnd(qint64 end, const QList<int>& crlf)
{
    // An end between CR and LF takes in the whole line break.
    return end - (std::lower_bound(crlf.cbegin(), crlf.cend(), end - 1) - crlf.cbegin());
}

QString contentOf(const QString& table)
{
    static const QHash<QString, QString> contents{
        {QStringLiteral("DBID"), QStringLiteral("データベースの種類")},
        {QStringLiteral("MEMO_IDX"), QStringLiteral("スクラップ")},
        {QStringLiteral("MEMO_DAT"), QStringLiteral("本文")},
        {QStringLiteral("MEMO_UNDERLINE"), QStringLiteral("下線")},
        {QStringLiteral("PHOTO_DRA"), QStringLiteral("添付画像")},
        {QStringLiteral("IDno"), QStringLiteral("番号")},
        {QStringLiteral("extraNodeMEMO"), QStringLiteral("分類")},
        {QStringLiteral("extraNodeWEB"), QStringLiteral("お気に入り")},
        {QStringLiteral("Status"), QStringLiteral("重要度")},
        {QStringLiteral("FontSize"), QStringLiteral("表示フォント")},
        {QStringLiteral("Marker"), QStringLiteral("マーカー色")},
        {QStringLiteral("Speak"), QStringLiteral("読み上げの設定")},
    };
    return contents.value(table, table);
}

QString Report::text() const
{
    QStringList lines;
    QString done =
        kind == -2 ? QStringLiteral("保存版を取り込みました。") : QStringLiteral("データベースを取り込みました。");
    // A damaged value must never read as a conversion where everything came across.
    if (valuesCut + valuesRefused > 0)
        done += QStringLiteral("　ただし、壊れていたか大きすぎた値が %1 件あり、切り詰めたか取り込みませんでした。")
                    .arg(valuesCut + valuesRefused);
    lines << done;
    for (const TableCount& count : tables)
        lines << QStringLiteral("%1：%2 件読み込み、%3 件書き込み")
                     .arg(contentOf(count.table))
                     .arg(count.read)
                     .arg(count.written);
    lines << QStringLiteral("改行の変わった本文に合わせて位置を直した下線：%1").arg(marksShifted);
    lines << QStringLiteral("時刻を除いた作成日：%1").arg(timesDropped);
    lines << QStringLiteral("切り詰めた値：%1").arg(valuesCut);
    lines << QStringLiteral("取り込まなかった値：%1").arg(valuesRefused);
    lines << QStringLiteral("使われている番号まで進めた IDno の番号：%1").arg(countersMoved);
    lines << QStringLiteral("複数のスクラップやお気に入りで使われている番号：%1").arg(numbersShared);
    if (!changes.isEmpty()) {
        lines << QStringLiteral("変更した値：");
        lines << changes;
    }
    return lines.join(u'\n');
}

Report convert(const QString& oldPath, const QString& newPath, const Options& options)
{
    const QFileInfo target(newPath);
    if (target.exists() || target.isSymLink())
        throw ImportError(QStringLiteral("書き込み先に同じ名前のファイルがあります：") + newPath);
    if (QFileInfo(oldPath).canonicalFilePath() == target.absoluteFilePath())
        throw ImportError(QStringLiteral("取り込むファイルと同じファイルには書き込めません。"));
    std::unique_ptr<AccessFile> source;
    try {
        source = AccessFile::open(oldPath);
    } catch (const AccessError& e) {
        throw ImportError(QStringLiteral("旧形式のデータベースとして読めません：") + e.message());
    }
    const QString partial = target.absoluteFilePath() + QStringLiteral(".partial");
    // Another import writing the same file would have its partial file removed under it, then renamed as ours.
    QLockFile writing(partial + QStringLiteral(".lock"));
    writing.setStaleLockTime(0);
    if (!writing.tryLock(0)) {
        if (writing.error() == QLockFile::LockFailedError)
            throw ImportError(QStringLiteral("同じ名前のファイルを別の取り込みが作成中です：") + newPath);
        // The lock is a file beside the target: a folder that takes no file refuses it first.
        throw ImportError(
            QStringLiteral("書き込み先のフォルダにファイルを作れません（空きがないか、書き込みの許可がありません）：") +
            newPath);
    }
    const auto removePartial = [&partial] {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
    };
    removePartial();
    try {
        Report report;
        {
            auto connection = Connection::createNew(partial);
            Transaction transaction(*connection);
            CreateTables(*connection);
            report = Converter(*source, *connection, options).run();
            transaction.commit();
        }
        if (!QFile::rename(partial, target.absoluteFilePath()))
            throw ImportError(QStringLiteral("変換したファイルを置けませんでした：") + newPath);
        return report;
    } catch (const Cancelled&) {
        removePartial();
        throw ImportError(kCancelled);
    } catch (const AccessError& e) {
        removePartial();
        throw ImportError(QStringLiteral("旧形式のデータベースを読み切れませんでした：") + e.message());
    } catch (const DbError& e) {
        removePartial();
        qCWarning(lcLegacyImport) << "cannot write" << partial << e.message();
        throw ImportError(QStringLiteral("変換したデータベースを書けませんでした：") + e.reason());
    } catch (const ImportError&) {
        removePartial();
        throw;
    }
}

} // namespace LegacyImport
