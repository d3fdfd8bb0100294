#pragma once

#include "common/result.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPlainTextEdit;

// "frmImport": the table being copied and how many rows, with キャンセル, while an old collection is converted.
class ImportProgressWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ImportProgressWindow(const QString& oldPath, QWidget* parent = nullptr);
    void showProgress(const QString& table, qint64 rows);

    // Converts oldPath into target with program run as a child, this window showing its progress over parent
    // (prepared by the caller: help, place) until it ends; gives the conversion's report.
    [[nodiscard]] static Result<QString> run(const QString& program, const QString& oldPath, const QString& target,
                                             QWidget* parent, const std::function<void(QWidget*)>& prepare);

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
