#include "picturereader.h"

#include "database/connection.h"
#include "database/dberror.h"
#include "database/query.h"
#include "ocrlog.h"
#include "picturetext.h"
#include "recognitionprocess.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>

#include <sqlite3.h>

#include <chrono>

namespace {

constexpr int kBatch = 32;
constexpr int kPollMs = 500;
constexpr int kRetryAfterFailureMs = 60000;
// The user counts as busy this long after a key or a click.
constexpr qint64 kQuietMs = 1500;

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

qint64 dataVersion(Connection& connection)
{
    Query query(connection, QStringLiteral("PRAGMA data_version"));
    return query.next() ? query.integer(0) : 0;
}

} // namespace

PictureReader::PictureReader(QObject* parent)
    : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

PictureReader::~PictureReader()
{
    stop();
}

bool PictureReader::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::InputMethod:
        m_quietFrom = now() + kQuietMs;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool PictureReader::userActive() const
{
    return now() < m_quietFrom.load() || m_held.load();
}

void PictureReader::start(Job job)
{
    stop();
    m_job = std::move(job);
    m_running = true;
    m_worker = std::thread([this] { run(); });
}

void PictureReader::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wakeUp.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    m_stop = false;
    m_running = false;
}

void PictureReader::wake()
{
    {
        const std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wakeUp.notify_all();
}

void PictureReader::sleepFor(int ms)
{
    std::unique_lock lock(m_mutex);
    m_wakeUp.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop.load() || m_woken.load(); });
    m_woken = false;
}

void PictureReader::run()
{
    std::unique_ptr<Connection> connection;
    const QString engine = Ocr::engineVersion();
    RecognitionProcess process(m_job.program, m_job.timeoutMs);
    const auto wish = [this] {
        if (m_stop.load())
            return RecognitionProcess::Wish::Stop;
        return userActive() ? RecognitionProcess::Wish::Pause : RecognitionProcess::Wish::Go;
    };
    qint64 seenVersion = -1;
    bool announced = true;
    bool toldOtherVersion = false;
    if (m_job.startDelayMs > 0) {
        std::unique_lock lock(m_mutex);
        m_wakeUp.wait_for(lock, std::chrono::milliseconds(m_job.startDelayMs), [this] { return m_stop.load(); });
    }
    while (!m_stop.load()) {
        try {
            if (!connection) {
                connection = Connection::openExisting(m_job.path);
                PictureText::ensureTables(*connection);
            }
            const qint64 version = dataVersion(*connection);
            if (version == seenVersion) {
                sleepFor(kPollMs);
                seenVersion = m_woken.exchange(false) ? -1 : seenVersion;
                continue;
            }
            seenVersion = version;
            if (!PictureText::isEnabled(*connection)) {
                if (!announced)
                    Q_EMIT settled();
                announced = true;
                continue;
            }
            qint64 done = 0;
            qint64 total = PictureText::pendingCount(*connection, engine);
            QList<PictureText::Pending> batch = PictureText::pending(*connection, engine, kBatch);
            if (!batch.isEmpty())
                announced = false;
            bool unavailable = false;
            bool turnedOff = false;
            while (!batch.isEmpty() && !m_stop.load()) {
                Q_EMIT progress(done, total);
                const qint64 before = done;
                for (const PictureText::Pending& picture : std::as_const(batch)) {
                    while (userActive() && !m_stop.load())
                        sleepFor(kPollMs / 5);
                    // Turned off by the user, the reader stops after the picture in hand, not at the round's end.
                    turnedOff = !m_stop.load() && !PictureText::isEnabled(*connection);
                    if (m_stop.load() || turnedOff)
                        break;
                    const std::optional<QByteArray> bytes = PictureText::bytesOf(*connection, picture);
                    if (!bytes)
                        continue;
                    Result<Recognition> reading = process.recognise(*bytes, wish);
                    // A failure while the program stops is the stop's, not the picture's.
                    if (!reading &&
                        (m_stop.load() || reading.failure().detail == QLatin1StringView(RecognitionProcess::kStopped)))
                        break;
                    // Nothing is held against the pictures: they wait for a round in which the reader runs.
                    if (!reading && reading.failure().detail == QLatin1StringView(RecognitionProcess::kUnavailable)) {
                        unavailable = true;
                        break;
                    }
                    if (reading && reading->engine != engine) {
                        // A reader program of another version (an upgrade half done): its reading stands for this
                        // version's, or the picture would be read again in every round without end.
                        if (!toldOtherVersion)
                            qCWarning(lcOcr)
                                << "the picture reader reports" << reading->engine << "instead of" << engine;
                        toldOtherVersion = true;
                        reading->engine = engine;
                    }
                    if (!reading)
                        qCWarning(lcOcr) << "picture" << picture.rowid << "of set" << picture.skID
                                         << "skipped:" << reading.failure().why << reading.failure().detail;
                    if (PictureText::store(*connection, picture, reading) && reading)
                        Q_EMIT pictureRead(picture.skID);
                    ++done;
                    Q_EMIT progress(done, std::max(done, total));
                }
                // Pictures that changed while listed are taken up in the next round, not looked at again now.
                if (m_stop.load() || unavailable || turnedOff || done == before)
                    break;
                // Pictures stored meanwhile join this round.
                total = done + PictureText::pendingCount(*connection, engine);
                batch = PictureText::pending(*connection, engine, kBatch);
            }
            seenVersion = dataVersion(*connection);
            if (!announced && !m_stop.load()) {
                announced = true;
                Q_EMIT settled();
            }
        } catch (const DbError& e) {
            if (m_stop.load())
                break;
            if (e.code() != SQLITE_BUSY && e.code() != SQLITE_LOCKED) {
                qCWarning(lcOcr) << "the pictures of" << m_job.path << "cannot be read:" << e.message();
                // A full disk may be emptied, a medium made writable again, while the program runs: the reader
                // tries again on a fresh connection after a while. Any other failure stays, and ends the reader.
                const int primary = e.code() & 0xff;
                if (primary != SQLITE_FULL && primary != SQLITE_IOERR && primary != SQLITE_READONLY)
                    break;
                connection.reset();
                seenVersion = -1;
                sleepFor(kRetryAfterFailureMs);
                continue;
            }
            sleepFor(kPollMs);
        }
    }
    // A round that ends on a failure or a stop is over too: nothing may show it going on.
    if (!announced)
        Q_EMIT settled();
    m_running = false;
}
