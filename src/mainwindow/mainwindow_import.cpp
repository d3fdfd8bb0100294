// Bringing an old Access collection in: the files asked for, the conversion in a child process, its report.
#include "common/helptopics.h"
#include "common/userdialogs.h"
#include "database/creation.h"
#include "legacyimport/importprocess.h"
#include "legacyimport/importwindows.h"
#include "mainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kImportTitle = QStringLiteral("旧形式のZettoraを取り込む");

} // namespace

// Jet and ACE files name their format in the first page's header.
bool looksLikeAccessFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.size() >= 19 && (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

void MainWindow::ImportOldCollection()
{
    const std::optional<QString> path = m_dialogs.openFile(kImportTitle, QStringLiteral("Access (*.mdb)"));
    if (path)
        importFrom(*path);
}

void MainWindow::importFrom(const QString& oldPath)
{
    const QFileInfo old(oldPath);
    const QString proposal = old.absoluteDir().filePath(old.completeBaseName() + QStringLiteral("（変換）.mdb"));
    const std::optional<QString> answer =
        m_dialogs.saveFile(QStringLiteral("変換したZettoraの保存先"), QStringLiteral("Database (*.mdb)"), proposal);
    if (!answer)
        return;
    const QString target = QFileInfo(withDatabaseExtension(*answer)).absoluteFilePath();
    if (QFileInfo::exists(target)) {
        m_dialogs.critical(QStringLiteral("同じ名前のファイルがあります。別の名前を指定してください。"));
        return;
    }
    const QString program =
        m_options.importProgram.isEmpty() ? QCoreApplication::applicationFilePath() : m_options.importProgram;
    ImportProcess process(program);
    ImportProgressWindow progress(oldPath, this);
    giveHelpKey(&progress, HelpTopic::kImport);
    ImportProcess::Outcome outcome;
    QEventLoop loop;
    connect(&process, &ImportProcess::progressed, &progress, &ImportProgressWindow::showProgress);
    connect(&progress, &ImportProgressWindow::cancelRequested, &process, &ImportProcess::cancel);
    connect(&process, &ImportProcess::finished, &loop, [&](const ImportProcess::Outcome& result) {
        outcome = result;
        loop.quit();
    });
    process.start(old.absoluteFilePath(), target);
    progress.show();
    loop.exec();
    progress.hide();
    if (!outcome.done) {
        m_dialogs.critical(outcome.message);
        return;
    }
    auto* report = new ImportReportWindow(outcome.report, this);
    giveHelpKey(report, HelpTopic::kImport);
    report->setAttribute(Qt::WA_DeleteOnClose);
    report->show();
    openDatabaseAt(target);
}
