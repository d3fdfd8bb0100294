#include "resultset.h"

#include "connection.h"
#include "dberror.h"
#include "query.h"
#include "schema.h"

#include <QHash>
#include <QList>
#include <QStringDecoder>

#include <sqlite3.h>

#include <vector>

namespace {

QString quoted(const QString& identifier)
{
    return u'"' + identifier + u'"';
}

// A pooled text's bytes, hashed with FNV-1a: Qt's own hash of bytes cost as much as stepping the statement.
struct PooledBytes {
    QByteArray bytes;
    friend bool operator==(const PooledBytes& a, const PooledBytes& b) { return a.bytes == b.bytes; }
    friend size_t qHash(const PooledBytes& key, size_t seed = 0) noexcept
    {
        quint64 hash = 14695981039346656037ULL ^ seed;
        for (const char byte : key.bytes)
            hash = (hash ^ quint8(byte)) * 1099511628211ULL;
        return size_t(hash);
    }
};

// Levels, class names, colours and keywords recur down a column: equal texts share one QString, which spares
// converting, allocating and later freeing each copy. A column of mostly distinct texts (titles, dates) soon stops
// looking.
class TextPool final {
public:
    QVariant take(QByteArrayView utf8)
    {
        if (!m_looking)
            return exactText(utf8);
        // Rows listed by class repeat the text of the row before most of the time.
        if (m_previous.isValid() && utf8 == QByteArrayView(m_previousBytes)) {
            ++m_hits;
            return m_previous;
        }
        const auto found = m_texts.constFind(PooledBytes{QByteArray::fromRawData(utf8.data(), utf8.size())});
        if (found != m_texts.cend()) {
            ++m_hits;
            remember(found.key().bytes, *found);
            return *found;
        }
        const QString text = exactText(utf8);
        if (++m_misses >= kTrial && m_hits < m_misses) {
            m_looking = false;
            m_texts.clear();
            m_previous.clear();
        } else if (m_texts.size() < kMaxTexts) {
            const auto added = m_texts.insert(PooledBytes{utf8.toByteArray()}, text);
            remember(added.key().bytes, text);
        }
        return text;
    }

private:
    // QString::fromUtf8 reserves a unit per byte, so Japanese text would keep half its allocation unused in every
    // cell: the text is decoded into a buffer kept for the whole read, then copied into a string of its own size.
    QString exactText(QByteArrayView utf8)
    {
        if (m_scratch.size() < utf8.size())
            m_scratch.resize(utf8.size());
        const QChar* end = m_decoder.appendToBuffer(m_scratch.data(), utf8);
        return QString(m_scratch.constData(), end - m_scratch.constData());
    }

    static constexpr int kTrial = 64;
    static constexpr qsizetype kMaxTexts = 4096;
    // The pool's own key is shared, so no bytes are copied for the row before.
    void remember(const QByteArray& bytes, const QString& text)
    {
        m_previousBytes = bytes;
        m_previous = text;
    }

    QHash<PooledBytes, QString> m_texts;
    QByteArray m_previousBytes;
    QVariant m_previous;
    // A byte-order mark at the front stays a character, which QString::fromUtf8 would drop.
    QStringDecoder m_decoder{QStringDecoder::Utf8,
                             QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless};
    QList<QChar> m_scratch;
    int m_hits = 0;
    int m_misses = 0;
    bool m_looking = true;
};

} // namespace

ResultSet::ResultSet(Connection& connection, QString table)
    : m_connection(connection)
    , m_table(std::move(table))
{}

ResultSet::~ResultSet() = default;

std::unique_ptr<ResultSet> ResultSet::open(Connection& connection, const ResultSource& source)
{
    std::unique_ptr<ResultSet> set(new ResultSet(connection, source.table));
    const bool hasTable = !source.table.isEmpty();
    const Schema::Table* table = hasTable ? Schema::table(source.table) : nullptr;
    if (hasTable && !table)
        throw DbError(SQLITE_ERROR, QStringLiteral("not a table of a scrap database: ") + source.table);
    // The columns by name, in the order the windows read them: a file another tool rebuilt may hold them in another.
    QStringList names;
    if (table) {
        for (const Schema::Column& column : table->columns)
            names << quoted(QString::fromUtf16(column.name));
    }
    const QString sql = hasTable ? QStringLiteral("SELECT rowid, ") + names.join(u", ") + QStringLiteral(" FROM ") +
                                       quoted(source.table) + source.tail
                                 : source.select;
    Query query(connection, sql);
    query.bindAll(source.values);
    const int first = hasTable ? 1 : 0;
    for (int c = first; c < query.columnCount(); ++c)
        set->m_fields << query.columnName(c);
    set->m_width = query.columnCount() - first;
    const int columns = query.columnCount();
    std::vector<TextPool> pools(std::size_t(set->m_width));
    while (query.next()) {
        for (int c = first; c < columns; ++c) {
            const QByteArrayView utf8 = query.utf8(c);
            if (utf8.isEmpty())
                set->m_cells.push_back(query.value(c));
            else
                set->m_cells.push_back(pools[std::size_t(c - first)].take(utf8));
        }
        set->m_rowids.push_back(hasTable ? query.integer(0) : 0);
    }
    set->m_deleted.assign(set->m_rowids.size(), false);
    set->rebuildView();
    set->m_position = set->m_view.empty() ? -1 : 0;
    return set;
}

bool ResultSet::bof() const
{
    return m_view.empty() || m_position < 0;
}

bool ResultSet::eof() const
{
    return m_view.empty() || m_position >= int(m_view.size());
}

void ResultSet::moveFirst()
{
    cancelUpdate();
    m_onDeleted = false;
    m_position = m_view.empty() ? -1 : 0;
}

void ResultSet::moveNext()
{
    cancelUpdate();
    if (m_onDeleted) {
        // The deleted row left the view, so its successor already stands at the current index.
        m_onDeleted = false;
        return;
    }
    if (m_position < int(m_view.size()))
        ++m_position;
}

void ResultSet::movePrevious()
{
    cancelUpdate();
    m_onDeleted = false;
    if (m_position >= 0)
        --m_position;
}

void ResultSet::moveLast()
{
    cancelUpdate();
    m_onDeleted = false;
    m_position = int(m_view.size()) - 1;
}

int ResultSet::absolutePosition() const
{
    return (bof() || eof() || m_onDeleted) ? 0 : m_position + 1;
}

void ResultSet::noteStoredValue(qint64 rowid, const QString& field, const QVariant& value)
{
    const int column = fieldIndex(field);
    if (column < 0)
        throw DbError(SQLITE_ERROR, QStringLiteral("no field ") + field);
    for (std::size_t i = 0; i < m_rowids.size(); ++i) {
        if (m_rowids[i] == rowid)
            row(int(i))[column] = value;
    }
}

int ResultSet::positionOfRowid(qint64 rowid) const
{
    for (std::size_t i = 0; i < m_view.size(); ++i) {
        if (m_rowids[std::size_t(m_view[i])] == rowid)
            return int(i) + 1;
    }
    return 0;
}

void ResultSet::setAbsolutePosition(int position)
{
    if (position < 1 || position > int(m_view.size()))
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("no record at position %1").arg(position));
    cancelUpdate();
    m_onDeleted = false;
    m_position = position - 1;
}

void ResultSet::setFilter(const QString& field, const QVariant& value)
{
    const int column = fieldIndex(field);
    if (column < 0)
        throw DbError(SQLITE_ERROR, QStringLiteral("no field to filter on: ") + field);
    cancelUpdate();
    m_filterColumn = column;
    m_filterValue = value;
    rebuildView();
    moveFirst();
}

void ResultSet::clearFilter()
{
    cancelUpdate();
    m_filterColumn = -1;
    m_filterValue = QVariant();
    rebuildView();
    moveFirst();
}

bool ResultSet::passesFilter(const QVariant* row) const
{
    if (m_filterColumn < 0)
        return true;
    const QVariant& cell = row[m_filterColumn];
    if (cell.typeId() == QMetaType::LongLong || m_filterValue.typeId() == QMetaType::LongLong ||
        m_filterValue.typeId() == QMetaType::Int)
        return cell.isValid() && cell.toLongLong() == m_filterValue.toLongLong();
    return cell.isValid() && cell.toString() == m_filterValue.toString();
}

void ResultSet::rebuildView()
{
    m_view.clear();
    for (int i = 0; i < rowTotal(); ++i) {
        if (!m_deleted[i] && passesFilter(row(i)))
            m_view.push_back(i);
    }
}

int ResultSet::fieldIndex(const QString& name) const
{
    return int(m_fields.indexOf(name));
}

const QVariant* ResultSet::currentRow() const
{
    if (m_adding)
        return m_edit.data();
    if (bof() || eof() || m_onDeleted)
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("no current record"));
    return row(m_view[m_position]);
}

QVariant ResultSet::value(int field) const
{
    if (field < 0 || field >= fieldCount())
        throw DbError(SQLITE_RANGE, QStringLiteral("no field %1").arg(field));
    if (m_editing)
        return m_edit[field];
    return currentRow()[field];
}

QVariant ResultSet::value(const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        throw DbError(SQLITE_ERROR, QStringLiteral("no such field: ") + field);
    return value(index);
}

qint64 ResultSet::rowid() const
{
    if (m_adding || bof() || eof() || m_onDeleted)
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("no current record"));
    return m_rowids[m_view[m_position]];
}

const QVariant& ResultSet::valueAt(int visibleRow, int field) const
{
    static const QVariant kNone;
    if (visibleRow < 0 || visibleRow >= int(m_view.size()) || field < 0 || field >= fieldCount())
        return kNone;
    return row(m_view[visibleRow])[field];
}

qint64 ResultSet::rowidAt(int visibleRow) const
{
    if (visibleRow < 0 || visibleRow >= int(m_view.size()))
        throw DbError(DbError::kNoCurrentRow, QStringLiteral("no record at row %1").arg(visibleRow));
    return m_rowids[m_view[visibleRow]];
}

void ResultSet::requireTable() const
{
    if (m_table.isEmpty())
        throw DbError(DbError::kNotUpdatable, QStringLiteral("this result set cannot be written to"));
}

void ResultSet::addNew()
{
    requireTable();
    cancelUpdate();
    m_adding = true;
    m_editing = true;
    m_edit.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
}

void ResultSet::setValue(const QString& field, const QVariant& value)
{
    const int index = fieldIndex(field);
    if (index < 0)
        throw DbError(SQLITE_ERROR, QStringLiteral("no such field: ") + field);
    setValue(index, value);
}

void ResultSet::setValue(int field, const QVariant& value)
{
    requireTable();
    if (field < 0 || field >= fieldCount())
        throw DbError(SQLITE_RANGE, QStringLiteral("no field %1").arg(field));
    if (!m_editing) {
        const QVariant* current = currentRow();
        m_edit.assign(current, current + m_width);
        m_changed.assign(m_fields.size(), false);
        m_editing = true;
    }
    if (value.typeId() == QMetaType::QString) {
        const Schema::Table* table = Schema::table(m_table);
        const Schema::Column* column = table ? Schema::column(*table, m_fields[field]) : nullptr;
        if (column) {
            const QString violation = Schema::widthViolation(*table, *column, value.toString());
            if (!violation.isEmpty())
                throw DbError(DbError::kWidthExceeded, violation);
        }
    }
    m_edit[field] = value;
    m_changed[field] = true;
}

void ResultSet::update()
{
    if (!m_editing)
        return;
    requireTable();
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < fieldCount(); ++i) {
        if (m_changed[i]) {
            columns << quoted(m_fields[i]);
            values << m_edit[i];
        }
    }
    if (m_adding) {
        QString sql = QStringLiteral("INSERT INTO ") + quoted(m_table);
        if (columns.isEmpty()) {
            sql += QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            sql += QStringLiteral(" (") + columns.join(u", ") + QStringLiteral(") VALUES (") + marks.join(u", ") + u')';
        }
        Query insert(m_connection, sql);
        insert.bindAll(values);
        insert.run();
        m_cells.append(QList<QVariant>(m_edit.begin(), m_edit.end()));
        m_rowids.push_back(m_connection.lastInsertRowid());
        m_deleted.push_back(false);
        m_view.push_back(rowTotal() - 1);
        m_position = int(m_view.size()) - 1;
        m_onDeleted = false;
    } else if (!columns.isEmpty()) {
        const qint64 id = rowid();
        Query change(m_connection, QStringLiteral("UPDATE ") + quoted(m_table) + QStringLiteral(" SET ") +
                                       columns.join(QStringLiteral(" = ?, ")) + QStringLiteral(" = ? WHERE rowid = ?"));
        change.bindAll(values);
        change.bind(int(values.size()) + 1, id);
        change.run();
        if (change.changes() != 1)
            throw DbError(DbError::kNoCurrentRow, QStringLiteral("the record is no longer in the table"));
        std::copy(m_edit.begin(), m_edit.end(), row(m_view[m_position]));
    }
    m_editing = false;
    m_adding = false;
    m_edit.clear();
    m_changed.clear();
}

void ResultSet::cancelUpdate()
{
    m_editing = false;
    m_adding = false;
    m_edit.clear();
    m_changed.clear();
}

void ResultSet::deleteCurrent()
{
    requireTable();
    cancelUpdate();
    const qint64 id = rowid();
    Query remove(m_connection, QStringLiteral("DELETE FROM ") + quoted(m_table) + QStringLiteral(" WHERE rowid = ?"));
    remove.bind(1, id);
    remove.run();
    forgetCurrent();
}

void ResultSet::forgetCurrent()
{
    cancelUpdate();
    rowid(); // throws when there is no current record
    m_deleted[m_view[m_position]] = true;
    m_view.erase(m_view.begin() + m_position);
    m_onDeleted = true;
}

void ResultSet::forgetVisible()
{
    cancelUpdate();
    for (const int row : m_view)
        m_deleted[row] = true;
    m_view.clear();
    m_position = -1;
    m_onDeleted = false;
}
