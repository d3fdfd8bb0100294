#include "importwindows.h"

#include "importprocess.h"
#include "legacyimport.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ImportProgressWindow::ImportProgressWindow(const QString& oldPath, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("旧形式のZettoraを取り込む"));
    setWindowModality(Qt::WindowModal);
    auto* file = new QLabel(QFileInfo(oldPath).fileName() + QStringLiteral(" を取り込んでいます。"), this);
    m_table = new QLabel(QStringLiteral("準備中…"), this);
    m_table->setObjectName(QStringLiteral("lblTable"));
    m_rows = new QLabel(this);
    m_rows->setObjectName(QStringLiteral("lblRows"));
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &ImportProgressWindow::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(m_table);
    layout->addWidget(m_rows);
    layout->addWidget(busy);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}

void ImportProgressWindow::showProgress(const QString& table, qint64 rows)
{
    m_table->setText(QStringLiteral("取り込み中：") + LegacyImport::contentOf(table));
    m_rows->setText(QString::number(rows) + QStringLiteral(" 件"));
}

Result<QString> ImportProgressWindow::run(const QString& program, const QString& oldPath, const QString& target,
                                          QWidget* parent, const std::function<void(QWidget*)>& prepare)
{
    ImportProcess process(program);
    ImportProgressWindow progress(oldPath, parent);
    if (prepare)
        prepare(&progress);
    Result<QString> outcome = Failure{LegacyImport::kCancelled};
    QEventLoop loop;
    connect(&process, &ImportProcess::progressed, &progress, &ImportProgressWindow::showProgress);
    connect(&progress, &ImportProgressWindow::cancelRequested, &process, &ImportProcess::cancel);
    connect(&process, &ImportProcess::finished, &loop, [&](const Result<QString>& report) {
        outcome = report;
        loop.quit();
    });
    process.start(QFileInfo(oldPath).absoluteFilePath(), target);
    progress.show();
    loop.exec();
    progress.hide();
    return outcome;
}

// Esc and the close box cancel like the button; the window goes when the conversion has stopped.
void ImportProgressWindow::reject()
{
    Q_EMIT cancelRequested();
}

ImportReportWindow::ImportReportWindow(const QString& report, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportReport"));
    setWindowTitle(QStringLiteral("取り込みの結果"));
    m_text = new QPlainTextEdit(report, this);
    m_text->setObjectName(QStringLiteral("txtReport"));
    m_text->setReadOnly(true);
    auto* copy = new QPushButton(QStringLiteral("コピー"), this);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(m_text->toPlainText()); });
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(560, 420);
}

QString ImportReportWindow::reportText() const
{
    return m_text->toPlainText();
}
