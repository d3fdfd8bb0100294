#include "generatortest.h"

#include "collectiongenerator.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/query.h"

#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Sample {
    const char* tag;
    int scraps;
    quint32 seed;
    qint64 firstNumber;
};

// Enough scraps to reach every class level and many picture sets; the small ones catch edge cases of the counters,
// the last numbers past 16 bits.
constexpr std::array<Sample, 5> kSamples{{
    {"300 scraps", 300, 1, 1},
    {"300 scraps, other seed", 300, 77, 1},
    {"one scrap", 1, 5, 1},
    {"no scraps", 0, 3, 1},
    {"200 scraps from 40000", 200, 9, 40000},
}};

QString dump(const QString& path)
{
    auto connection = OpenSharedConnection(path);
    QString all;
    for (const QString& table :
         {u"MEMO_IDX"_s, u"MEMO_DAT"_s, u"MEMO_UNDERLINE"_s, u"PHOTO_DRA"_s, u"extraNodeMEMO"_s, u"IDno"_s}) {
        Query rows(*connection, u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(table));
        while (rows.next()) {
            for (int c = 0; c < rows.columnCount(); ++c)
                all += rows.value(c).toString() + u'|';
            all += u'\n';
        }
    }
    return all;
}

} // namespace

void GeneratorTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    for (const Sample& sample : kSamples) {
        const QString path = m_folder.path(QString::fromLatin1(sample.tag) + u".mdb"_s);
        generateCollection(
            path, {.scraps = sample.scraps, .seed = sample.seed, .firstNumber = sample.firstNumber, .progress = {}});
        m_collections.insert(QString::fromLatin1(sample.tag), path);
    }
}

void GeneratorTest::addCollectionRows()
{
    QTest::addColumn<int>("scraps");
    QTest::addColumn<qint64>("firstNumber");
    for (const Sample& sample : kSamples)
        QTest::newRow(sample.tag) << sample.scraps << sample.firstNumber;
}

QString GeneratorTest::collection() const
{
    return m_collections.value(QString::fromLatin1(QTest::currentDataTag()));
}

void GeneratorTest::counterRow_holdsLastNumbersHandedOut_data()
{
    addCollectionRows();
}

void GeneratorTest::counterRow_holdsLastNumbersHandedOut()
{
    QFETCH(int, scraps);
    QFETCH(qint64, firstNumber);
    auto connection = OpenSharedConnection(collection());
    const qint64 last = firstNumber + scraps - 1;
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM IDno"_s), 1);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM MEMO_IDX"_s), scraps);
    QCOMPARE(scalar(*connection, u"SELECT count(DISTINCT DocNo) FROM MEMO_IDX"_s), scraps);
    QCOMPARE(scalar(*connection, u"SELECT count(DISTINCT pfID) FROM MEMO_IDX"_s), scraps);
    QCOMPARE(scalar(*connection, u"SELECT DocNo FROM IDno"_s), last);
    QCOMPARE(scalar(*connection, u"SELECT pfID FROM IDno"_s), last);
    if (scraps > 0) {
        QCOMPARE(scalar(*connection, u"SELECT min(DocNo) FROM MEMO_IDX"_s), firstNumber);
        QCOMPARE(scalar(*connection, u"SELECT max(DocNo) FROM MEMO_IDX"_s), last);
        QCOMPARE(scalar(*connection, u"SELECT min(pfID) FROM MEMO_IDX"_s), firstNumber);
        QCOMPARE(scalar(*connection, u"SELECT max(pfID) FROM MEMO_IDX"_s), last);
    }
    // Picture sets are numbered from the first number too, and the counter stands at the last one handed out.
    const qint64 sets = scalar(*connection, u"SELECT count(*) FROM MEMO_IDX WHERE skID <> 0"_s);
    QCOMPARE(scalar(*connection, u"SELECT skID FROM IDno"_s),
             sets > 0 ? scalar(*connection, u"SELECT max(skID) FROM MEMO_IDX"_s) : firstNumber - 1);
    if (sets > 0)
        QCOMPARE(scalar(*connection, u"SELECT min(nullif(skID, 0)) FROM MEMO_IDX"_s), firstNumber);
    QCOMPARE(scalar(*connection, u"SELECT ndID FROM IDno"_s), 9);
}

void GeneratorTest::everyScrap_hasExactlyOneBody_data()
{
    addCollectionRows();
}

void GeneratorTest::everyScrap_hasExactlyOneBody()
{
    QFETCH(int, scraps);
    auto connection = OpenSharedConnection(collection());
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM MEMO_DAT"_s), scraps);
    QCOMPARE(scalar(*connection, u"SELECT count(*) FROM MEMO_IDX i WHERE (SELECT count(*) FROM MEMO_DAT d "
                                 u"WHERE d.pfID = i.pfID) <> 1"_s),
             0);
    Query bodies(*connection, u"SELECT a01 FROM MEMO_DAT"_s);
    while (bodies.next()) {
        const qsizetype length = bodies.text(0).size();
        QVERIFY2(length >= 500 && length <= 4000, qPrintable(QString::number(length)));
    }
}

void GeneratorTest::everyTitle_isTheFirstLineOfItsBody_data()
{
    addCollectionRows();
}

// As registration proposes it: the body up to its first line break, at most 100 characters.
void GeneratorTest::everyTitle_isTheFirstLineOfItsBody()
{
    QFETCH(int, scraps);
    auto connection = OpenSharedConnection(collection());
    Query rows(*connection, u"SELECT i.a02, d.a01 FROM MEMO_IDX i JOIN MEMO_DAT d ON d.pfID = i.pfID"_s);
    int headlines = 0, cut = 0;
    while (rows.next()) {
        const QString body = rows.text(1);
        const qsizetype lineEnd = body.indexOf(u'\n');
        QCOMPARE(rows.text(0), body.left(std::min<qsizetype>(lineEnd < 0 ? body.size() : lineEnd, 100)));
        headlines += body.at(0) != u'　';
        cut += rows.text(0).size() == 100;
    }
    if (scraps >= 300) // both openings, and paragraphs shorter than a cut, are common enough to show
        QVERIFY(headlines > scraps / 2 && cut > scraps / 20 && headlines + cut < scraps);
}

void GeneratorTest::everyMark_liesInsideItsBody_data()
{
    addCollectionRows();
}

void GeneratorTest::everyMark_liesInsideItsBody()
{
    auto connection = OpenSharedConnection(collection());
    Query marks(*connection, u"SELECT m.pfID, m.SelUNDER, m.StartP, m.SelLen, d.a01 FROM MEMO_UNDERLINE m "
                             u"LEFT JOIN MEMO_DAT d ON d.pfID = m.pfID"_s);
    while (marks.next()) {
        const QString where = u"mark on body %1"_s.arg(marks.integer(0));
        QVERIFY2(!marks.isNull(4), qPrintable(where + u" without a body"_s));
        QVERIFY2(marks.integer(1) == 0 || marks.integer(1) == 1, qPrintable(where));
        const qint64 start = marks.integer(2);
        const qint64 length = marks.integer(3);
        QVERIFY2(start >= 0 && length >= 1 && start + length <= marks.text(4).size(), qPrintable(where));
    }
}

void GeneratorTest::classTree_storedInPreOrderWithoutGaps_data()
{
    addCollectionRows();
}

void GeneratorTest::classTree_storedInPreOrderWithoutGaps()
{
    auto connection = OpenSharedConnection(collection());
    Query classes(*connection, u"SELECT ndP, ndMEMO FROM extraNodeMEMO ORDER BY rowid"_s);
    // The chain from the root to the class stored last: in pre-order a parent is always on it.
    std::vector<qint64> ancestors{1};
    qint64 expected = 2;
    while (classes.next()) {
        const qint64 parent = classes.integer(0);
        QCOMPARE(classes.integer(1), expected);
        while (!ancestors.empty() && ancestors.back() != parent)
            ancestors.pop_back();
        QVERIFY2(!ancestors.empty(), qPrintable(u"class %1 hangs under %2"_s.arg(expected).arg(parent)));
        QVERIFY2(ancestors.size() <= 3, qPrintable(u"class %1 is below the third level"_s.arg(expected)));
        ancestors.push_back(expected++);
    }
    QVERIFY(expected > 150);
}

void GeneratorTest::everyScrap_filedUnderTheClassOfItsPath_data()
{
    addCollectionRows();
}

void GeneratorTest::everyScrap_filedUnderTheClassOfItsPath()
{
    auto connection = OpenSharedConnection(collection());
    std::map<qint64, QStringList> paths{{1, {}}};
    Query classes(*connection, u"SELECT ndP, nName, ndMEMO FROM extraNodeMEMO ORDER BY rowid"_s);
    while (classes.next())
        paths[classes.integer(2)] = paths.at(classes.integer(0)) + QStringList{classes.text(1)};
    QMap<QString, QString> levelColours;
    Query levels(*connection, u"SELECT \"01iName\", \"02BackColor\" FROM Status"_s);
    while (levels.next())
        levelColours.insert(levels.text(0), levels.text(1));

    QSet<int> filingLevels;
    Query scraps(*connection, u"SELECT DocNo, LevNo, a04, a05, a06, a01, backC FROM MEMO_IDX"_s);
    while (scraps.next()) {
        const QString where = u"scrap %1"_s.arg(scraps.integer(0));
        const auto found = paths.find(scraps.integer(1));
        QVERIFY2(found != paths.end() && found->first != 1, qPrintable(where + u" names no class"_s));
        QStringList path = found->second;
        filingLevels.insert(int(path.size()));
        while (path.size() < 3)
            path << QString();
        QCOMPARE((QStringList{scraps.text(2), scraps.text(3), scraps.text(4)}), path);
        QVERIFY2(!scraps.isNull(3) && !scraps.isNull(4), qPrintable(where + u": NULL in place of empty text"_s));
        QVERIFY2(levelColours.contains(scraps.text(5)), qPrintable(where));
        QCOMPARE(scraps.text(6), levelColours.value(scraps.text(5)));
    }
    if (QTest::currentDataTag() == QByteArrayLiteral("300 scraps"))
        QCOMPARE(filingLevels, (QSet<int>{1, 2, 3}));
}

void GeneratorTest::pictures_existExactlyForPictureSets_data()
{
    addCollectionRows();
}

void GeneratorTest::pictures_existExactlyForPictureSets()
{
    QFETCH(int, scraps);
    auto connection = OpenSharedConnection(collection());
    QList<qint64> scrapSets;
    Query sets(*connection, u"SELECT skID FROM MEMO_IDX WHERE skID <> 0"_s);
    while (sets.next())
        scrapSets << sets.integer(0);
    const QSet<qint64> uniqueSets(scrapSets.begin(), scrapSets.end());
    QCOMPARE(uniqueSets.size(), scrapSets.size()); // each scrap with pictures took a number of its own

    QSet<qint64> pictureSets;
    Query pictures(*connection, u"SELECT skID, a01, a02 FROM PHOTO_DRA"_s);
    while (pictures.next()) {
        pictureSets.insert(pictures.integer(0));
        QVERIFY(!pictures.text(1).isEmpty());
        const QImage image = QImage::fromData(pictures.blob(2), "JPEG");
        QCOMPARE(image.size(), QSize(160, 120));
    }
    QCOMPARE(pictureSets, uniqueSets);
    if (scraps >= 300)
        QVERIFY(uniqueSets.size() >= 10);
}

void GeneratorTest::seed_decidesTheWholeContent_data()
{
    QTest::addColumn<quint32>("otherSeed");
    QTest::addColumn<bool>("same");

    QTest::newRow("same seed") << quint32(11) << true;
    QTest::newRow("other seed") << quint32(12) << false;
}

void GeneratorTest::seed_decidesTheWholeContent()
{
    QFETCH(quint32, otherSeed);
    QFETCH(bool, same);
    const QString first = m_folder.path(u"first-%1.mdb"_s.arg(otherSeed));
    const QString second = m_folder.path(u"second-%1.mdb"_s.arg(otherSeed));
    generateCollection(first, {.scraps = 40, .seed = 11, .progress = {}});
    generateCollection(second, {.scraps = 40, .seed = otherSeed, .progress = {}});
    QCOMPARE(dump(first) == dump(second), same);
}

void GeneratorTest::commonPhrase_rareThoughItsPairsAreCommon_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("fewest");
    QTest::addColumn<int>("most");
    const QString phrase = QString::fromUtf16(BenchWords::kCommonPhrase);
    for (qsizetype i = 0; i + 1 < phrase.size(); ++i)
        QTest::addRow("pair %lld", qlonglong(i + 1)) << phrase.mid(i, 2) << 10 << 100;
    QTest::newRow("the whole phrase") << phrase << 0 << 3;
}

// A phrase search must sort out the order of pairs each found in many bodies: of 300 bodies, dozens hold each pair.
void GeneratorTest::commonPhrase_rareThoughItsPairsAreCommon()
{
    QFETCH(QString, word);
    QFETCH(int, fewest);
    QFETCH(int, most);
    auto connection = OpenSharedConnection(m_collections.value(u"300 scraps"_s));
    Query count(*connection, u"SELECT count(*) FROM MEMO_DAT WHERE instr(a01, ?) > 0"_s);
    count.bind(1, word);
    QVERIFY(count.next());
    QVERIFY2(count.integer(0) >= fewest && count.integer(0) <= most, qPrintable(QString::number(count.integer(0))));
}

void GeneratorTest::optionsOutOfRange_refusedWithoutFile_data()
{
    QTest::addColumn<int>("scraps");
    QTest::addColumn<qint64>("firstNumber");

    QTest::newRow("negative count") << -1 << qint64(1);
    QTest::newRow("more than a million") << kMaxGeneratedScraps + 1 << qint64(1);
    QTest::newRow("first number 0") << 10 << qint64(0);
    QTest::newRow("numbers past what a sheet holds exactly") << 10 << (qint64(1) << 53);
}

void GeneratorTest::optionsOutOfRange_refusedWithoutFile()
{
    QFETCH(int, scraps);
    QFETCH(qint64, firstNumber);
    const QString path = m_folder.path(u"refused.mdb"_s);
    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error,
        generateCollection(path, {.scraps = scraps, .seed = 1, .firstNumber = firstNumber, .progress = {}}));
    QVERIFY(!QFileInfo::exists(path));
}
