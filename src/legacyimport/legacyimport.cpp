#include "legacyimport.h"

#include "accessfile.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace LegacyImport {
namespace {

using Schema::ColumnType;

struct Cancelled {};

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

// Positions of the CRs of each CRLF, in UTF-16 units of the old text.
QList<int> crlfPositions(const QString& text)
{
    QList<int> positions;
    for (qsizetype at = text.indexOf(QStringLiteral("\r\n")); at >= 0;
         at = text.indexOf(QStringLiteral("\r\n"), at + 2))
        positions << int(at);
    return positions;
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
        m_source.readRows(name, [&](const std::vector<AccessValue>& row) {
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
        });
        if (m_options.progress)
            m_options.progress(name, count.read);
        m_report.tables << count;
    }

    QVariant value(const Schema::Table& table, const Schema::Column& column, const AccessValue& v)
    {
        using Kind = AccessValue::Kind;
        if (v.kind == Kind::Null)
            return QVariant();
        switch (column.type) {
        case ColumnType::Integer:
        case ColumnType::YesNo:
            if (v.kind == Kind::Real)
                return qint64(qRound64(v.real));
            if (v.kind == Kind::Text)
                return v.text.toLongLong();
            return v.integer;
        case ColumnType::Date: {
            if (v.kind != Kind::Date)
                return v.kind == Kind::Text ? QVariant(v.text) : QVariant();
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
            if (column.type == ColumnType::Text && text.size() > column.width) {
                m_rowChanges << QStringLiteral("%1.%2 の %3 文字を %4 文字に切り詰めました。")
                                    .arg(QString::fromUtf16(table.name), QString::fromUtf16(column.name))
                                    .arg(text.size())
                                    .arg(column.width);
                text.truncate(column.width);
            }
            return text;
        }
        }
        return QVariant();
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
        return QStringLiteral("%1 の %2 行目：").arg(table).arg(row);
    }

    // Bodies lose their CRs, marks follow their characters; false drops the row.
    bool adjustRow(const QString& table, std::vector<QVariant>& values)
    {
        if (table == Schema::name(Schema::kMemoIdx)) {
            m_titles.insert(values[8].toLongLong(), values[1].toString());
            if (values[7].toLongLong() != 0)
                m_pictureTitles.insert(values[7].toLongLong(), values[1].toString());
        } else if (table == Schema::name(Schema::kMemoDat) && values[1].typeId() == QMetaType::QString) {
            const qint64 pfID = values[0].toLongLong();
            const QString old = values[1].toString();
            QString text = old;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (!m_bodies.contains(pfID))
                m_bodies.insert(pfID, {crlfPositions(old), int(text.size())});
            values[1] = text;
        } else if (table == Schema::name(Schema::kMemoUnderline)) {
            return adjustMark(values);
        }
        return true;
    }

    bool adjustMark(std::vector<QVariant>& values)
    {
        const qint64 pfID = values[0].toLongLong();
        const auto body = m_bodies.constFind(pfID);
        if (body == m_bodies.cend() || values[2].isNull() || values[3].isNull())
            return true;
        const int start = values[2].toInt();
        const int end = start + values[3].toInt();
        int newStart = shiftedStart(start, body->crlf);
        int newEnd = shiftedEnd(end, body->crlf);
        if (newStart != start || newEnd != end)
            ++m_report.marksShifted;
        const QString scrap = QStringLiteral("「%1」").arg(m_titles.value(pfID));
        if (newStart >= body->length || newEnd <= newStart) {
            m_report.changes << scrap + QStringLiteral("：本文の外を指す下線（%1 から %2 文字）を除きました。")
                                            .arg(start)
                                            .arg(end - start);
            return false;
        }
        if (newEnd > body->length) {
            m_report.changes << scrap +
                                    QStringLiteral(
                                        "：本文の終わりを越える下線（%1 から %2 文字）を本文の終わりまでにしました。")
                                        .arg(start)
                                        .arg(end - start);
            newEnd = body->length;
        }
        values[2] = newStart;
        values[3] = newEnd - newStart;
        return true;
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
    QStringList m_rowChanges;
    QHash<qint64, Body> m_bodies;
};

} // namespace

int shiftedStart(int start, const QList<int>& crlf)
{
    // A start between CR and LF begins at the line break.
    return start - int(std::lower_bound(crlf.cbegin(), crlf.cend(), start) - crlf.cbegin());
}

int shiftedEnd(int end, const QList<int>& crlf)
{
    // An end between CR and LF takes in the whole line break.
    return end - int(std::lower_bound(crlf.cbegin(), crlf.cend(), end - 1) - crlf.cbegin());
}

QString Report::text() const
{
    QStringList lines;
    lines << (kind == -2 ? QStringLiteral("保存版を取り込みました。")
                         : QStringLiteral("データベースを取り込みました。"));
    for (const TableCount& count : tables)
        lines << QStringLiteral("%1：%2 行読み込み、%3 行書き込み").arg(count.table).arg(count.read).arg(count.written);
    lines << QStringLiteral("改行の変わった本文に合わせて位置を直した下線：%1").arg(marksShifted);
    lines << QStringLiteral("時刻を除いた作成日：%1").arg(timesDropped);
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
        throw ImportError(QStringLiteral("変換したデータベースを書けませんでした：") + e.message());
    } catch (const ImportError&) {
        removePartial();
        throw;
    }
}

} // namespace LegacyImport
