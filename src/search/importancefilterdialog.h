#pragma once

#include <QDialog>

class QComboBox;
class Session;

// The importance filter: narrows the shared result set to one level, or shows it whole again. It stays open so
// that several levels can be tried in turn; the filter stays on the set after the window closed.
class ImportanceFilterDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ImportanceFilterDialog(Session& session, QWidget* parent = nullptr);

    // The level last chosen, or "絞込みなし" once the filter was cleared; empty before any choice.
    const QString& FilterStr() const { return m_filterStr; }
    void FillLevelList();
    // Applies the entry of the list chosen now.
    void ApplyLevelFilter();

Q_SIGNALS:
    // The shared result set was narrowed to filterStr's level, or shown whole for "絞込みなし": the receiver lists
    // it again with its new record count, leaving the commands and menus as they are, and shows no message.
    void filterApplied(const QString& filterStr);

private:
    Session& m_session;
    QComboBox* m_combo;
    QString m_filterStr;
};
