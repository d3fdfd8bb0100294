#include "benchops.h"
#include "collectiongenerator.h"
#include "common/toolbarbuttons.h"
#include "database/connection.h"
#include "database/query.h"
#include "database/transaction.h"
#include "listingwindow.h"
#include "pictures/picturearea.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTimer>
#include <QToolBar>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

constexpr int kPictureWidth = 4000; // 12 megapixels, as a phone or a compact camera takes them
constexpr int kPictureHeight = 3000;
constexpr int kPicturesOfScrap = 3;
constexpr int kShowRounds = 5;
constexpr int kStores = 8;
constexpr int kPaintWaitMs = 5000;

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Gradients, rings and noise: a flat picture would compress to nothing and decode far faster than a photograph.
QImage busyPicture(int variant)
{
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QRandomGenerator random(quint32(20261208 + variant));
    for (int y = 0; y < kPictureHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPictureWidth; ++x) {
            const quint32 noise = random.generate();
            const int r = x * 255 / kPictureWidth + int(noise & 15) - 8;
            const int g = y * 255 / kPictureHeight + int((noise >> 4) & 15) - 8;
            const int dx = x - kPictureWidth / (2 + variant), dy = y - kPictureHeight / 2;
            const int b = ((dx * dx + dy * dy) >> (9 + variant)) % 200 + int((noise >> 8) & 31);
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

QByteArray jpegOf(const QImage& image)
{
    return encodeJpeg(image, 90);
}

// Notes what the picture area last painted, whichever pictures window it belongs to.
class PaintWatch final : public QObject {
public:
    PaintWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    // Processes events until the area has painted a picture other than the one it painted last.
    void waitForNewPicture()
    {
        const qint64 before = m_paintedKey;
        bool timedOut = false;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [&timedOut] { timedOut = true; });
        limit.start(kPaintWaitMs);
        while ((m_paintedKey == before || m_paintedKey == 0) && !timedOut)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (timedOut)
            throw std::runtime_error("the pictures window never painted its picture");
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String("imk")) {
            if (const auto* area = qobject_cast<PictureArea*>(watched); area && !area->shownImage().isNull()) {
                m_paintedKey = area->shownImage().cacheKey();
                areaSize = area->size();
                pictureSize = area->shownImage().size();
            }
        }
        return false;
    }

public:
    // The size of the area and of the picture it painted last.
    QSize areaSize;
    QSize pictureSize;

private:
    qint64 m_paintedKey = 0;
};

// The main window's pictures window that is open now; a closed one may linger until its deferred deletion.
QWidget& picturesWindow(ListingWindow& listing)
{
    for (QWidget* window : listing.window->findChildren<QWidget*>(QStringLiteral("Form5"))) {
        if (window->isVisible())
            return *window;
    }
    throw std::runtime_error("the pictures window did not open");
}

void pressInPictures(ListingWindow& listing, const char* key)
{
    const auto* toolbar = picturesWindow(listing).findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    QAction* action = toolbar ? findToolbarButton(toolbar, QString::fromLatin1(key)) : nullptr;
    if (!action)
        throw std::runtime_error(std::string("the pictures window has no button ") + key);
    action->trigger();
}

void closePictures(ListingWindow& listing)
{
    pressInPictures(listing, "quit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The scrap shown by pressing the first row of the listing of every scrap.
qint64 firstListedScrap(sqlite3* handle)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, "SELECT rowid FROM MEMO_IDX ORDER BY LevNo, DocNo LIMIT 1", -1, &statement, nullptr);
    const qint64 rowid = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    sqlite3_finalize(statement);
    if (rowid == 0)
        throw std::runtime_error("the collection has no scraps");
    return rowid;
}

// The three photographs, stored once as a new picture set of the first listed scrap.
struct ShownScrap {
    qint64 skID = 0;
    std::array<qint64, kPicturesOfScrap> pictureRowids{};
};

const ShownScrap& shownScrap(BenchContext& context)
{
    static ShownScrap scrap;
    if (scrap.skID != 0)
        return scrap;
    Connection& connection = *listingWindowOf(context).session.connection();
    const qint64 scrapRowid = firstListedScrap(context.bare);
    std::array<QByteArray, kPicturesOfScrap> jpegs;
    for (int i = 0; i < kPicturesOfScrap; ++i)
        jpegs[i] = jpegOf(busyPicture(i));
    Transaction transaction(connection);
    Query(connection, QStringLiteral("UPDATE IDno SET skID = skID + 1")).run();
    Query counter(connection, QStringLiteral("SELECT skID FROM IDno"));
    if (!counter.next())
        throw std::runtime_error("the collection has no counter row");
    scrap.skID = qint64(counter.integer(0));
    Query(connection, QStringLiteral("UPDATE MEMO_IDX SET skID = ? WHERE rowid = ?"))
        .bind(1, qint64(scrap.skID))
        .bind(2, scrapRowid)
        .run();
    for (int i = 0; i < kPicturesOfScrap; ++i) {
        Query(connection, QStringLiteral("INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, ?, ?)"))
            .bind(1, qint64(scrap.skID))
            .bind(2, QStringLiteral("ベンチマーク写真%1").arg(i + 1))
            .bind(3, jpegs[i])
            .run();
        scrap.pictureRowids[i] = connection.lastInsertRowid();
    }
    transaction.commit();
    std::fprintf(stderr, "picture_show: three JPEGs of %lld, %lld and %lld bytes\n", qlonglong(jpegs[0].size()),
                 qlonglong(jpegs[1].size()), qlonglong(jpegs[2].size()));
    return scrap;
}

// One round: the pictures window opened from record view with its first picture, then a step to each other one.
void showRound(ListingWindow& listing, PaintWatch& watch, std::vector<double>* opens, std::vector<double>* steps)
{
    QElapsedTimer timer;
    timer.start();
    listing.press("drawMEMO2");
    watch.waitForNewPicture();
    if (opens)
        opens->push_back(elapsedMs(timer));
    for (int i = 1; i < kPicturesOfScrap; ++i) {
        timer.start();
        pressInPictures(listing, "next");
        watch.waitForNewPicture();
        if (steps)
            steps->push_back(elapsedMs(timer));
    }
    closePictures(listing);
}

// Each picture shown in the pictures window, until the picture area has painted it: the window's opening with its
// first picture, and each step to the next one.
std::vector<double> showItems(BenchContext& context)
{
    const ShownScrap& scrap = shownScrap(context);
    ListingWindow& listing = listingWindowOf(context);
    listing.listRow(1);
    listing.pressListRow(1);
    QCoreApplication::processEvents();
    if (!listing.window->shownScrap() || listing.window->shownScrap()->skID != scrap.skID)
        throw std::runtime_error("record view does not show the scrap with the pictures");
    PaintWatch watch;
    showRound(listing, watch, nullptr, nullptr); // warm-up: the JPEG plugin loads on first use
    std::vector<double> opens, steps;
    for (int round = 0; round < kShowRounds; ++round)
        showRound(listing, watch, &opens, &steps);
    std::vector<double> times = opens;
    times.insert(times.end(), steps.begin(), steps.end());
    std::sort(opens.begin(), opens.end());
    std::sort(steps.begin(), steps.end());
    std::fprintf(stderr,
                 "picture_show: opening with the first picture median %.2f ms, a step median %.2f ms; pictures "
                 "decoded to %dx%d for an area of %dx%d px\n",
                 opens[opens.size() / 2], steps[steps.size() / 2], watch.pictureSize.width(),
                 watch.pictureSize.height(), watch.areaSize.width(), watch.areaSize.height());
    listing.press("Back2Search");
    return times;
}

// The same pictures' bytes read bare, as many times and in the same order.
std::vector<double> showBareItems(BenchContext& context)
{
    const ShownScrap& scrap = shownScrap(context);
    std::vector<double> times;
    QElapsedTimer timer;
    for (int round = 0; round < kShowRounds; ++round) {
        for (qint64 rowid : scrap.pictureRowids) {
            timer.start();
            if (bareStepAll(context.bare, "SELECT a02 FROM PHOTO_DRA WHERE rowid = ?", {QByteArray::number(rowid)}) !=
                1)
                throw std::runtime_error("a stored picture is missing");
            times.push_back(elapsedMs(timer));
        }
    }
    return times;
}

const QImage& clipboardPicture()
{
    static const QImage image = busyPicture(kPicturesOfScrap);
    return image;
}

// The clipboard here holds the image itself; a PNG copied in another program is decoded on the way in, untimed.
void notePngDecoding(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(image))
        return;
    QElapsedTimer timer;
    timer.start();
    const QImage decoded = QImage::fromData(png, "PNG");
    std::fprintf(stderr, "picture_store: decoding the picture from its %lld PNG bytes would add %.2f ms a paste\n",
                 qlonglong(png.size()), decoded.isNull() ? 0.0 : elapsedMs(timer));
}

qint64 picturesOfSet(sqlite3* handle, qint64 skID)
{
    return bareStepAll(handle, "SELECT rowid FROM PHOTO_DRA WHERE skID = ?", {QByteArray::number(skID)});
}

// Pasting a copied 12-megapixel picture into the pictures window of the second listed scrap and storing it: the
// paste (made JPEG and shown, until painted) and the press on "登録" (stored in one transaction).
std::vector<double> storeItems(BenchContext& context)
{
    ListingWindow& listing = listingWindowOf(context);
    listing.listRow(1);
    listing.pressListRow(2);
    QCoreApplication::processEvents();
    listing.press("drawMEMO2");
    QCoreApplication::processEvents();
    pressInPictures(listing, "RecMode");
    const std::optional<ScrapIdentity> shown = listing.window->shownScrap();
    const qint64 before = shown && shown->skID != 0 ? picturesOfSet(context.bare, shown->skID) : 0;
    PaintWatch watch;
    const QImage& image = clipboardPicture();
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i <= kStores; ++i) {
        QGuiApplication::clipboard()->setImage(image);
        timer.start();
        pressInPictures(listing, "PastPic");
        watch.waitForNewPicture();
        pressInPictures(listing, "record");
        if (i > 0) // the first one is a warm-up
            times.push_back(elapsedMs(timer));
    }
    closePictures(listing);
    const std::optional<ScrapIdentity> scrap = listing.window->shownScrap();
    if (!scrap || scrap->skID == 0 || picturesOfSet(context.bare, scrap->skID) != before + kStores + 1)
        throw std::runtime_error("the pasted pictures were not stored");
    listing.press("Back2Search");
    notePngDecoding(image);
    return times;
}

void bareExec(sqlite3* handle, const char* sql)
{
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("bare write failed: ") + sqlite3_errmsg(handle));
}

// The same picture made JPEG by Qt's writer and inserted by plain SQLite on a handle of its own, as durably as the
// program writes; the rows are deleted again afterwards.
std::vector<double> storeBareItems(BenchContext& context)
{
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(context.path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the collection for the bare writes");
    sqlite3_busy_timeout(handle, 2000);
    bareExec(handle, "PRAGMA synchronous = FULL");
    const QImage& image = clipboardPicture();
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kStores; ++i) {
        timer.start();
        const QByteArray jpeg = jpegOf(image);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(handle, "INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (0, 'bare', ?)", -1, &insert,
                           nullptr);
        sqlite3_bind_blob(insert, 1, jpeg.constData(), int(jpeg.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(insert);
        sqlite3_finalize(insert);
        times.push_back(elapsedMs(timer));
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string("bare insert failed: ") + sqlite3_errmsg(handle));
    }
    bareExec(handle, "DELETE FROM PHOTO_DRA WHERE skID = 0 AND a01 = 'bare'");
    sqlite3_close(handle);
    return times;
}

} // namespace

void registerPictureOps(BenchRegistry& registry)
{
    // Both write: picture_show stores its pictures into the collection first.
    registry.push_back(itemsOp(QStringLiteral("picture_show"), showItems, showBareItems, true));
    registry.push_back(itemsOp(QStringLiteral("picture_store"), storeItems, storeBareItems, true));
}
