#include "accessfile.h"

#include "legacyimportlog.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <mdbtools.h>

namespace {

// Row offsets on a page carry flags in their top bits; libmdb masks them the same way.
constexpr int kOffsetMask = 0x1FFF;
constexpr quint32 kLongValueInline = 0x80000000u;
constexpr quint32 kLongValueSinglePage = 0x40000000u;
constexpr quint32 kLongValueLengthMask = 0x3FFFFFFFu;
constexpr int kLongValueHeader = MDB_MEMO_OVERHEAD;

struct HandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;

struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

quint32 readU32(const unsigned char* p)
{
    return qFromLittleEndian<quint32>(p);
}

// libmdb takes any page a pointer names; a long value's row must sit on a data page that has that many rows.
const unsigned char* findLongValueRow(MdbHandle* mdb, quint32 pageRow, size_t& bytes)
{
    void* buffer = nullptr;
    int start = 0;
    if ((pageRow >> 8) == 0 || mdb_find_pg_row(mdb, int(pageRow), &buffer, &start, &bytes) != 0)
        return nullptr;
    const auto* page = static_cast<const unsigned char*>(buffer);
    const int rows = qFromLittleEndian<quint16>(page + mdb->fmt->row_count_offset);
    if (page[0] != MDB_PAGE_DATA || int(pageRow & 0xFF) >= rows)
        return nullptr;
    return page + start;
}

// Jet 4 text is UTF-16LE, or after FF FE runs of one byte per character and of UTF-16LE, each 0x00 switching runs.
QString decodeText(const unsigned char* data, qsizetype size)
{
    QString text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        text.reserve(size);
        bool compressed = true;
        for (qsizetype i = 2; i < size;) {
            if (data[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.append(QChar(char16_t(data[i])));
                ++i;
            } else if (i + 1 < size) {
                text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    text.reserve(size / 2);
    for (qsizetype i = 0; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return text;
}

// Access keeps a day count from 1899-12-30 whose fraction, even for days before it, is the time forward from midnight.
QDateTime dateFromStored(double stored, const QString& column)
{
    if (!std::isfinite(stored) || std::abs(stored) > 3.0e6)
        throw AccessError(QStringLiteral("The date in column %1 is out of range.").arg(column));
    const double day = std::trunc(stored);
    const qint64 seconds = std::llround(std::abs(stored - day) * 86400.0);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(day));
    return QDateTime(date, QTime(0, 0), Qt::UTC).addSecs(seconds);
}

// Memo and OLE values live in the row (inline), in one row of an LVAL page, or in a chain of LVAL rows.
QByteArray readLongValue(MdbHandle* mdb, const unsigned char* field, int size, const QString& column)
{
    if (size == 0)
        return {};
    if (size < kLongValueHeader)
        throw AccessError(QStringLiteral("The long value in column %1 has a damaged header.").arg(column));
    const quint32 header = readU32(field);
    const qsizetype length = qsizetype(header & kLongValueLengthMask);
    if (header & kLongValueInline) {
        if (size - kLongValueHeader < length)
            throw AccessError(
                QStringLiteral("The long value in column %1 is shorter than its header says.").arg(column));
        return QByteArray(reinterpret_cast<const char*>(field + kLongValueHeader), length);
    }
    quint32 pageRow = readU32(field + 4);
    const auto damaged = [&column] {
        return AccessError(
            QStringLiteral("The long value in column %1 points to a page that cannot be read.").arg(column));
    };
    if (header & kLongValueSinglePage) {
        size_t bytes = 0;
        const unsigned char* row = findLongValueRow(mdb, pageRow, bytes);
        if (!row || qsizetype(bytes) < length)
            throw damaged();
        return QByteArray(reinterpret_cast<const char*>(row), length);
    }
    QByteArray value;
    // A damaged length must not turn into a huge allocation before the chain proves it.
    value.reserve(std::min<qsizetype>(length, 1 << 20));
    while (value.size() < length) {
        size_t bytes = 0;
        // Each link adds at least one byte, so a looping chain ends once the length is reached.
        const unsigned char* row = findLongValueRow(mdb, pageRow, bytes);
        if (!row || bytes <= 4)
            throw damaged();
        pageRow = readU32(row);
        const qsizetype chunk = std::min(qsizetype(bytes) - 4, length - value.size());
        value.append(reinterpret_cast<const char*>(row + 4), chunk);
    }
    return value;
}

AccessValue decodeField(MdbHandle* mdb, const MdbColumn& column, const MdbField& field)
{
    AccessValue value;
    const QString name = QString::fromUtf8(column.name);
    // A Yes/No column has no storage of its own: its null bit is its value.
    if (column.col_type == MDB_BOOL) {
        value.kind = AccessValue::Kind::Integer;
        value.integer = field.is_null ? 0 : 1;
        return value;
    }
    if (field.is_null)
        return value;
    const auto* data = mdb->pg_buf + field.start;
    const int size = field.siz;
    if (field.start < 0 || size < 0 || field.start + size > int(sizeof(mdb->pg_buf)))
        throw AccessError(QStringLiteral("The value in column %1 lies outside its page.").arg(name));
    const auto need = [&](int bytes) {
        if (size < bytes)
            throw AccessError(QStringLiteral("The value in column %1 is shorter than its type.").arg(name));
    };
    switch (column.col_type) {
    case MDB_BYTE:
        need(1);
        value.kind = AccessValue::Kind::Integer;
        value.integer = data[0];
        break;
    case MDB_INT:
        need(2);
        value.kind = AccessValue::Kind::Integer;
        value.integer = qFromLittleEndian<qint16>(data);
        break;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        need(4);
        value.kind = AccessValue::Kind::Integer;
        value.integer = qFromLittleEndian<qint32>(data);
        break;
    case MDB_MONEY:
        need(8);
        value.kind = AccessValue::Kind::Real;
        value.real = double(qFromLittleEndian<qint64>(data)) / 10000.0;
        break;
    case MDB_FLOAT:
        need(4);
        value.kind = AccessValue::Kind::Real;
        value.real = qFromLittleEndian<float>(data);
        break;
    case MDB_DOUBLE:
        need(8);
        value.kind = AccessValue::Kind::Real;
        value.real = qFromLittleEndian<double>(data);
        break;
    case MDB_DATETIME:
        need(8);
        value.kind = AccessValue::Kind::Date;
        value.date = dateFromStored(qFromLittleEndian<double>(data), name);
        break;
    case MDB_TEXT:
        value.kind = AccessValue::Kind::Text;
        value.text = decodeText(data, size);
        break;
    case MDB_MEMO: {
        const QByteArray raw = readLongValue(mdb, data, size, name);
        value.kind = AccessValue::Kind::Text;
        value.text = decodeText(reinterpret_cast<const unsigned char*>(raw.constData()), raw.size());
        break;
    }
    case MDB_OLE:
        value.kind = AccessValue::Kind::Binary;
        value.bytes = readLongValue(mdb, data, size, name);
        break;
    default:
        // Binary, replication ids and decimals are handed on as stored.
        value.kind = AccessValue::Kind::Binary;
        value.bytes = QByteArray(reinterpret_cast<const char*>(data), size);
        break;
    }
    return value;
}

bool isUserTable(MdbCatalogEntry* entry)
{
    return entry->object_type == MDB_TABLE && !mdb_is_system_table(entry) &&
           !QString::fromUtf8(entry->object_name).startsWith(QLatin1String("MSys"), Qt::CaseInsensitive);
}

} // namespace

struct AccessFile::Private {
    struct Table {
        QString name;
        MdbCatalogEntry* entry = nullptr;
        QStringList columns;
    };

    QString path;
    HandlePtr mdb;
    QList<Table> tables;

    const Table& table(const QString& name) const
    {
        // Access matches table names without regard to case.
        for (const Table& t : tables) {
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        }
        throw AccessError(QStringLiteral("The table %1 is not in %2.").arg(name, path));
    }

    TablePtr load(const Table& t) const
    {
        TablePtr def(mdb_read_table(t.entry));
        if (!def || !mdb_read_columns(def.get()) || !def->columns || def->columns->len != def->num_cols)
            throw AccessError(QStringLiteral("The definition of table %1 in %2 is damaged.").arg(t.name, path));
        return def;
    }
};

AccessFile::AccessFile(std::unique_ptr<Private> d)
    : d(std::move(d))
{}

AccessFile::~AccessFile() = default;

std::unique_ptr<AccessFile> AccessFile::open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw AccessError(QStringLiteral("The file %1 cannot be read.").arg(path));

    auto d = std::make_unique<Private>();
    d->path = path;
    d->mdb.reset(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!d->mdb)
        throw AccessError(QStringLiteral("The file %1 is not an Access database.").arg(path));
    if (IS_JET3(d->mdb.get()))
        throw AccessError(
            QStringLiteral("The file %1 is from Access 97 or older, which cannot be imported.").arg(path));
    // Access writes whole pages, so a shorter file was cut off and its later pages would read as garbage.
    const qint64 pageSize = d->mdb->fmt->pg_size;
    if (pageSize <= 0 || info.size() % pageSize != 0)
        throw AccessError(QStringLiteral("The file %1 is incomplete: it ends in the middle of a page.").arg(path));

    GPtrArray* catalog = mdb_read_catalog(d->mdb.get(), MDB_TABLE);
    if (!catalog)
        throw AccessError(QStringLiteral("The catalog of %1 is damaged.").arg(path));
    for (guint i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (!entry || !isUserTable(entry))
            continue;
        Private::Table table{QString::fromUtf8(entry->object_name), entry, {}};
        // Reading every definition now turns a damaged catalog into one error at open, not a surprise per table.
        const TablePtr def = d->load(table);
        for (guint c = 0; c < def->num_cols; ++c) {
            const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c));
            table.columns.append(QString::fromUtf8(column->name));
        }
        d->tables.append(table);
    }
    return std::unique_ptr<AccessFile>(new AccessFile(std::move(d)));
}

QStringList AccessFile::tableNames() const
{
    QStringList names;
    for (const Private::Table& t : d->tables)
        names.append(t.name);
    return names;
}

QStringList AccessFile::columnNames(const QString& table) const
{
    return d->table(table).columns;
}

qint64 AccessFile::readRows(const QString& table, const std::function<bool(const std::vector<AccessValue>&)>& row) const
{
    const Private::Table& t = d->table(table);
    const TablePtr def = d->load(t);
    MdbHandle* mdb = d->mdb.get();
    const guint columnCount = def->num_cols;
    std::vector<const MdbColumn*> columns(columnCount);
    for (guint c = 0; c < columnCount; ++c)
        columns[c] = static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c));

    // Nothing is bound, so libmdb only finds the rows; their bytes are read from the page it leaves in pg_buf.
    std::vector<MdbField> fields(std::max<guint>(columnCount, 1));
    std::vector<AccessValue> values(columnCount);
    qint64 delivered = 0;
    mdb_rewind_table(def.get());
    while (mdb_fetch_row(def.get())) {
        int start = 0;
        size_t size = 0;
        const int rowOnPage = int(def->cur_row) - 1;
        if (mdb_find_row(mdb, rowOnPage, &start, &size) != 0 ||
            mdb_crack_row(def.get(), start & kOffsetMask, size, fields.data()) < 0)
            throw AccessError(
                QStringLiteral("A row of table %1 on page %2 cannot be read.").arg(t.name).arg(def->cur_phys_pg));
        for (guint c = 0; c < columnCount; ++c) {
            const MdbField& field = fields[c];
            if (field.colnum < 0 || guint(field.colnum) >= columnCount)
                throw AccessError(QStringLiteral("A row of table %1 has a damaged layout.").arg(t.name));
            values[field.colnum] = decodeField(mdb, *columns[field.colnum], field);
        }
        ++delivered;
        if (!row(values))
            return delivered;
    }
    // libmdb ends the scan quietly on a page it cannot read or a row it cannot split; the stored count tells.
    if (delivered < qint64(def->num_rows)) {
        qCWarning(lcLegacyImport) << "table" << t.name << "delivered" << delivered << "of" << def->num_rows << "rows";
        throw AccessError(QStringLiteral("Table %1 in %2 holds %3 rows, but only %4 could be read.")
                              .arg(t.name, d->path)
                              .arg(def->num_rows)
                              .arg(delivered));
    }
    return delivered;
}
