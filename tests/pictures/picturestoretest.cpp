#include "picturestoretest.h"

#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "pictures/pictureimage.h"
#include "pictures/picturestore.h"
#include "testcollection.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

QSize sizeOf(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).size();
}

// A collection with one scrap (DocNo 1) whose picture set number is skID.
struct PictureFixture {
    TestFolder folder;
    std::unique_ptr<Connection> db;
    qint64 scrapRowid = 0;

    explicit PictureFixture(int skID = 0)
        : db(Connection::openExisting(folder.newCollection()))
    {
        TestScrap scrap;
        scrap.title = u"記事"_s;
        scrap.docNo = 1;
        scrap.pfID = 1;
        scrap.skID = skID;
        addScrap(*db, scrap);
        scrapRowid = scalar(*db, u"SELECT rowid FROM MEMO_IDX"_s);
    }
    qint64 number(const QString& sql) const { return scalar(*db, sql); }
    // The scrap as a window holding it knows it; the store reads its set number itself.
    ScrapIdentity scrap() const { return {scrapRowid, 1, 1, 0}; }
};

} // namespace

void PictureStoreTest::storableBytes_keepsJpegAndConvertsTheRest_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QByteArray>("kept"); // the bytes stored as they are; empty when converted

    const QByteArray jpeg = encodedPicture({64, 48}, "JPG");
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray progressive;
    QBuffer buffer(&progressive);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(picture));
    // A phone's motion photo: a video after the picture, whose bytes may hold anything, an end marker too.
    const QByteArray clip = QByteArray("\x00\x00\x00\x18"
                                       "ftypmp42",
                                       12) +
                            QByteArray("\xFF\xD9\xFF\xD8", 4) + QByteArray(300, 'v');
    QTest::newRow("JPEG: kept as it is") << jpeg << true << jpeg;
    QTest::newRow("progressive JPEG") << progressive << true << progressive;
    QTest::newRow("JPEG with a motion clip after it") << jpeg + clip << true << jpeg;
    QTest::newRow("JPEG padded with zeros") << jpeg + QByteArray(64, '\0') << true << jpeg;
    QTest::newRow("PNG: a JPEG of the same size") << encodedPicture({64, 48}, "PNG") << true << QByteArray();
    QTest::newRow("BMP: a JPEG of the same size") << encodedPicture({64, 48}, "BMP") << true << QByteArray();
    QTest::newRow("truncated JPEG") << jpeg.left(jpeg.size() / 2) << false << QByteArray();
    QTest::newRow("JPEG cut before its last two bytes") << jpeg.chopped(2) << false << QByteArray();
    QTest::newRow("a text file") << "これは画像ではありません"_ba << false << QByteArray();
    QTest::newRow("nothing") << QByteArray() << false << QByteArray();
}

void PictureStoreTest::storableBytes_keepsJpegAndConvertsTheRest()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, stored);
    QFETCH(QByteArray, kept);

    const std::optional<QByteArray> bytes = storableBytes(file);
    QCOMPARE(bytes.has_value(), stored);
    if (!stored)
        return;
    if (kept.isEmpty())
        QVERIFY(*bytes != file);
    else
        QCOMPARE(*bytes, kept);
    QVERIFY(sizeOf(*bytes).width() == 64 && sizeOf(*bytes).height() == 48);
    QVERIFY(bytes->startsWith("\xFF\xD8\xFF"));
}

void PictureStoreTest::decodeToFit_keepsProportions_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("bounds");
    QTest::addColumn<QSize>("shown");

    QTest::newRow("landscape") << QSize(400, 200) << QSize(100, 100) << QSize(100, 50);
    QTest::newRow("portrait") << QSize(200, 400) << QSize(100, 100) << QSize(50, 100);
    QTest::newRow("tiny keeps its size") << QSize(10, 8) << QSize(100, 100) << QSize(10, 8);
}

void PictureStoreTest::decodeToFit_keepsProportions()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, bounds);
    QFETCH(QSize, shown);
    QCOMPARE(decodeToFit(encodedPicture(picture, "JPG"), bounds).size(), shown);
    QVERIFY(decodeToFit("kein Bild"_ba, bounds).isNull());
}

void PictureStoreTest::attach_takesANumberOnlyForTheFirstPicture_data()
{
    QTest::addColumn<int>("skID");
    QTest::addColumn<QString>("refuse");
    QTest::addColumn<int>("skIDAfter");
    QTest::addColumn<qint64>("counterAfter");
    QTest::addColumn<QString>("reason"); // told to the user

    QTest::newRow("first picture: new set 1") << 0 << QString() << 1 << 1LL << QString();
    QTest::newRow("another picture: same set") << 5 << QString() << 5 << 0LL << QString();
    // The number, the scrap and the row go together or not at all.
    QTest::newRow("row refused")
        << 0 << u"CREATE TRIGGER t BEFORE INSERT ON PHOTO_DRA BEGIN SELECT RAISE(ABORT, 'no'); END"_s << 0 << 0LL
        << u"値がデータベースの決まりに合いません。"_s;
    QTest::newRow("numbers used up") << 0 << u"UPDATE IDno SET skID = 9223372036854775807"_s << 0
                                     << std::numeric_limits<qint64>::max() << kNumbersUsedUp;
    // A window kept open on a deleted scrap whose index row a later scrap took.
    const QString rowTaken = u"UPDATE MEMO_IDX SET DocNo = 2"_s;
    const QString kScrapGone = u"対象のスクラップが見つかりません（他の操作で削除された可能性があります）。"_s;
    QTest::newRow("row taken by another scrap, no set") << 0 << rowTaken << 0 << 0LL << kScrapGone;
    QTest::newRow("row taken by another scrap with a set") << 5 << rowTaken << 5 << 0LL << kScrapGone;
}

void PictureStoreTest::attach_takesANumberOnlyForTheFirstPicture()
{
    QFETCH(int, skID);
    QFETCH(QString, refuse);
    QFETCH(int, skIDAfter);
    QFETCH(qint64, counterAfter);
    QFETCH(QString, reason);
    PictureFixture f(skID);
    if (!refuse.isEmpty())
        f.db->execute(refuse);
    const QByteArray jpeg = encodedPicture({8, 8}, "JPG");
    const QString longCaption = QString(kCaptionLength - 1, u'説') + u"😀"_s.repeated(20);

    bool thrown = false;
    try {
        QCOMPARE(AttachPicture(*f.db, f.scrap(), longCaption, jpeg), qint64(skIDAfter));
    } catch (const DbError& e) {
        thrown = true;
        QCOMPARE(e.reason(), reason);
    }

    QCOMPARE(thrown, !refuse.isEmpty());
    QCOMPARE(f.number(u"SELECT skID FROM MEMO_IDX"_s), skIDAfter);
    QCOMPARE(f.number(u"SELECT skID FROM IDno"_s), counterAfter);
    const QList<PictureEntry> pictures = ListPictures(*f.db, qint64(skIDAfter));
    QCOMPARE(pictures.size(), thrown ? 0 : 1);
    if (!thrown) {
        // Cut to its column's 255 characters, an emoji counting as one.
        QCOMPARE(pictures[0].caption, QString(kCaptionLength - 1, u'説') + u"😀"_s);
        QCOMPARE(PictureBytes(*f.db, pictures[0].rowid), std::optional<QByteArray>(jpeg));
    }
}

void PictureStoreTest::deletingTheLastPicture_clearsTheScrapsSet()
{
    PictureFixture f;
    const QByteArray jpeg = encodedPicture({8, 8}, "JPG");
    const qint64 set = AttachPicture(*f.db, f.scrap(), u"一枚目"_s, jpeg);
    AttachPicture(*f.db, f.scrap(), u"二枚目"_s, jpeg);
    const QList<PictureEntry> pictures = ListPictures(*f.db, set);
    QCOMPARE(pictures.size(), 2);

    QCOMPARE(DeletePicture(*f.db, f.scrap(), pictures[0].rowid), set);
    QCOMPARE(f.number(u"SELECT skID FROM MEMO_IDX"_s), set);
    QCOMPARE(DeletePicture(*f.db, f.scrap(), pictures[1].rowid), qint64(0));
    QCOMPARE(f.number(u"SELECT skID FROM MEMO_IDX"_s), 0);
    QCOMPARE(f.number(u"SELECT count(*) FROM PHOTO_DRA"_s), 0);
}
