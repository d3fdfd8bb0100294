#include "ocrtest.h"

#include "collection/collection.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "fakeuserdialogs.h"
#include "ocr/picturereader.h"
#include "ocr/picturetext.h"
#include "ocr/recognition.h"
#include "pictures/picturestore.h"
#include "savededition/savededitionwriter.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"
#include "search/bodysearch.h"
#include "testcollection.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPolygonF>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using DocNos = QList<int>;

namespace {

constexpr int kReadWithin = 240000;
constexpr int kScraps = 3;
constexpr int kTextPixels = 48;
constexpr int kLineStep = 90;
constexpr int kDotsPerMeter = 11811; // 300 dpi

// AcrossSpecked: lines across on a scan of a page's size, dark specks all over it. AcrossAskew: lines across, the
// picture turned by kAskewDegrees about its centre, as a clipping photographed askew.
enum class Layout { Across, Down, AcrossTurned, Mixed, AcrossSpecked, AcrossAskew };
constexpr double kAskewDegrees = 3;

QTransform turnedAbout(QSize size, double degrees)
{
    return QTransform()
        .translate(size.width() / 2.0, size.height() / 2.0)
        .rotate(degrees)
        .translate(-size.width() / 2.0, -size.height() / 2.0);
}

void drawAcross(QPainter& painter, const QStringList& lines, int top)
{
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(60, top + kLineStep * (i + 1), lines.at(i));
}

// Columns from the right, one character below the other, as a newspaper sets them.
void drawDown(QPainter& painter, const QStringList& columns, int top, int width)
{
    for (int i = 0; i < columns.size(); ++i) {
        const QString& column = columns.at(i);
        for (int c = 0; c < column.size(); ++c)
            painter.drawText(width - 120 - i * kLineStep, top + (c + 1) * (kTextPixels + 8), column.at(c));
    }
}

// A page of printed text at 300 dpi in IPA Gothic, as a JPEG.
QByteArray page(Layout layout, const QStringList& lines)
{
    const int longest = int(std::max_element(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
                                return a.size() < b.size();
                            })->size());
    const bool down = layout == Layout::Down;
    // Mixed: the first line a headline across, the others columns down below it.
    const bool mixed = layout == Layout::Mixed;
    int width = down ? 200 + int(lines.size()) * kLineStep : 160 + longest * (kTextPixels + 4);
    int height = down ? 160 + longest * (kTextPixels + 8) : 120 + int(lines.size()) * kLineStep;
    if (mixed) {
        width = std::max(160 + int(lines.first().size()) * (kTextPixels + 4), 200 + int(lines.size()) * kLineStep);
        height = 2 * kLineStep + 160 + longest * (kTextPixels + 8);
    }
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        QFont font(u"IPAGothic"_s);
        font.setPixelSize(kTextPixels);
        painter.setFont(font);
        painter.setPen(Qt::black);
        if (mixed) {
            drawAcross(painter, {lines.first()}, 0);
            drawDown(painter, lines.mid(1), 2 * kLineStep, image.width());
        } else if (down) {
            drawDown(painter, lines, 0, image.width());
        } else {
            drawAcross(painter, lines, 0);
        }
    }
    if (layout == Layout::AcrossTurned)
        image = image.transformed(QTransform().rotate(180));
    if (layout == Layout::AcrossAskew) {
        QImage askew(image.size(), QImage::Format_Grayscale8);
        askew.fill(255);
        QPainter painter(&askew);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(turnedAbout(image.size(), kAskewDegrees));
        painter.drawImage(0, 0, image);
        image = askew;
    }
    if (layout == Layout::AcrossSpecked) {
        QImage scan(std::max(1200, image.width() + 200), 1100, QImage::Format_Grayscale8);
        scan.fill(255);
        QPainter(&scan).drawImage(100, 400, image);
        QRandomGenerator random(11);
        for (int y = 0; y < scan.height(); ++y) {
            uchar* line = scan.scanLine(y);
            for (int x = 0; x < scan.width(); ++x)
                line[x] = random.bounded(1000U) < 3 ? uchar(random.bounded(96)) : line[x];
        }
        image = scan;
    }
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return bytes;
}

// Where the characters from..from+count of the line-th line stand on an AcrossAskew page of this size, with a few
// pixels' margin.
QPolygonF askewCharacters(QSize size, int line, int from, int count)
{
    constexpr int kMargin = 6;
    const QRectF upright(60 + from * kTextPixels, kLineStep * (line + 1) - kTextPixels, count * kTextPixels,
                         kTextPixels + 8);
    return turnedAbout(size, kAskewDegrees).map(QPolygonF(upright.adjusted(-kMargin, -kMargin, kMargin, kMargin)));
}

QByteArray plainPage()
{
    return page(Layout::Across, {u"政府は来年度の予算案を閣議決定した"_s});
}

QByteArray noise()
{
    QImage image(640, 480, QImage::Format_Grayscale8);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            line[x] = uchar(random.bounded(256));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

// A JPEG whose header claims 10,000 x 10,000 pixels.
QByteArray hugeHeader()
{
    QByteArray bytes = encodedPicture(QSize(16, 16), "JPG");
    const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame >= 0) {
        for (const qsizetype at : {frame + 5, frame + 7}) {
            bytes[at] = char(10000 >> 8);
            bytes[at + 1] = char(10000 & 0xFF);
        }
    }
    return bytes;
}

// A collection of three scraps without pictures ("記事1" to "記事3", bodies "本文1" to "本文3"), opened by the owner
// with the engine's child at hand.
struct OcrFixture {
    TestFolder folder;
    FakeUserDialogs dialogs;
    Session session;
    Collection collection;
    QString path = folder.newCollection();

    // The reader is this test program unless told otherwise.
    // The default timeout is far above a sanitized reading of a test page, far below the program's three minutes.
    explicit OcrFixture(const QString& reader = QCoreApplication::applicationFilePath(), int timeoutMs = 20000)
        : collection{
              session, dialogs, {.backups = false, .recognitionProgram = reader, .recognitionTimeoutMs = timeoutMs}}
    {
        auto connection = Connection::openExisting(path);
        for (int i = 1; i <= kScraps; ++i) {
            TestScrap scrap;
            scrap.title = u"記事%1"_s.arg(i);
            scrap.docNo = i;
            scrap.pfID = i;
            addScrap(*connection, scrap);
            addBody(*connection, i, u"本文%1"_s.arg(i));
        }
        connection->execute(u"UPDATE IDno SET DocNo = 3, pfID = 3"_s);
    }
    ~OcrFixture() { collection.close(); }

    bool open(const QString& file)
    {
        const Done opened = collection.open(file);
        if (!opened)
            qWarning() << opened.message();
        return opened.ok();
    }
    Connection& connection() const { return *session.connection(); }
    qint64 number(const QString& sql, qint64 value) const
    {
        Query query(connection(), sql);
        query.bind(1, value);
        return query.next() ? query.integer(0) : -1;
    }
    qint64 skIDOf(int docNo) const { return number(u"SELECT skID FROM MEMO_IDX WHERE DocNo = ?"_s, docNo); }
    qint64 attach(int docNo, const QByteArray& bytes) const
    {
        const qint64 rowid = number(u"SELECT rowid FROM MEMO_IDX WHERE DocNo = ?"_s, docNo);
        return AttachPicture(connection(), {rowid, docNo, 0, skIDOf(docNo)}, u"写真"_s, bytes);
    }
    // Rows of read text (or of reasons) for the scrap's pictures.
    qint64 readRows(int docNo) const
    {
        if (!connection().hasTable(u"zettora_picture_text"_s))
            return 0;
        return number(u"SELECT count(*) FROM zettora_picture_text WHERE skID = ? AND skID <> 0"_s, skIDOf(docNo));
    }
    QString problemOf(int docNo) const
    {
        Query query(connection(), u"SELECT coalesce(problem, '') FROM zettora_picture_text WHERE skID = ?"_s);
        query.bind(1, skIDOf(docNo));
        return query.next() ? query.text(0) : u"(no row)"_s;
    }
    void waitForIndex() const { QTRY_VERIFY_WITH_TIMEOUT(!collection.bodyIndexer()->isRunning(), kReadWithin); }
    // The scraps a body search lists, by the index and by reading every row; both must agree.
    DocNos listed(const QString& typed) const
    {
        DocNos byWay[2];
        int way = 0;
        for (const BodySearchWay how : {BodySearchWay::Index, BodySearchWay::Scan}) {
            if (how == BodySearchWay::Index && !collection.isIndexChecked())
                continue;
            // As the window asks it: a file never opened for writing has no table of picture text.
            const bool pictureText = connection().hasTable(u"zettora_picture_text"_s);
            auto set =
                ResultSet::open(connection(), BuildBodySearchQuery(parseBodySearch(typed), how,
                                                                   collection.indexSchema(), false, pictureText));
            for (int row = 0; row < set->recordCount(); ++row)
                byWay[way] << set->valueAt(row, set->fieldIndex(u"DocNo"_s)).toInt();
            ++way;
        }
        if (way == 2 && byWay[0] != byWay[1])
            qWarning() << "the index and the scan differ:" << byWay[0] << byWay[1];
        return way == 2 && byWay[0] != byWay[1] ? DocNos{-1} : byWay[0];
    }
};

} // namespace

void OcrTest::pictureWords_foundByBodySearch_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("lacking");  // a model the engine's data folder has not
    QTest::addColumn<QPolygonF>("wordOn"); // what the word's boxes must stand within, when it is known

    QTest::newRow("across") << page(Layout::Across, {u"政府は来年度の予算案を閣議決定した"_s}) << u"閣議決定"_s
                            << QString() << QPolygonF();
    QTest::newRow("down, a newspaper column") << page(Layout::Down, {u"地方への交付金を増やす"_s, u"見通しとなった"_s})
                                              << u"交付金"_s << QString() << QPolygonF();
    QTest::newRow("down, without the script's model")
        << page(Layout::Down, {u"地方への交付金を増やす"_s, u"見通しとなった"_s}) << u"交付金"_s << u"Japanese_vert"_s
        << QPolygonF();
    QTest::newRow("a scan with specks") << page(Layout::AcrossSpecked, {u"政府は来年度の予算案を閣議決定した"_s})
                                        << u"閣議決定"_s << QString() << QPolygonF();
    QTest::newRow("scanned upside down") << page(Layout::AcrossTurned, {u"新しい図書館が開館した"_s}) << u"図書館"_s
                                         << QString() << QPolygonF();
    QTest::newRow("mixed: a headline across, columns down")
        << page(Layout::Mixed, {u"新しい図書館が開館した"_s, u"地方への交付金を増やす"_s, u"見通しとなった"_s})
        << u"図書館 交付金"_s << QString() << QPolygonF();
    QTest::newRow("English, any case") << page(Layout::Across, {u"The budget was approved"_s}) << u"BUDGET"_s
                                       << QString() << QPolygonF();
    QTest::newRow("a picture word with a body word") << plainPage() << u"閣議 本文2"_s << QString() << QPolygonF();
    const QStringList askew{u"政府は十日の閣議で来年度予算案を決定した。一般会計の総額は"_s,
                            u"過去最大となり、社会保障費の伸びが続いている。地方自治体へ"_s,
                            u"の交付金も増額される見通しだ。財務省によると、税収は前年度"_s,
                            u"を上回る見込みで、新たな国債の発行額は三年ぶりに減る。一方"_s,
                            u"、防衛費は大幅に増え、子育て支援の財源をどう確保するかが国"_s,
                            u"会の焦点になりそうだ。野党は歳出の中身が不透明だとして追及"_s,
                            u"する構えを見せている。経済団体は賃上げの流れを止めないよう"_s,
                            u"求めた。駅前には新しい市立図書館が建てられることになった。"_s};
    const QByteArray askewPage = page(Layout::AcrossAskew, askew);
    QTest::newRow("photographed askew") << askewPage << u"図書館"_s << QString()
                                        << askewCharacters(QImage::fromData(askewPage).size(), 7,
                                                           int(askew.at(7).indexOf(u"図書館"_s)), 3);
}

void OcrTest::pictureWords_foundByBodySearch()
{
    QFETCH(QByteArray, picture);
    QFETCH(QString, typed);
    QFETCH(QString, lacking);
    QFETCH(QPolygonF, wordOn);
    // A data folder of links to every model but the one lacking, for the child that reads the pictures.
    const QByteArray dataFolder = qgetenv("TESSDATA_PREFIX");
    const auto restore = qScopeGuard([&] { qputenv("TESSDATA_PREFIX", dataFolder); });
    QTemporaryDir models;
    if (!lacking.isEmpty()) {
        const QDir real(Ocr::languageDataFolder());
        for (const QString& name : real.entryList({u"*.traineddata"_s}, QDir::Files)) {
            if (name != lacking + u".traineddata")
                QVERIFY(QFile::link(real.filePath(name), models.filePath(name)));
        }
        qputenv("TESSDATA_PREFIX", QFile::encodeName(models.path()));
    }
    OcrFixture f;
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    QCOMPARE(f.listed(typed), DocNos{});
    f.attach(2, picture);
    QTRY_COMPARE_WITH_TIMEOUT(f.readRows(2), 1, kReadWithin);
    QCOMPARE(f.problemOf(2), QString());
    // The text read is taken into the body index by its worker, not left to be compared row by row.
    QTRY_COMPARE_WITH_TIMEOUT(BodyIndex::pendingCount(f.connection(), f.collection.indexSchema()), 0, kReadWithin);
    f.waitForIndex();
    QCOMPARE(f.listed(typed), DocNos{2});
    // Record view names the picture, and the word's boxes stand on the picture.
    const auto holding = PictureText::firstHolding(f.connection(), f.skIDOf(2), parseBodySearch(typed));
    QVERIFY(holding);
    const QList<QRect> boxes =
        PictureText::boxesOf(PictureText::ofPicture(f.connection(), holding->rowid)->words, {holding->word});
    QVERIFY(!boxes.isEmpty());
    for (const QRect& box : boxes) {
        QVERIFY(QRect(QPoint(), QImage::fromData(picture).size()).contains(box));
        QVERIFY2(
            wordOn.isEmpty() || wordOn.containsPoint(QRectF(box).center(), Qt::OddEvenFill),
            qPrintable(
                u"a box off the word: %1,%2 %3x%4"_s.arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
    }
}

void OcrTest::removal_takesThePictureTextWithIt_data()
{
    QTest::addColumn<bool>("wholeScrap");
    QTest::newRow("the picture deleted") << false;
    QTest::newRow("its scrap deleted") << true;
}

void OcrTest::removal_takesThePictureTextWithIt()
{
    QFETCH(bool, wholeScrap);
    OcrFixture f;
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    const qint64 skID = f.attach(1, plainPage());
    QTRY_COMPARE_WITH_TIMEOUT(f.readRows(1), 1, kReadWithin);
    f.waitForIndex();
    QCOMPARE(f.listed(u"閣議決定"_s), DocNos{1});
    if (wholeScrap) {
        auto set = ResultSet::open(f.connection(), ResultSource::fromTable(u"MEMO_IDX"_s, u" WHERE DocNo = 1"_s));
        set->moveFirst();
        DeleteCurrentScrap(f.connection(), *set);
    } else {
        const qint64 picture = f.number(u"SELECT rowid FROM PHOTO_DRA WHERE skID = ?"_s, skID);
        DeletePicture(f.connection(), {f.number(u"SELECT rowid FROM MEMO_IDX WHERE DocNo = ?"_s, 1), 1, 0, skID},
                      picture);
    }
    QCOMPARE(f.number(u"SELECT count(*) FROM zettora_picture_text WHERE skID = ?"_s, skID), 0);
    QCOMPARE(f.listed(u"閣議決定"_s), DocNos{});
    // A new picture in the same set is read anew, not given the old one's text.
    if (!wholeScrap) {
        f.attach(1, page(Layout::Across, {u"新しい図書館が開館した"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(f.readRows(1), 1, kReadWithin);
        QCOMPARE(f.listed(u"図書館"_s), DocNos{1});
        QCOMPARE(f.listed(u"閣議決定"_s), DocNos{});
    }
}

void OcrTest::savedEdition_carriesTheTextAndReadsNothing()
{
    OcrFixture f;
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    f.attach(3, plainPage());
    QTRY_COMPARE_WITH_TIMEOUT(f.readRows(3), 1, kReadWithin);
    f.waitForIndex();
    const QString edition = f.folder.path(u"edition.mdb"_s);
    {
        auto listed = ResultSet::open(f.connection(), ResultSource::wholeTable(u"MEMO_IDX"_s));
        SavedEditionWriter writer;
        QVERIFY(writer.create(edition).ok());
        QVERIFY(writer.copy(f.connection(), *listed, {}).ok());
    }
    QVERIFY(f.open(edition));
    QVERIFY(f.session.isSavedEdition());
    f.waitForIndex();
    QCOMPARE(f.listed(u"閣議決定"_s), DocNos{3});
    // Pictures in an edition are never read: it is not written.
    QVERIFY(!f.collection.pictureReader()->isRunning());
}

void OcrTest::turnedOff_readsNothing()
{
    OcrFixture f;
    {
        auto connection = Connection::openExisting(f.path);
        PictureText::setEnabled(*connection, false);
    }
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    f.attach(1, plainPage());
    f.collection.pictureReader()->wake();
    QCOMPARE(f.readRows(1), 0);
    // Turned on again, the waiting picture is read: it had been left alone, not given up.
    PictureText::setEnabled(f.connection(), true);
    f.collection.pictureReader()->wake();
    QTRY_COMPARE_WITH_TIMEOUT(f.readRows(1), 1, kReadWithin);
    QCOMPARE(f.problemOf(1), QString());
}

void OcrTest::turnedOffWhileReading_stopsAfterThePictureInHand()
{
    // The first picture read hangs the engine until the timeout: the reader is turned off before or while it waits.
    OcrFixture f(QCoreApplication::applicationFilePath(), 2000);
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    QSignalSpy progress(f.collection.pictureReader(), &PictureReader::progress);
    QSignalSpy settled(f.collection.pictureReader(), &PictureReader::settled);
    f.attach(1, plainPage());
    f.attach(2, plainPage());
    f.attach(3, plainPage() + kHangMarker); // the newest, read first
    f.collection.pictureReader()->wake();
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), kReadWithin);

    QVERIFY(f.collection.setReadsPictureText(false).ok());

    QTRY_VERIFY_WITH_TIMEOUT(!settled.isEmpty(), kReadWithin);
    QCOMPARE(f.readRows(1) + f.readRows(2), 0);
}

void OcrTest::aReaderThatCannotRun_givesUpNoPicture_data()
{
    QTest::addColumn<QString>("reader");
    QTest::newRow("missing") << u"/nonexistent/zettora-ocr"_s;
    QTest::newRow("ends at once") << u"/bin/false"_s;
}

void OcrTest::aReaderThatCannotRun_givesUpNoPicture()
{
    QFETCH(QString, reader);
    OcrFixture f(reader);
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    QSignalSpy settled(f.collection.pictureReader(), &PictureReader::settled);
    f.attach(1, plainPage());
    f.collection.pictureReader()->wake();
    // Emitted on the reader's thread, it may come before wait() would start: count it instead.
    QTRY_VERIFY_WITH_TIMEOUT(!settled.isEmpty(), kReadWithin);
    QCOMPARE(f.readRows(1), 0);
    QCOMPARE(PictureText::pendingCount(f.connection(), Ocr::engineVersion()), 1);
}

void OcrTest::badPicture_skippedWithReasonAndWorkerGoesOn_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QString>("reason");

    QByteArray crashing = plainPage();
    crashing += kCrashMarker;
    QTest::newRow("empty") << QByteArray() << u"画像が空です。"_s;
    QTest::newRow("not a picture") << QByteArray("not a picture at all") << u"画像を読み込めません。"_s;
    QTest::newRow("100 megapixels") << hugeHeader() << u"画像が大きすぎます。"_s;
    QTest::newRow("crashes the engine") << crashing << u"この画像で文字認識の処理が異常終了しました。"_s;
    QTest::newRow("hangs the engine") << plainPage() + kHangMarker << u"この画像の文字認識が終わりませんでした。"_s;
    QTest::newRow("noise") << noise() << QString();
    QTest::newRow("damaged row, no picture bytes") << QByteArray() << u"(no row)"_s;
    QTest::newRow("read by a reader of another version")
        << page(Layout::Across, {u"別の版の読み手"_s}) + kOtherVersionMarker << QString();
}

void OcrTest::badPicture_skippedWithReasonAndWorkerGoesOn()
{
    QFETCH(QByteArray, picture);
    QFETCH(QString, reason);
    // The data folder without one model: another engine version to the child that switches to it.
    QTemporaryDir otherData;
    const QDir data(Ocr::languageDataFolder());
    for (const QString& name : data.entryList({u"*.traineddata"_s}, QDir::Files)) {
        if (name != u"Japanese_vert.traineddata"_s)
            QVERIFY(QFile::link(data.filePath(name), otherData.filePath(name)));
    }
    qputenv(kOtherDataVariable, QFile::encodeName(otherData.path()));
    OcrFixture f;
    if (reason == u"(no row)"_s) {
        auto connection = Connection::openExisting(f.path);
        connection->execute(u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (7, '壊れた行', NULL)"_s);
        connection->execute(u"UPDATE MEMO_IDX SET skID = 7 WHERE DocNo = 1"_s);
        connection->execute(u"UPDATE IDno SET skID = 7"_s);
    }
    QVERIFY(f.open(f.path));
    QTRY_VERIFY_WITH_TIMEOUT(f.collection.isWritable(), kReadWithin);
    if (reason != u"(no row)"_s)
        f.attach(1, picture);
    f.attach(2, plainPage());
    QTRY_COMPARE_WITH_TIMEOUT(f.readRows(2), 1, kReadWithin);
    QTRY_VERIFY_WITH_TIMEOUT(f.readRows(1) == 1 || reason == u"(no row)"_s, kReadWithin);
    QCOMPARE(f.problemOf(1), reason);
    QCOMPARE(f.problemOf(2), QString());
    // Nothing is left to be read again, round after round.
    QCOMPARE(PictureText::pendingCount(f.connection(), Ocr::engineVersion()), 0);
    f.waitForIndex();
    QCOMPARE(f.listed(u"閣議決定"_s), DocNos{2});
    // The rows of the scraps are as they were.
    QCOMPARE(f.number(u"SELECT count(*) FROM MEMO_IDX WHERE skID <> ?"_s, 0), 2);
}
