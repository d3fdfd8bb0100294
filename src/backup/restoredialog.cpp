#include "restoredialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

RestoreDialog::RestoreDialog(const QList<Backups::Entry>& entries, QWidget* parent)
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
        m_list->setItem(row, 1, new QTableWidgetItem(e.scraps < 0 ? QStringLiteral("?") : QString::number(e.scraps)));
        // "MB" as people read it, not the "MiB" of the standard.
        m_list->setItem(row, 2,
                        new QTableWidgetItem(locale.formattedDataSize(e.bytes, 2, QLocale::DataSizeTraditionalFormat)));
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

int RestoreDialog::chosen() const
{
    return m_list->currentRow();
}
