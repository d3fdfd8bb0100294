#include "importprocess.h"

#include "importcommand.h"
#include "legacyimport.h"
#include "legacyimportlog.h"

#include <QFile>
#include <QProcessEnvironment>

ImportProcess::ImportProcess(QString program, QObject* parent)
    : QObject(parent)
    , m_program(std::move(program))
{
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ImportProcess::readOutput);
    connect(&m_process, &QProcess::finished, this, &ImportProcess::onFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            qCWarning(lcLegacyImport) << "cannot start" << m_program << m_process.errorString();
            Q_EMIT finished(Failure{QStringLiteral("取り込みを始められませんでした。"),
                                    QStringLiteral("変換に使うプログラムを起動できません：") + m_program});
        }
    });
}

ImportProcess::~ImportProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
        removePartial();
    }
}

void ImportProcess::start(const QString& oldPath, const QString& newPath)
{
    m_newPath = newPath;
    m_report.clear();
    m_pending.clear();
    m_cancelled = false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(LegacyImport::kProgressVariable), QStringLiteral("1"));
    m_process.setProcessEnvironment(environment);
    m_process.start(m_program, {QStringLiteral("--import"), oldPath, newPath});
}

void ImportProcess::cancel()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_cancelled = true;
    m_process.kill();
}

void ImportProcess::readOutput()
{
    m_pending += m_process.readAllStandardOutput();
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QString line = QString::fromUtf8(m_pending.left(end));
        m_pending.remove(0, end + 1);
        if (line.startsWith(QLatin1StringView(LegacyImport::kProgressPrefix))) {
            const QStringList parts = line.mid(qsizetype(qstrlen(LegacyImport::kProgressPrefix))).split(u'\t');
            if (parts.size() == 2)
                Q_EMIT progressed(parts.at(0), parts.at(1).toLongLong());
        } else {
            m_report << line;
        }
    }
}

void ImportProcess::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readOutput();
    // A cancel that came as the import ended finds the file complete: it is told as made, since it stays.
    if (status == QProcess::NormalExit && exitCode == 0) {
        Q_EMIT finished(m_report.join(u'\n'));
    } else if (m_cancelled) {
        // Only a child killed half way leaves its partial file; one that refused (another import holds the name)
        // made none, and the files there are that other import's.
        if (status == QProcess::CrashExit)
            removePartial();
        Q_EMIT finished(Failure{LegacyImport::kCancelled});
    } else if (status == QProcess::NormalExit && exitCode == 1) {
        // The command's own message is its last line; the reading library may write lines of its own before it.
        const QString written = QString::fromUtf8(m_process.readAllStandardError()).trimmed();
        qCWarning(lcLegacyImport).noquote() << "the import refused the file:" << written;
        Q_EMIT finished(Failure{written.section(u'\n', -1)});
    } else {
        // A crash of the child on a damaged file: whatever it began to write goes.
        qCWarning(lcLegacyImport) << "the import stopped abnormally:" << status << exitCode
                                  << m_process.readAllStandardError();
        removePartial();
        Q_EMIT finished(Failure{QStringLiteral("取り込み中に変換処理が異常終了しました。"),
                                QStringLiteral("ファイルが壊れている可能性があります。")});
    }
}

void ImportProcess::removePartial() const
{
    // The child killed: its lock on the partial file is left behind with them.
    for (const char* suffix : {".partial", ".partial-journal", ".partial.lock"})
        QFile::remove(m_newPath + QLatin1StringView(suffix));
}
