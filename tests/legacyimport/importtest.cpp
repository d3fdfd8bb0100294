#include "importtest.h"

#include "database/connection.h"
#include "database/opening.h"
#include "database/query.h"
#include "legacyimport/importcommand.h"
#include "legacyimport/legacyimport.h"
#include "testcollection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using Offsets = QList<int>;

namespace {

QString sample(const QString& name)
{
    return QStringLiteral(ZETTORA_LEGACY_SAMPLES) + u'/' + name;
}

QJsonObject manifestOf(const QString& file)
{
    QFile json(sample(u"manifest.json"_s));
    if (!json.open(QIODevice::ReadOnly))
        return {};
    for (const QJsonValue entry : QJsonDocument::fromJson(json.readAll()).object().value(u"files"_s).toArray()) {
        if (entry.toObject().value(u"file"_s).toString() == file)
            return entry.toObject();
    }
    return {};
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString fileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).join(u',');
}

} // namespace

void ImportTest::convert_eachSample_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("failure");

    QTest::newRow("a collection") << u"collection-small.mdb"_s << 2 << QString();
    QTest::newRow("a saved edition") << u"saved-edition.mdb"_s << -2 << QString();
    QTest::newRow("a new, empty collection") << u"empty-new.mdb"_s << 2 << QString();
    QTest::newRow("no DBID") << u"no-dbid.mdb"_s << 0 << u"このファイルには DBID テーブルがありません。"_s;
    QTest::newRow("another kind") << u"wrong-kind.mdb"_s << 0 << u"DBID の種類（7）"_s;
    QTest::newRow("not Access") << u"manifest.json"_s << 0 << u"旧形式のデータベースとして読めません"_s;
}

void ImportTest::convert_eachSample()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QString, failure);
    TestFolder folder;
    const QString target = folder.path(u"新.mdb"_s);
    const QByteArray before = TestFolder::read(sample(file));
    try {
        const LegacyImport::Report report = LegacyImport::convert(sample(file), target);
        QVERIFY2(failure.isEmpty(), qPrintable(u"converted, expected "_s + failure));
        QCOMPARE(report.kind, kind);
        auto connection = OpenSharedConnection(target);
        QCOMPARE(CheckDatabaseKind(*connection).acceptedKind(), DatabaseKind(kind));
        QCOMPARE(scalar(*connection, u"SELECT count(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"_s),
                 0);
        const QJsonObject counts = manifestOf(file).value(u"row_counts"_s).toObject();
        for (const LegacyImport::TableCount& count : report.tables) {
            QCOMPARE(count.read, counts.value(count.table).toInteger());
            QCOMPARE(scalar(*connection, u"SELECT count(*) FROM \""_s + count.table + u'"'), count.written);
        }
    } catch (const LegacyImport::ImportError& e) {
        QVERIFY2(!failure.isEmpty() && e.message().startsWith(failure), qPrintable(e.message()));
        QCOMPARE(fileNames(folder.folder()), QString());
    }
    QCOMPARE(TestFolder::read(sample(file)), before);
}

void ImportTest::collectionSmall_isCopiedCellByCell()
{
    TestFolder folder;
    const QString target = folder.path(u"new.mdb"_s);
    LegacyImport::convert(sample(u"collection-small.mdb"_s), target);
    auto connection = OpenSharedConnection(target);
    const QJsonObject content = manifestOf(u"collection-small.mdb"_s).value(u"content"_s).toObject();

    // Every column of the small tables, as stored.
    for (const QString& table : {u"MEMO_IDX"_s, u"IDno"_s, u"extraNodeMEMO"_s, u"extraNodeWEB"_s, u"Status"_s,
                                 u"FontSize"_s, u"Marker"_s, u"Speak"_s, u"DBID"_s}) {
        Query rows(*connection, u"SELECT * FROM \""_s + table + u"\" ORDER BY rowid"_s);
        const QJsonArray expected = content.value(table).toArray();
        int row = 0;
        while (rows.next()) {
            const QJsonObject cells = expected.at(row++).toObject();
            for (int column = 0; column < rows.columnCount(); ++column) {
                const QString name = rows.columnName(column);
                const QJsonValue cell = cells.value(name);
                const QString where = table + u' ' + QString::number(row) + u' ' + name;
                if (cell.isString())
                    QVERIFY2(rows.text(column) == cell.toString(), qPrintable(where + u": "_s + rows.text(column)));
                else if (cell.isDouble() || cell.isBool())
                    QVERIFY2(rows.integer(column) == cell.toVariant().toLongLong(), qPrintable(where));
                else if (cell.isNull())
                    QVERIFY2(rows.isNull(column), qPrintable(where));
            }
        }
        QCOMPARE(row, expected.size());
    }
    // Bodies: "\n" where the old file had CRLF, otherwise the same text to the last code point.
    QHash<int, QString> bodies;
    Query dat(*connection, u"SELECT pfID, a01 FROM MEMO_DAT ORDER BY rowid"_s);
    for (const QJsonValue value : content.value(u"MEMO_DAT"_s).toArray()) {
        const QJsonObject body = value.toObject();
        QVERIFY(dat.next());
        const QString text = dat.text(1);
        QVERIFY(!text.contains(u'\r'));
        const QString old = QString(text).replace(u"\n"_s, u"\r\n"_s);
        QCOMPARE(dat.integer(0), body.value(u"pfID"_s).toInteger());
        QCOMPARE(old.size(), body.value(u"a01_utf16_units"_s).toInteger());
        QCOMPARE(sha256(old.toUtf8()), body.value(u"a01_sha256_utf8"_s).toString());
        bodies.insert(int(dat.integer(0)), text);
    }
    // Marks cover the same characters as before.
    Query marks(*connection, u"SELECT pfID, SelUNDER, StartP, SelLen FROM MEMO_UNDERLINE ORDER BY rowid"_s);
    for (const QJsonValue value : content.value(u"MEMO_UNDERLINE"_s).toArray()) {
        const QJsonObject mark = value.toObject();
        QVERIFY(marks.next());
        const QString text = bodies.value(mark.value(u"pfID"_s).toInt());
        const QString old = QString(text).replace(u"\n"_s, u"\r\n"_s);
        QString covered = old.mid(mark.value(u"StartP"_s).toInt(), mark.value(u"SelLen"_s).toInt());
        covered.replace(u"\r\n"_s, u"\n"_s);
        if (covered.endsWith(u'\r'))
            covered.back() = u'\n';
        QCOMPARE(text.mid(marks.integer(2), marks.integer(3)), covered);
        QCOMPARE(marks.integer(1), qint64(mark.value(u"SelUNDER"_s).toBool()));
    }
    // Pictures byte for byte.
    Query pictures(*connection, u"SELECT skID, a01, a02 FROM PHOTO_DRA ORDER BY rowid"_s);
    for (const QJsonValue value : content.value(u"PHOTO_DRA"_s).toArray()) {
        QVERIFY(pictures.next());
        QCOMPARE(pictures.text(1), value.toObject().value(u"a01"_s).toString());
        QCOMPARE(sha256(pictures.blob(2)), value.toObject().value(u"a02_sha256"_s).toString());
    }
}

void ImportTest::markOffsets_followTheirCharacters_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("covered");

    QTest::newRow("before any line break") << u"ab\r\ncd"_s << 0 << 2 << u"ab"_s;
    QTest::newRow("after one") << u"ab\r\ncd"_s << 4 << 2 << u"cd"_s;
    QTest::newRow("across one") << u"ab\r\ncd"_s << 1 << 4 << u"b\nc"_s;
    QTest::newRow("starting between CR and LF") << u"ab\r\ncd"_s << 3 << 2 << u"\nc"_s;
    QTest::newRow("ending between CR and LF") << u"ab\r\ncd"_s << 0 << 3 << u"ab\n"_s;
    QTest::newRow("after two") << u"a\r\n\r\nbc"_s << 5 << 2 << u"bc"_s;
}

void ImportTest::markOffsets_followTheirCharacters()
{
    QFETCH(QString, old);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, covered);
    QList<int> crlf;
    for (qsizetype at = old.indexOf(u"\r\n"_s); at >= 0; at = old.indexOf(u"\r\n"_s, at + 2))
        crlf << int(at);
    const QString text = QString(old).replace(u"\r\n"_s, u"\n"_s);
    const int newStart = LegacyImport::shiftedStart(start, crlf);
    const int newEnd = LegacyImport::shiftedEnd(start + length, crlf);
    QCOMPARE(text.mid(newStart, newEnd - newStart), covered);
}

void ImportTest::existingTargetOrCancel_leaveNothingWritten()
{
    TestFolder folder;
    const QString target = folder.writeFile(u"there.mdb"_s, "mine");
    QVERIFY_THROWS_EXCEPTION(LegacyImport::ImportError,
                             LegacyImport::convert(sample(u"collection-small.mdb"_s), target));
    QCOMPARE(TestFolder::read(target), QByteArray("mine"));

    LegacyImport::Options options;
    int asked = 0;
    options.cancelled = [&asked] { return ++asked > 300; };
    try {
        LegacyImport::convert(sample(u"collection-small.mdb"_s), folder.path(u"new.mdb"_s), options);
        QFAIL("the conversion should have stopped");
    } catch (const LegacyImport::ImportError& e) {
        QCOMPARE(e.message(), LegacyImport::kCancelled);
    }
    QCOMPARE(fileNames(folder.folder()), u"there.mdb"_s);
}

void ImportTest::command_exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");

    QTest::newRow("converted") << QStringList{u"collection-small.mdb"_s, u"new.mdb"_s} << 0
                               << u"データベースを取り込みました。"_s;
    QTest::newRow("refused") << QStringList{u"wrong-kind.mdb"_s, u"new.mdb"_s} << 1 << u"DBID の種類"_s;
    QTest::newRow("no target") << QStringList{u"collection-small.mdb"_s} << 2 << u"使い方"_s;
}

void ImportTest::command_exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, out);
    TestFolder folder;
    QStringList command{u"zettora"_s, u"--import"_s, sample(arguments.at(0))};
    if (arguments.size() > 1)
        command << folder.path(arguments.at(1));
    QString printed;
    QString failed;
    QTextStream outStream(&printed);
    QTextStream errStream(&failed);
    QCOMPARE(LegacyImport::runImportCommand(command, outStream, errStream), code);
    outStream.flush();
    errStream.flush();
    QVERIFY2((code == 0 ? printed : failed).startsWith(out), qPrintable(printed + failed));
}
