#include "accessfiletest.h"

#include "legacyimport/accessfile.h"
#include "testcollection.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kSamples = QStringLiteral(ZETTORA_LEGACY_SAMPLES);
constexpr qsizetype kPageSize = 4096; // a Jet 4 page

QString samplePath(const QString& file)
{
    return kSamples + u'/' + file;
}

const QJsonArray& manifestFiles()
{
    static const QJsonArray files = [] {
        QFile file(samplePath(u"manifest.json"_s));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the samples' manifest");
        return QJsonDocument::fromJson(file.readAll()).object().value(u"files"_s).toArray();
    }();
    return files;
}

QJsonObject manifestFor(const QString& fileName)
{
    for (const QJsonValue& file : manifestFiles()) {
        if (file[u"file"_s].toString() == fileName)
            return file.toObject();
    }
    return {};
}

std::vector<std::vector<AccessValue>> readAll(const AccessFile& file, const QString& table)
{
    std::vector<std::vector<AccessValue>> rows;
    file.readRows(table, [&rows](const std::vector<AccessValue>& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// A cell as the manifest writes it: the plain value, or after "column_" one of the summaries its conventions name.
QJsonValue describe(const AccessValue& value, const QString& aspect)
{
    using Kind = AccessValue::Kind;
    if (aspect.isEmpty()) {
        switch (value.kind) {
        case Kind::Null:
            return QJsonValue(QJsonValue::Null);
        case Kind::Integer:
            return double(value.integer);
        case Kind::Real:
            return value.real;
        case Kind::Text:
            return value.text;
        case Kind::Date:
            return value.date.toString(u"yyyy-MM-dd"_s);
        case Kind::Binary:
            return QString::fromLatin1(value.bytes.toBase64());
        }
    }
    if (aspect == u"datetime")
        return value.date.toString(u"yyyy-MM-dd HH:mm:ss"_s);
    if (aspect == u"utf16_units")
        return double(value.text.size());
    if (aspect == u"code_points")
        return double(value.text.toUcs4().size());
    if (aspect == u"utf8_bytes")
        return double(value.text.toUtf8().size());
    if (aspect == u"crlf_count")
        return double(value.text.count(u"\r\n"_s));
    if (aspect == u"sha256_utf8")
        return sha256(value.text.toUtf8());
    if (aspect == u"bytes")
        return double(value.bytes.size());
    if (aspect == u"sha256")
        return sha256(value.bytes);
    return QJsonValue(QJsonValue::Undefined);
}

// Yes/No cells are written as JSON booleans; the reader gives them as 1 and 0.
QJsonValue normalised(const QJsonValue& expected)
{
    return expected.isBool() ? QJsonValue(expected.toBool() ? 1.0 : 0.0) : expected;
}

// Compares one row with its manifest object; every column must be described and every description must hold.
QString differences(const QStringList& columns, const std::vector<AccessValue>& row, const QJsonObject& expected)
{
    QString found;
    QSet<QString> described;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QString key = it.key();
        qsizetype column = columns.indexOf(key);
        QString aspect;
        for (qsizetype c = 0; column < 0 && c < columns.size(); ++c) {
            if (key.startsWith(columns[c] + u'_')) {
                column = c;
                aspect = key.mid(columns[c].size() + 1);
            }
        }
        if (column < 0) {
            found += u" [no column for "_s + key + u']';
            continue;
        }
        described.insert(columns[column]);
        const QJsonValue actual = describe(row[size_t(column)], aspect);
        if (actual != normalised(it.value())) {
            found += u" ["_s + key + u": got "_s + QString::fromUtf8(QJsonDocument(QJsonArray{actual}).toJson()) +
                     u"expected "_s + QString::fromUtf8(QJsonDocument(QJsonArray{it.value()}).toJson()) + u']';
        }
    }
    for (const QString& column : columns) {
        if (!described.contains(column))
            found += u" [column "_s + column + u" not described]"_s;
    }
    return found;
}

} // namespace

void AccessFileTest::everySample_opensWithTheManifestsTablesAndRowCounts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QJsonObject>("rowCounts");
    for (const QJsonValue& file : manifestFiles()) {
        const QString name = file[u"file"_s].toString();
        QTest::newRow(qPrintable(name)) << name << file[u"row_counts"_s].toObject();
    }
}

void AccessFileTest::everySample_opensWithTheManifestsTablesAndRowCounts()
{
    QFETCH(QString, file);
    QFETCH(QJsonObject, rowCounts);

    const auto access = AccessFile::open(samplePath(file));
    QStringList tables = access->tableNames();
    QStringList expectedTables = rowCounts.keys();
    tables.sort();
    expectedTables.sort();
    QCOMPARE(tables, expectedTables);
    for (const QString& table : expectedTables) {
        const qint64 rows = access->readRows(table, [](const std::vector<AccessValue>&) { return true; });
        QVERIFY2(rows == rowCounts.value(table).toInteger(), qPrintable(table + u": "_s + QString::number(rows)));
    }
}

void AccessFileTest::everyRow_equalsTheManifestCellByCell_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QJsonArray>("rows");
    for (const QJsonValue& file : manifestFiles()) {
        const QString name = file[u"file"_s].toString();
        const QJsonObject content = file[u"content"_s].toObject();
        for (auto it = content.begin(); it != content.end(); ++it) {
            if (!it.value().toArray().isEmpty())
                QTest::addRow("%s %s", qPrintable(name), qPrintable(it.key())) << name << it.key() << it->toArray();
        }
    }
}

void AccessFileTest::everyRow_equalsTheManifestCellByCell()
{
    QFETCH(QString, file);
    QFETCH(QString, table);
    QFETCH(QJsonArray, rows);

    const auto access = AccessFile::open(samplePath(file));
    const QStringList columns = access->columnNames(table);
    const auto actual = readAll(*access, table);
    QCOMPARE(qsizetype(actual.size()), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QVERIFY2(actual[size_t(i)].size() == size_t(columns.size()), qPrintable(u"row "_s + QString::number(i)));
        const QString found = differences(columns, actual[size_t(i)], rows[i].toObject());
        QVERIFY2(found.isEmpty(), qPrintable(u"row "_s + QString::number(i) + found));
    }
}

void AccessFileTest::theHardValues_comeThroughWhole_data()
{
    // Picks the manifest row a case is about, so that the sample can change without the test naming row numbers.
    using Pick = std::function<bool(const QJsonObject&)>;
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<AccessValue::Kind>("kind");
    QTest::addColumn<Pick>("pick");

    QTest::newRow("body over 64 KB") << u"MEMO_DAT"_s << u"a01"_s << AccessValue::Kind::Text
                                     << Pick([](const QJsonObject& r) {
                                            return r[u"a01_utf8_bytes"_s].toInt() > 65536;
                                        });
    QTest::newRow("body outside the BMP")
        << u"MEMO_DAT"_s << u"a01"_s << AccessValue::Kind::Text
        << Pick([](const QJsonObject& r) { return r[u"a01_code_points"_s].toInt() < r[u"a01_utf16_units"_s].toInt(); });
    QTest::newRow("empty body, not NULL")
        << u"MEMO_DAT"_s << u"a01"_s << AccessValue::Kind::Text
        << Pick([](const QJsonObject& r) { return r[u"a01_utf16_units"_s].toInt() == 0; });
    QTest::newRow("picture over several pages")
        << u"PHOTO_DRA"_s << u"a02"_s << AccessValue::Kind::Binary
        << Pick([](const QJsonObject& r) { return r[u"a02_bytes"_s].toInt() > 3 * kPageSize; });
    QTest::newRow("date with a time of day")
        << u"MEMO_IDX"_s << u"a03"_s << AccessValue::Kind::Date
        << Pick([](const QJsonObject& r) { return !r[u"a03_datetime"_s].toString().endsWith(u"00:00:00"_s); });
    QTest::newRow("empty class name, not NULL")
        << u"MEMO_IDX"_s << u"a06"_s << AccessValue::Kind::Text
        << Pick([](const QJsonObject& r) { return r[u"a06"_s].toString().isEmpty(); });
    QTest::newRow("Yes/No that is No") << u"MEMO_UNDERLINE"_s << u"SelUNDER"_s << AccessValue::Kind::Integer
                                       << Pick([](const QJsonObject& r) { return !r[u"SelUNDER"_s].toBool(); });
}

void AccessFileTest::theHardValues_comeThroughWhole()
{
    using Pick = std::function<bool(const QJsonObject&)>;
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(AccessValue::Kind, kind);
    QFETCH(Pick, pick);

    const QString file = u"collection-small.mdb"_s;
    const QJsonArray rows = manifestFor(file).value(u"content"_s).toObject().value(table).toArray();
    qsizetype index = -1;
    for (qsizetype i = 0; i < rows.size() && index < 0; ++i) {
        if (pick(rows[i].toObject()))
            index = i;
    }
    QVERIFY2(index >= 0, "the sample holds no such value");

    const auto access = AccessFile::open(samplePath(file));
    const QStringList columns = access->columnNames(table);
    const auto actual = readAll(*access, table);
    QCOMPARE(qsizetype(actual.size()), rows.size());
    const std::vector<AccessValue>& row = actual[size_t(index)];
    QCOMPARE(row[size_t(columns.indexOf(column))].kind, kind);
    const QString found = differences(columns, row, rows[index].toObject());
    QVERIFY2(found.isEmpty(), qPrintable(found));
}

void AccessFileTest::aFileThatIsNotAccess_throwsAccessError_data()
{
    const QByteArray sample = TestFolder::read(samplePath(u"collection-small.mdb"_s));
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("refusedAtOpen");

    // A null byte array stands for a file that is not there at all.
    QTest::newRow("missing file") << QByteArray() << true;
    QTest::newRow("empty file") << QByteArray("") << true;
    QTest::newRow("short text file") << QByteArray("not a database\n") << true;
    QTest::newRow("long text file") << QByteArray("Scrap notes, one a line.\r\n").repeated(2000) << true;
    QTest::newRow("cut mid-page") << sample.left(100000) << true;
    QTest::newRow("cut before the table definitions") << sample.left(48 * kPageSize) << true;
    QTest::newRow("cut before its last page") << sample.left(sample.size() - kPageSize) << false;
    QTest::newRow("cut to its first page") << sample.left(kPageSize) << true;
    QByteArray noCatalog = sample;
    noCatalog.replace(2 * kPageSize, kPageSize, QByteArray(kPageSize, '\0'));
    QTest::newRow("catalog page wiped") << noCatalog << true;
}

void AccessFileTest::aFileThatIsNotAccess_throwsAccessError()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, refusedAtOpen);

    TestFolder folder;
    const QString path = bytes.isNull() ? folder.path(u"absent.mdb"_s) : folder.writeFile(u"broken.mdb"_s, bytes);
    bool opened = false;
    try {
        const auto access = AccessFile::open(path);
        opened = true;
        for (const QString& table : access->tableNames())
            access->readRows(table, [](const std::vector<AccessValue>&) { return true; });
        QFAIL("every table was read");
    } catch (const AccessError& error) {
        QVERIFY(!error.message().isEmpty());
        QCOMPARE(opened, !refusedAtOpen);
    }
}

void AccessFileTest::aMissingTable_throwsAccessError()
{
    const auto access = AccessFile::open(samplePath(u"empty-new.mdb"_s));
    QVERIFY_THROWS_EXCEPTION(AccessError, access->columnNames(u"NoSuchTable"_s));
    QVERIFY_THROWS_EXCEPTION(AccessError,
                             access->readRows(u"MSysObjects"_s, [](const std::vector<AccessValue>&) { return true; }));
}

void AccessFileTest::readRows_stopsWhenTheCallerSaysSo()
{
    const auto access = AccessFile::open(samplePath(u"collection-small.mdb"_s));
    int calls = 0;
    const qint64 delivered =
        access->readRows(u"MEMO_UNDERLINE"_s, [&calls](const std::vector<AccessValue>&) { return ++calls < 3; });
    QCOMPARE(delivered, qint64(3));
    QCOMPARE(calls, 3);
}
