#include "accessfile.h"

#include "legacyimportlog.h"

#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mdbtools.h>
#include <optional>

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

// What a long value may cost: the file's pages bound every chain, the caller's limit the bytes kept.
struct LongValueReader {
    MdbHandle* mdb = nullptr;
    qint64 pageCount = 0;
    qint64 limit = std::numeric_limits<qint64>::max();
};

// libmdb takes any page and row offset a pointer names; the row must sit inside a data page of this file.
const unsigned char* findLongValueRow(const LongValueReader& reader, quint32 pageRow, qsizetype& bytes)
{
    MdbHandle* mdb = reader.mdb;
    const qint64 pageNumber = pageRow >> 8;
    void* buffer = nullptr;
    int unusedStart = 0;
    size_t unusedSize = 0;
    if (pageNumber == 0 || pageNumber >= reader.pageCount ||
        mdb_find_pg_row(mdb, int(pageRow), &buffer, &unusedStart, &unusedSize) != 0)
        return nullptr;
    const auto* page = static_cast<const unsigned char*>(buffer);
    const int pageSize = mdb->fmt->pg_size;
    const int countAt = mdb->fmt->row_count_offset;
    const int rows = qFromLittleEndian<quint16>(page + countAt);
    const int row = int(pageRow & 0xFF);
    // Only a page of long values: a pointer into a table's page would read one of its rows as the value.
    if (page[0] != MDB_PAGE_DATA || std::memcmp(page + 4, "LVAL", 4) != 0 || row >= rows)
        return nullptr;
    // A row runs from its offset to the one before it, the first to the page's end.
    const int begin = qFromLittleEndian<quint16>(page + countAt + 2 + 2 * row) & kOffsetMask;
    const int end = row == 0 ? pageSize : qFromLittleEndian<quint16>(page + countAt + 2 * row) & kOffsetMask;
    if (begin < countAt + 2 + 2 * rows || begin > end || end > pageSize)
        return nullptr;
    bytes = end - begin;
    return page + begin;
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
// None outside the dates Access itself allows (100-01-01 to 9999-12-31), or for a damaged value.
std::optional<QDateTime> dateFromStored(double stored)
{
    constexpr double kFirstDay = -657434.0;
    constexpr double kPastLastDay = 2958466.0;
    if (!std::isfinite(stored) || stored <= kFirstDay - 1.0 || stored >= kPastLastDay)
        return std::nullopt;
    const double day = std::trunc(stored);
    const qint64 seconds = std::llround(std::abs(stored - day) * 86400.0);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(day));
    return QDateTime(date, QTime(0, 0), Qt::UTC).addSecs(seconds);
}

// Memo and OLE values live in the row (inline), in one row of an LVAL page, or in a chain of LVAL rows. The value
// keeps the bytes the row's length and the pages agree on; where they differ, value.damage says so.
void readLongValue(const LongValueReader& reader, const unsigned char* field, int size, AccessValue& value)
{
    if (size == 0)
        return;
    if (size < kLongValueHeader) {
        value.damage = AccessValue::Damage::Unreadable;
        return;
    }
    const quint32 header = readU32(field);
    const qint64 stored = header & kLongValueLengthMask;
    value.storedLength = stored;
    // Bytes beyond the limit are never kept; one more than it tells that the value is over.
    const qint64 cap = stored <= reader.limit ? stored : reader.limit + 1;
    const auto keep = [&value, cap](const unsigned char* bytes, qint64 available) {
        const qint64 taken = std::min(available, cap - value.bytes.size());
        if (taken > 0)
            value.bytes.append(reinterpret_cast<const char*>(bytes), qsizetype(taken));
    };
    if (header & kLongValueInline) {
        value.heldLength = size - kLongValueHeader;
        keep(field + kLongValueHeader, value.heldLength);
    } else if (header & kLongValueSinglePage) {
        qsizetype bytes = 0;
        const unsigned char* row = findLongValueRow(reader, readU32(field + 4), bytes);
        if (!row) {
            value.chainBroken = true;
            value.damage = AccessValue::Damage::Unreadable;
            return;
        }
        value.heldLength = bytes;
        keep(row, bytes);
    } else {
        // The links are walked and checked before anything is kept, so that a loop or a damaged length costs no
        // memory; a chain may not visit a row twice nor have more links than the file has pages.
        QList<quint32> links;
        QSet<quint32> visited;
        for (quint32 pageRow = readU32(field + 4); pageRow != 0;) {
            qsizetype bytes = 0;
            const unsigned char* row = links.size() < reader.pageCount && !visited.contains(pageRow)
                                           ? findLongValueRow(reader, pageRow, bytes)
                                           : nullptr;
            if (!row || bytes < 4) {
                value.chainBroken = true;
                break;
            }
            visited.insert(pageRow);
            links.append(pageRow);
            pageRow = readU32(row);
            value.heldLength += bytes - 4;
        }
        if (links.isEmpty() && value.chainBroken) {
            value.damage = AccessValue::Damage::Unreadable;
            return;
        }
        if (std::min(stored, value.heldLength) <= reader.limit) {
            value.bytes.reserve(qsizetype(std::min(stored, value.heldLength)));
            for (const quint32 pageRow : std::as_const(links)) {
                qsizetype bytes = 0;
                if (const unsigned char* row = findLongValueRow(reader, pageRow, bytes))
                    keep(row + 4, bytes - 4);
            }
        }
    }
    if (std::min(stored, value.heldLength) > reader.limit) {
        value.bytes = QByteArray();
        value.damage = AccessValue::Damage::TooLarge;
    } else if (value.heldLength != stored) {
        value.damage = AccessValue::Damage::Cut;
    }
}

AccessValue decodeField(const LongValueReader& reader, const MdbColumn& column, const MdbField& field)
{
    MdbHandle* mdb = reader.mdb;
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
    if (field.start < 0 || size < 0 || qint64(field.start) + size > qint64(sizeof(mdb->pg_buf)))
        throw AccessError(QStringLiteral("%1 列の値がページの外にあります。").arg(name));
    const auto need = [&](int bytes) {
        if (size < bytes)
            throw AccessError(QStringLiteral("%1 列の値が型の長さより短くなっています。").arg(name));
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
        // A date that is none comes across as its number, for the import to refuse and tell.
        value.real = qFromLittleEndian<double>(data);
        if (const std::optional<QDateTime> date = dateFromStored(value.real)) {
            value.kind = AccessValue::Kind::Date;
            value.date = *date;
        } else {
            value.kind = AccessValue::Kind::Real;
        }
        break;
    case MDB_TEXT:
        value.kind = AccessValue::Kind::Text;
        value.text = decodeText(data, size);
        break;
    case MDB_MEMO:
        readLongValue(reader, data, size, value);
        if (value.damage != AccessValue::Damage::Unreadable && value.damage != AccessValue::Damage::TooLarge) {
            value.kind = AccessValue::Kind::Text;
            value.text =
                decodeText(reinterpret_cast<const unsigned char*>(value.bytes.constData()), value.bytes.size());
        }
        value.bytes = QByteArray();
        break;
    case MDB_OLE:
        readLongValue(reader, data, size, value);
        if (value.damage != AccessValue::Damage::Unreadable && value.damage != AccessValue::Damage::TooLarge)
            value.kind = AccessValue::Kind::Binary;
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
    qint64 pageCount = 0;
    QList<Table> tables;

    const Table& table(const QString& name) const
    {
        // Access matches table names without regard to case.
        for (const Table& t : tables) {
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        }
        throw AccessError(QStringLiteral("%2 に %1 テーブルがありません。").arg(name, path));
    }

    TablePtr load(const Table& t) const
    {
        TablePtr def(mdb_read_table(t.entry));
        if (!def || !mdb_read_columns(def.get()) || !def->columns || def->columns->len != def->num_cols)
            throw AccessError(QStringLiteral("%2 の %1 テーブルの定義が壊れています。").arg(t.name, path));
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
        throw AccessError(QStringLiteral("ファイル %1 を読めません。").arg(path));

    auto d = std::make_unique<Private>();
    d->path = path;
    d->mdb.reset(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!d->mdb)
        throw AccessError(QStringLiteral("ファイル %1 は Access のデータベースではありません。").arg(path));
    if (IS_JET3(d->mdb.get()))
        throw AccessError(QStringLiteral("ファイル %1 は Access 97 以前の形式のため、取り込めません。").arg(path));
    // Access writes whole pages, so a shorter file was cut off and its later pages would read as garbage.
    const qint64 pageSize = d->mdb->fmt->pg_size;
    if (pageSize <= 0 || info.size() % pageSize != 0)
        throw AccessError(
            QStringLiteral("ファイル %1 は途中で切れています（ページの途中で終わっています）。").arg(path));
    d->pageCount = info.size() / pageSize;

    GPtrArray* catalog = mdb_read_catalog(d->mdb.get(), MDB_TABLE);
    if (!catalog)
        throw AccessError(QStringLiteral("%1 のテーブルの一覧が壊れています。").arg(path));
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

qint64 AccessFile::readRows(const QString& table, const std::function<bool(const std::vector<AccessValue>&)>& row,
                            qint64 longValueLimit) const
{
    const Private::Table& t = d->table(table);
    const TablePtr def = d->load(t);
    MdbHandle* mdb = d->mdb.get();
    const LongValueReader reader{mdb, d->pageCount, std::max<qint64>(longValueLimit, 0)};
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
                QStringLiteral("%1 テーブルの行（ページ %2）を読めません。").arg(t.name).arg(def->cur_phys_pg));
        for (guint c = 0; c < columnCount; ++c) {
            const MdbField& field = fields[c];
            if (field.colnum < 0 || guint(field.colnum) >= columnCount)
                throw AccessError(QStringLiteral("%1 テーブルの行の形が壊れています。").arg(t.name));
            values[field.colnum] = decodeField(reader, *columns[field.colnum], field);
        }
        ++delivered;
        if (!row(values))
            return delivered;
    }
    // libmdb ends the scan quietly on a page it cannot read or a row it cannot split; the stored count tells.
    if (delivered < qint64(def->num_rows)) {
        qCWarning(lcLegacyImport) << "table" << t.name << "delivered" << delivered << "of" << def->num_rows << "rows";
        throw AccessError(QStringLiteral("%2 の %1 テーブルには %3 行あるはずですが、%4 行しか読めませんでした。")
                              .arg(t.name, d->path)
                              .arg(def->num_rows)
                              .arg(delivered));
    }
    return delivered;
}
