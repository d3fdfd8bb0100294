#pragma once

#include "common/result.h"

#include <QObject>
#include <QProcess>
#include <QString>

// Runs `zettora --import` as a child process: libmdb trusts what it reads, so a hostile file may crash the child
// but never the window or its open collection.
class ImportProcess final : public QObject {
    Q_OBJECT
public:
    ImportProcess(QString program, QObject* parent = nullptr);
    ~ImportProcess() override;

    void start(const QString& oldPath, const QString& newPath);
    // Stops the child and removes what it had begun to write; finished() follows.
    void cancel();

Q_SIGNALS:
    void progressed(const QString& table, qint64 rows);
    // The child's report, or why there is none.
    void finished(const Result<QString>& report);

private:
    void readOutput();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void removePartial() const;

    QString m_program;
    QString m_newPath;
    QProcess m_process;
    QByteArray m_pending;
    QStringList m_report;
    bool m_cancelled = false;
};
