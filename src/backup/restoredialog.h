#pragma once

#include "backupstore.h"

#include <QDialog>

class QTableWidget;

// "frmRestore": the backups of the open collection, newest first; 復元 takes the chosen one.
class RestoreDialog final : public QDialog {
    Q_OBJECT
public:
    RestoreDialog(const QList<Backups::Entry>& entries, QWidget* parent = nullptr);
    // The chosen row, or -1.
    int chosen() const;

private:
    QTableWidget* m_list = nullptr;
};
