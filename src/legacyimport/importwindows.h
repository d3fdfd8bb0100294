#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;

// "frmImport": the table being copied and how many rows, with キャンセル, while an old collection is converted.
class ImportProgressWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ImportProgressWindow(const QString& oldPath, QWidget* parent = nullptr);
    void showProgress(const QString& table, qint64 rows);

Q_SIGNALS:
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel* m_table = nullptr;
    QLabel* m_rows = nullptr;
};

// "frmImportReport": what a conversion did, to read and copy.
class ImportReportWindow final : public QDialog {
    Q_OBJECT
public:
    ImportReportWindow(const QString& report, QWidget* parent = nullptr);
    QString reportText() const;

private:
    QPlainTextEdit* m_text = nullptr;
};
