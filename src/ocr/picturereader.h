#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Reads the text of the open collection's pictures beside the window: pictures waiting when the file opened, newest
// first, and each new one as soon as it is stored (seen through the file's data version). It works on a connection
// of its own and runs the engine in a child process; it holds off while the user types or clicks, so the window
// never waits. Only for a collection that was checked and may be written.
class PictureReader final : public QObject {
    Q_OBJECT
public:
    struct Job {
        QString path{};
        // The program run with --recognise-pictures.
        QString program{};
        // A picture the engine has not read in this long is given up.
        int timeoutMs = 180000;
        // Nothing is read for this long after the start, so the window's first moments have the machine.
        int startDelayMs = 0;
    };

    explicit PictureReader(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(PictureReader)
    ~PictureReader() override;

    // Starts on a file; stops what ran before.
    void start(Job job);
    void stop();
    // Look for new pictures now rather than at the next poll.
    void wake();
    // Held, it waits between pictures: a backup is started over by every write.
    void setHeld(bool held) { m_held = held; }
    bool isRunning() const { return m_running.load(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // Emitted from the worker; queued to the receivers. n of m pictures of this round are read.
    void progress(qint64 done, qint64 total);
    // Nothing waits any more (also after a round that read nothing).
    void settled();
    // The text of a picture of set skID was stored.
    void pictureRead(qint64 skID);

private:
    void run();
    bool userActive() const;
    void sleepFor(int ms);

    Job m_job;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_woken{false};
    // Milliseconds since the epoch until which the user counts as busy.
    std::atomic<qint64> m_quietFrom{0};
    std::atomic<bool> m_held{false};
    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
};
