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
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <QTextStream>
#include <QtEndian>

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

constexpr qsizetype kPageSize = 4096;    // a Jet 4 page
constexpr qint64 kLinkBytes = 4072;      // the bytes one full long-value page holds after its pointer
constexpr int kHangMs = 60000;           // far above the largest case under the sanitizers; past it, a hang
constexpr int kPictureLimit = 100 << 20; // the pictures window's limit

QByteArray le32(std::initializer_list<quint32> numbers)
{
    QByteArray bytes;
    for (const quint32 number : numbers)
        bytes.append(reinterpret_cast<const char*>(&number), 4); // the machine is little-endian, as Jet is
    return bytes;
}

// The one place the sample holds the pattern; a pattern found twice would damage the wrong row.
qsizetype onlyAt(const QByteArray& bytes, const QByteArray& pattern)
{
    const qsizetype at = bytes.indexOf(pattern);
    if (at < 0 || bytes.indexOf(pattern, at + 1) >= 0)
        qFatal("the sample does not hold the pattern once");
    return at;
}

QByteArray patched(QByteArray bytes, const QByteArray& pattern, const QByteArray& with)
{
    return bytes.replace(onlyAt(bytes, pattern), with.size(), with);
}

// Where the row a long value's page-and-row pointer names begins.
qsizetype rowAt(const QByteArray& bytes, quint32 pageRow)
{
    const qsizetype page = qsizetype(pageRow >> 8) * kPageSize;
    return page + (qFromLittleEndian<quint16>(bytes.constData() + page + 14 + 2 * (pageRow & 0xFF)) & 0x1FFF);
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
    // A CR standing alone is a line end of its own, which the text box would join to a line end after it.
    QTest::newRow("after a lone CR and a CRLF") << u"a\r\r\nbc"_s << 4 << 2 << u"bc"_s;
    QTest::newRow("across a lone CR") << u"ab\rcd"_s << 1 << 3 << u"b\nc"_s;
}

void ImportTest::markOffsets_followTheirCharacters()
{
    QFETCH(QString, old);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, covered);
    const QList<int> crlf = LegacyImport::crlfPositions(old);
    const QString text = LegacyImport::bodyWithLineFeeds(old);
    QVERIFY(!text.contains(u'\r'));
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

    // Another import writing the same file keeps its partial file.
    QLockFile other(folder.path(u"new.mdb.partial.lock"_s));
    QVERIFY(other.tryLock(0));
    folder.writeFile(u"new.mdb.partial"_s, "theirs");
    QVERIFY_THROWS_EXCEPTION(LegacyImport::ImportError,
                             LegacyImport::convert(sample(u"collection-small.mdb"_s), folder.path(u"new.mdb"_s)));
    QCOMPARE(TestFolder::read(folder.path(u"new.mdb.partial"_s)), QByteArray("theirs"));
}

void ImportTest::damagedFile_convertsAndTellsWhatChanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("query"); // on the new file, with the undamaged sample's conversion as "clean"
    QTest::addColumn<qint64>("value");

    const QByteArray original = TestFolder::read(sample(u"collection-small.mdb"_s));
    const QJsonObject content = manifestOf(u"collection-small.mdb"_s).value(u"content"_s).toObject();
    const auto title = [&](const QString& column, qint64 number) -> QString {
        QString found;
        for (const QJsonValue row : content.value(u"MEMO_IDX"_s).toArray())
            found = row[column].toInteger() == number ? row[u"a02"_s].toString() : found;
        return u"「"_s + found + u"」"_s;
    };
    const auto damagedValues = [](int values) {
        return u"データベースを取り込みました。　ただし、壊れていたか大きすぎた値が %1 件あり、"
               u"切り詰めたか取り込みませんでした。"_s.arg(values);
    };
    const QString damaged = damagedValues(1);

    // The body over 64 KB (pfID 37) is 89,944 bytes in a chain of 23 pages; its second page leads back to its first.
    QByteArray looping = patched(original, le32({89944}), le32({0x3FFFFFFF}));
    const auto first = qFromLittleEndian<quint32>(looping.constData() + onlyAt(looping, le32({0x3FFFFFFF})) + 4);
    const auto second = qFromLittleEndian<quint32>(looping.constData() + rowAt(looping, first));
    QTest::newRow("memo chain looping back, its stored length the largest")
        << looping.replace(rowAt(looping, second), 4, le32({first}))
        // The body cut, and five of its marks past what is left of it.
        << QStringList{damagedValues(6), title(u"pfID"_s, 37) +
                                             u"：MEMO_DAT.a01 のページのつながりが途中で壊れていたため、"
                                             u"読めた 8144 バイトだけを取り込みました（記録された長さは "
                                             u"1073741823 バイト）。"_s}
        << u"SELECT length(d.a01) FROM MEMO_DAT d JOIN clean.MEMO_DAT c USING (pfID) WHERE pfID = 37 AND "
           u"substr(c.a01, 1, length(d.a01)) = d.a01"_s
        << qint64(4013);

    // The picture of 59,079 bytes (skID 19) is a chain; the one of 1,545 bytes sits in one page (0x40 in its length).
    const QString picture = title(u"skID"_s, 19) + u"：PHOTO_DRA.a02 "_s;
    const QString left = u"SELECT count(*) FROM PHOTO_DRA WHERE a02 IS NULL"_s;
    QTest::newRow("huge stored length")
        << patched(original, le32({59079}), le32({0x10000000}))
        << QStringList{damaged, picture + u"はページに 59079 バイトしかないため、その 59079 バイトだけを取り込みました"
                                          u"（記録された長さは 268435456 バイト）。"_s}
        << u"SELECT count(*) FROM PHOTO_DRA p JOIN clean.PHOTO_DRA c ON p.rowid = c.rowid AND p.a02 = c.a02"_s
        << qint64(40);
    QTest::newRow("stored length shorter than the data")
        << patched(original, le32({0x40000000 | 1545}), le32({0x40000000 | 1}))
        << QStringList{damaged, title(u"skID"_s, 9) + u"：PHOTO_DRA.a02 はページに 1545 バイトありますが、"
                                                      u"記録された長さの 1 バイトに切り詰めました。"_s}
        << u"SELECT sum(length(a02)) FROM PHOTO_DRA WHERE length(a02) < 1000"_s << qint64(1);
    // The first page of a table's rows, which holds no long values.
    quint32 tablePage = 0;
    for (qsizetype at = kPageSize; at + kPageSize <= original.size() && tablePage == 0; at += kPageSize) {
        if (original.at(at) == 1 && original.mid(at + 4, 4) != "LVAL")
            tablePage = quint32(at / kPageSize);
    }
    QTest::newRow("value pointing into a table's page")
        << patched(original, le32({0x40000000 | 1545}), le32({0x40000000 | 1545, tablePage << 8}))
        << QStringList{damaged, title(u"skID"_s, 9) + u"：PHOTO_DRA.a02 は壊れたページを指していて読めないため、"
                                                      u"取り込みませんでした。"_s}
        << left << qint64(1);
    QTest::newRow("chain pointing past the file's end")
        << patched(original, le32({59079}), le32({59079, quint32(original.size() / kPageSize + 5) << 8}))
        << QStringList{damaged, picture + u"は壊れたページを指していて読めないため、取り込みませんでした。"_s} << left
        << qint64(1);

    // Just over the limit, in a chain of pages added after the file's own.
    QByteArray huge = original;
    const qint64 links = kPictureLimit / kLinkBytes + 1;
    const auto added = quint32(huge.size() / kPageSize);
    QByteArray page = QByteArray("\x01\x01\0\0LVAL\0\0\0\0\x01\0\x14\0", 16).leftJustified(kPageSize, '\0');
    for (qint64 link = 1; link <= links; ++link)
        huge += page.replace(20, 4, le32({link < links ? (added + quint32(link)) << 8 : 0}));
    QTest::newRow("picture over the pictures window's limit")
        << patched(huge, le32({59079}), le32({quint32(links * kLinkBytes), added << 8}))
        << QStringList{damaged,
                       picture + u"の画像（%1 バイト）は上限の 100 MB を超えるため、取り込みませんでした。"_s.arg(
                                     links * kLinkBytes)}
        << left << qint64(1);

    // The date of DocNo 6 (1998-10-11 01:12:31) made a number no date is: that scrap comes without its date.
    const double when = QDate(1899, 12, 30).daysTo(QDate(1998, 10, 11)) + (3600 + 12 * 60 + 31) / 86400.0;
    QByteArray undated = original;
    for (qsizetype at = 0; at + 8 <= undated.size(); ++at) {
        if (std::abs(qFromLittleEndian<double>(undated.constData() + at) - when) < 1e-7) {
            qToLittleEndian(std::numeric_limits<double>::quiet_NaN(), undated.data() + at);
            break;
        }
    }
    QTest::newRow("a date that is none")
        << undated
        << QStringList{damaged,
                       title(u"DocNo"_s, 6) + u"：MEMO_IDX.a03 の nan は日付にできないため取り込みませんでした。"_s}
        << u"SELECT count(*) FROM MEMO_IDX WHERE a03 IS NULL"_s << qint64(1);

    // The first mark is pfID 2 from 541 for 21.
    QTest::newRow("mark starting near 2^31")
        << patched(original, le32({2, 541, 21}), le32({2, 0x7FFFFFF0, 0x7FFFFFF0}))
        << QStringList{damaged,
                       title(u"pfID"_s, 2) + u"：本文の外を指す下線（2147483632 から 2147483632 文字）を除きました。"_s}
        << u"SELECT count(*) FROM MEMO_UNDERLINE"_s << qint64(543);
    QTest::newRow("mark running past 2^31")
        << patched(original, le32({2, 541, 21}), le32({2, 541, 0x7FFFFFFF}))
        << QStringList{title(u"pfID"_s, 2) + u"：本文の終わりを越える下線（541 から 2147483647 文字）を"
                                             u"本文の終わりまでにしました。"_s}
        << u"SELECT StartP + SelLen = length(a01) FROM MEMO_UNDERLINE JOIN MEMO_DAT USING (pfID) "
           u"ORDER BY MEMO_UNDERLINE.rowid LIMIT 1"_s
        << qint64(1);

    // IDno holds ndID, ndMEMO, skID, pfID, DocNo; a MEMO_IDX row holds skID, pfID, LevNo, DocNo side by side.
    const QString favourite = content.value(u"extraNodeWEB"_s).toArray().last()[u"fvName"_s].toString();
    QTest::newRow("counters behind the numbers in use")
        << patched(original, le32({9, 0, 20, 200, 200}), le32({3, 0, 5, 150, 10}))
        << QStringList{u"お気に入り「%1」：IDno.ndID の 3 を、使われている最大の ndID 9 まで進めました。"_s.arg(
                           favourite),
                       title(u"skID"_s, 20) + u"：IDno.skID の 5 を、使われている最大の skID 20 まで進めました。"_s,
                       title(u"pfID"_s, 200) + u"：IDno.pfID の 150 を、使われている最大の pfID 200 まで進めました。"_s,
                       title(u"DocNo"_s, 200) +
                           u"：IDno.DocNo の 10 を、使われている最大の DocNo 200 まで進めました。"_s}
        << u"SELECT count(*) FROM IDno WHERE (ndID, ndMEMO, skID, pfID, DocNo) = (9, 0, 20, 200, 200)"_s << qint64(1);
    QTest::newRow("numbers used twice")
        << patched(patched(original, le32({0, 2, 9, 2}), le32({0, 2, 9, 1})), le32({1, 3, 16, 3}), le32({1, 1, 16, 3}))
        << QStringList{title(u"pfID"_s, 1) + u"、"_s + title(u"pfID"_s, 2) + u"：同じ DocNo 1 を使っています。"_s,
                       title(u"pfID"_s, 1) + u"、"_s + title(u"pfID"_s, 3) + u"：同じ pfID 1 を使っています。"_s}
        << u"SELECT count(*) FROM MEMO_IDX WHERE DocNo = 1 OR pfID = 1"_s << qint64(3);
    // 毎日新聞 (at ndWEB 4) given 読売新聞's ndID 2: it comes in under a number of its own.
    QTest::newRow("favourites sharing a number")
        << patched(original, le32({4, 3}), le32({4, 2}))
        << QStringList{u"お気に入り「毎日新聞」：ほかのお気に入りと同じ ndID 2 を、10 にしました。"_s}
        << u"SELECT count(DISTINCT ndID) FROM extraNodeWEB"_s << qint64(9);
}

void ImportTest::damagedFile_convertsAndTellsWhatChanged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(QString, query);
    QFETCH(qint64, value);
    TestFolder folder;
    LegacyImport::convert(sample(u"collection-small.mdb"_s), folder.path(u"clean.mdb"_s));
    QProcess import;
    import.start(QStringLiteral(ZETTORA_PROGRAM),
                 {u"--import"_s, folder.writeFile(u"old.mdb"_s, bytes), folder.path(u"new.mdb"_s)});
    if (!import.waitForFinished(kHangMs)) {
        import.kill();
        QFAIL("the import did not end");
    }
    QVERIFY2(import.exitStatus() == QProcess::NormalExit && import.exitCode() == 0, import.readAllStandardError());
    const QStringList printed = QString::fromUtf8(import.readAllStandardOutput()).split(u'\n');
    for (const QString& line : lines)
        QVERIFY2(printed.contains(line), qPrintable(line + u"\nnot in\n"_s + printed.join(u'\n')));

    auto connection = OpenSharedConnection(folder.path(u"new.mdb"_s));
    Query(*connection, u"ATTACH DATABASE ? AS clean"_s).bind(1, folder.path(u"clean.mdb"_s)).run();
    QCOMPARE(scalar(*connection, query), value);
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
