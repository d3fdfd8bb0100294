// Backups of the open collection: made on opening when due, on closing after changes and on request; restored as a
// new file beside the collection.
#include "backup/backupworker.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "mainwindow.h"
#include "mainwindowlog.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <sqlite3.h>

namespace {

constexpr int kStatusMessageMs = 15000;

// "frmRestore": the backups of the open collection, newest first; 復元 takes the chosen one.
class RestoreDialog final : public QDialog {
public:
    RestoreDialog(const QList<Backups::Entry>& entries, QWidget* parent)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("frmRestore"));
        setWindowTitle(QStringLiteral("バックアップから復元"));
        m_list = new QTableWidget(int(entries.size()), 3, this);
        m_list->setObjectName(QStringLiteral("lstBackups"));
        m_list->setHorizontalHeaderLabels(
            {QStringLiteral("日時"), QStringLiteral("スクラップ数"), QStringLiteral("サイズ")});
        m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->verticalHeader()->hide();
        const QLocale locale;
        for (int row = 0; row < entries.size(); ++row) {
            const Backups::Entry& e = entries[row];
            m_list->setItem(row, 0, new QTableWidgetItem(e.when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))));
            m_list->setItem(row, 1,
                            new QTableWidgetItem(e.scraps < 0 ? QStringLiteral("?") : QString::number(e.scraps)));
            m_list->setItem(row, 2, new QTableWidgetItem(locale.formattedDataSize(e.bytes)));
        }
        m_list->resizeColumnsToContents();
        if (!entries.isEmpty())
            m_list->selectRow(0);
        auto* restore = new QPushButton(QStringLiteral("復元"), this);
        restore->setObjectName(QStringLiteral("cmdRestore"));
        restore->setDefault(true);
        restore->setEnabled(!entries.isEmpty());
        auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
        cancel->setObjectName(QStringLiteral("cmdCancel"));
        connect(restore, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(m_list, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(restore);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(
            QStringLiteral("復元したものは、今のデータベースと同じフォルダに新しいファイルとして作られます。"), this));
        layout->addWidget(m_list);
        layout->addLayout(buttons);
        resize(460, 360);
    }
    int chosen() const { return m_list->currentRow(); }

private:
    QTableWidget* m_list = nullptr;
};

} // namespace

void MainWindow::buildBackups()
{
    m_backupWorker = new BackupWorker(this);
    connect(m_backupWorker, &BackupWorker::finished, this, [this](const Backups::Outcome& outcome) {
        if (outcome.done) {
            if (m_backupAnnounced)
                statusBar()->showMessage(QStringLiteral("バックアップしました：") + outcome.path, kStatusMessageMs);
        } else {
            qCWarning(lcMainWindow) << "the backup failed:" << outcome.message;
            statusBar()->showMessage(QStringLiteral("バックアップを作れませんでした：") + outcome.message,
                                     kStatusMessageMs);
        }
        m_backupAnnounced = false;
    });
}

void MainWindow::backUpIfDue()
{
    Connection* connection = m_session.connection();
    if (!connection || m_session.isReadOnly() || !m_options.backups)
        return;
    if (Backups::isDue(Backups::folderFor(m_session.databasePath())))
        m_backupWorker->start(m_session.databasePath());
}

void MainWindow::BackUpNow()
{
    if (!m_session.connection() || m_session.isReadOnly())
        return;
    m_backupWorker->wait();
    m_backupAnnounced = true;
    m_backupWorker->start(m_session.databasePath());
}

void MainWindow::backUpAfterChanges()
{
    Connection* connection = m_session.connection();
    m_backupWorker->wait();
    if (!connection || m_session.isReadOnly() || !m_options.backups ||
        sqlite3_total_changes64(connection->handle()) == m_changesAtOpen)
        return;
    const Backups::Outcome outcome =
        Backups::make(m_session.databasePath(), Backups::folderFor(m_session.databasePath()));
    if (!outcome.done)
        qCWarning(lcMainWindow) << "the backup on closing failed:" << outcome.message;
}

void MainWindow::RestoreFromBackup()
{
    if (!m_session.connection() || m_session.isSavedEdition())
        return;
    const QString collection = m_session.databasePath();
    const QList<Backups::Entry> entries = Backups::list(Backups::folderFor(collection));
    if (entries.isEmpty()) {
        m_dialogs.information(QStringLiteral("このデータベースのバックアップはまだありません。"));
        return;
    }
    RestoreDialog dialog(entries, this);
    giveHelpKey(&dialog, HelpTopic::kBackups);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0)
        return;
    const std::optional<QString> restored = Backups::restore(entries[dialog.chosen()], collection);
    if (!restored) {
        m_dialogs.critical(QStringLiteral("バックアップを復元できませんでした。"));
        return;
    }
    openDatabaseAt(*restored);
}
