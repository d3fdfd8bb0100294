#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

class Connection;

// What a result set is opened on: a whole table, a table narrowed and ordered by an SQL tail with bound
// values, or any SELECT (which then cannot add, change or delete rows).
struct ResultSource {
    QString table;       // base table: rows can be written back to it by rowid
    QString tail;        // " WHERE ... ORDER BY ..." with ? placeholders; empty for the whole table
    QVariantList values; // bound in order
    QString select;      // a free SELECT, used only when table is empty

    static ResultSource wholeTable(const QString& table) { return fromTable(table, QString()); }
    static ResultSource fromTable(const QString& table, const QString& tail, const QVariantList& values = {})
    {
        ResultSource source;
        source.table = table;
        source.tail = tail;
        source.values = values;
        return source;
    }
    static ResultSource fromSelect(const QString& select, const QVariantList& values = {})
    {
        ResultSource source;
        source.values = values;
        source.select = select;
        return source;
    }
};

// A static snapshot of rows with their rowids and a current position, like a client-side static cursor.
// Writes (AddNew + Update, Update of the current row, Delete) go to the base table at once, by rowid.
class ResultSet final {
public:
    static std::unique_ptr<ResultSet> open(Connection& connection, const ResultSource& source);
    Q_DISABLE_COPY_MOVE(ResultSet)
    ~ResultSet();

    bool supportsAddNew() const { return !m_table.isEmpty(); }
    const QString& table() const { return m_table; }

    // Navigation over the visible rows (those passing the filter, not deleted).
    bool bof() const;
    bool eof() const;
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();
    int recordCount() const { return int(m_view.size()); }
    // 1-based position of the current record; 0 at BOF or EOF.
    int absolutePosition() const;
    void setAbsolutePosition(int position);

    // Keeps only the rows whose field equals value; clearFilter shows every row again.
    void setFilter(const QString& field, const QVariant& value);
    void clearFilter();
    bool isFiltered() const { return m_filterColumn >= 0; }

    int fieldCount() const { return int(m_fields.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    int fieldIndex(const QString& name) const; // -1 when there is no such field

    // Fields of the current record (or of the row being added).
    QVariant value(int field) const;
    QVariant value(const QString& field) const;
    QString text(const QString& field) const { return value(field).toString(); }
    qint64 integer(const QString& field) const { return value(field).toLongLong(); }
    qint64 rowid() const;

    // Fields of any visible row, for views that show the whole set; row counts from 0. An invalid value when
    // there is no such cell.
    const QVariant& valueAt(int row, int field) const;
    // The rowid of any visible row, row counting from 0.
    qint64 rowidAt(int row) const;
    // Records in the snapshot a value the caller already wrote to the table itself; nothing when the row is not in
    // the set. Throws DbError for a field the set does not have.
    void noteStoredValue(qint64 rowid, const QString& field, const QVariant& value);
    // The 1-based position of the visible row with this rowid, or 0 when it is not (or no longer) there.
    int positionOfRowid(qint64 rowid) const;

    void addNew();
    void setValue(const QString& field, const QVariant& value);
    void setValue(int field, const QVariant& value);
    void update();
    void cancelUpdate();
    bool isEditing() const { return m_editing; }
    // Deletes the current record from the table; the cursor stays there until it moves.
    void deleteCurrent();
    // Drops the current record from the snapshot only, after the caller deleted its row in a transaction of its
    // own; the cursor stays there until it moves.
    void forgetCurrent();
    // Drops every visible record from the snapshot only (after the caller deleted their rows).
    void forgetVisible();

private:
    ResultSet(Connection& connection, QString table);
    const QVariant* currentRow() const;
    const QVariant* row(int index) const { return m_cells.data() + std::size_t(index) * std::size_t(m_width); }
    QVariant* row(int index) { return m_cells.data() + std::size_t(index) * std::size_t(m_width); }
    int rowTotal() const { return m_width ? int(m_cells.size() / std::size_t(m_width)) : int(m_rowids.size()); }
    bool passesFilter(const QVariant* row) const;
    void rebuildView();
    void requireTable() const;

    Connection& m_connection;
    QString m_table;
    QStringList m_fields;
    // The snapshot, row after row in one block (one allocation, however many rows); m_rowids[i] is row i's.
    // A QList, since it grows by realloc where a vector would move every cell on each growth.
    QList<QVariant> m_cells;
    int m_width = 0;
    std::vector<qint64> m_rowids;
    std::vector<bool> m_deleted;
    std::vector<int> m_view; // indexes into m_rows of the visible rows, in order
    int m_position = -1;     // index into m_view; -1 = BOF, m_view.size() = EOF
    bool m_onDeleted = false;
    int m_filterColumn = -1;
    QVariant m_filterValue;
    bool m_editing = false;
    bool m_adding = false;
    std::vector<QVariant> m_edit;
    std::vector<bool> m_changed;
};
