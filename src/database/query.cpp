#include "query.h"

#include "connection.h"
#include "dberror.h"

#include <QStringDecoder>

#include <sqlite3.h>

#include <cstring>

void Query::Finalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

// Statements are prepared on the raw handle, not SQLiteCpp's Statement, because that one hides its handle:
// UTF-16 binding, NULL versus empty text and the single-statement check all need it.
Query::Query(Connection& connection, const QString& sql)
    : m_connection(connection)
    , m_sql(sql)
{
    sqlite3_stmt* statement = nullptr;
    const void* tail = nullptr;
    const int bytes = int(sql.size() * sizeof(QChar));
    const int rc = sqlite3_prepare16_v2(connection.handle(), sql.utf16(), bytes, &statement, &tail);
    m_statement.reset(statement);
    check(rc);
    if (!statement)
        throw DbError(SQLITE_MISUSE, QStringLiteral("empty SQL text"));
    const auto* rest = static_cast<const QChar*>(tail);
    const QString remainder = QString(rest, sql.constData() + sql.size() - rest).trimmed();
    if (!remainder.isEmpty() && remainder != QLatin1String(";"))
        throw DbError(SQLITE_MISUSE, QStringLiteral("more than one statement in: ") + sql);
}

Query::~Query() = default;

void Query::fail(int rc) const
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_connection.handle()));
    throw DbError(m_connection.errorCode(rc), message + QStringLiteral(" [") + m_sql + u']');
}

void Query::check(int rc) const
{
    if (rc != SQLITE_OK)
        fail(rc);
}

namespace {

// Given UTF-16, SQLite reads a byte order mark at the front as an instruction (dropping U+FEFF, swapping the bytes
// after U+FFFE) and pairs a lone surrogate with the character after it; so text goes in as UTF-8, and a lone
// surrogate (a damaged file's) as U+FFFD, which keeps every later character, and every mark, where it was.
QByteArray storedUtf8(const QString& text)
{
    if (QStringView(text).isValidUtf16())
        return text.toUtf8();
    QString repaired = text;
    for (qsizetype i = 0; i < repaired.size(); ++i) {
        if (repaired.at(i).isHighSurrogate() && i + 1 < repaired.size() && repaired.at(i + 1).isLowSurrogate())
            ++i;
        else if (repaired.at(i).isSurrogate())
            repaired[i] = QChar::ReplacementCharacter;
    }
    return repaired.toUtf8();
}

} // namespace

Query& Query::bind(int index, const QString& text)
{
    // A null QString is still text: NULL is only bound on purpose, through bindNull or an invalid QVariant.
    const QByteArray utf8 = storedUtf8(text);
    const char* data = utf8.isNull() ? "" : utf8.constData();
    check(sqlite3_bind_text64(m_statement.get(), index, data, sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                              SQLITE_UTF8));
    return *this;
}

Query& Query::bind(int index, qint64 number)
{
    check(sqlite3_bind_int64(m_statement.get(), index, number));
    return *this;
}

Query& Query::bind(int index, const QByteArray& blob)
{
    check(
        sqlite3_bind_blob64(m_statement.get(), index, blob.constData(), sqlite3_uint64(blob.size()), SQLITE_TRANSIENT));
    return *this;
}

Query& Query::bind(int index, const QDate& date)
{
    return date.isValid() ? bind(index, dateText(date)) : bindNull(index);
}

Query& Query::bindStored(int index, const Query& source, int column)
{
    check(sqlite3_bind_value(m_statement.get(), index, sqlite3_column_value(source.m_statement.get(), column)));
    return *this;
}

Query& Query::bind(int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return bind(index, qint64(value.toBool() ? 1 : 0));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return bind(index, value.toLongLong());
    case QMetaType::Double:
        check(sqlite3_bind_double(m_statement.get(), index, value.toDouble()));
        return *this;
    case QMetaType::QByteArray:
        return bind(index, value.toByteArray());
    case QMetaType::QDate:
        return bind(index, value.toDate());
    default:
        return bind(index, value.toString());
    }
}

Query& Query::bindNull(int index)
{
    check(sqlite3_bind_null(m_statement.get(), index));
    return *this;
}

Query& Query::bindAll(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values[i]);
    return *this;
}

bool Query::next()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_statement.get());
    fail(rc);
}

void Query::run()
{
    while (next()) {
    }
}

void Query::reset()
{
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
}

int Query::columnCount() const
{
    return sqlite3_column_count(m_statement.get());
}

QString Query::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement.get(), column));
}

bool Query::isNull(int column) const
{
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

QVariant Query::value(int column) const
{
    switch (sqlite3_column_type(m_statement.get(), column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_statement.get(), column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement.get(), column));
    case SQLITE_BLOB:
        return QVariant(blob(column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    default:
        return QVariant();
    }
}

QString Query::text(int column) const
{
    // Files store UTF-8: converting it here is cheaper than asking the engine for UTF-16, which copies first.
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    const int bytes = sqlite3_column_bytes(m_statement.get(), column);
    if (!data)
        return QString();
    return bytes == 0 ? QStringLiteral("") : fromStoredUtf8(QByteArrayView(data, bytes));
}

QString fromStoredUtf8(QByteArrayView utf8)
{
    // QString::fromUtf8 drops a byte order mark at the front; here it is the text's first character.
    if (utf8.size() >= 3 && std::memcmp(utf8.data(), "\xEF\xBB\xBF", 3) == 0)
        return QStringDecoder(QStringDecoder::Utf8,
                              QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless)(utf8);
    return QString::fromUtf8(utf8);
}

QByteArrayView Query::utf8(int column) const
{
    if (sqlite3_column_type(m_statement.get(), column) != SQLITE_TEXT)
        return {};
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return data ? QByteArrayView(data, sqlite3_column_bytes(m_statement.get(), column)) : QByteArrayView();
}

qint64 Query::integer(int column) const
{
    return sqlite3_column_int64(m_statement.get(), column);
}

QByteArray Query::blob(int column) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement.get(), column));
    const int bytes = sqlite3_column_bytes(m_statement.get(), column);
    return data ? QByteArray(data, bytes) : QByteArray();
}

int Query::changes() const
{
    return sqlite3_changes(m_connection.handle());
}

QString escapeLike(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString dateText(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QDate dateFromText(const QString& text)
{
    return QDate::fromString(text.left(10), Qt::ISODate);
}
