#pragma once

#include <QAbstractTableModel>
#include <QFont>

class ResultSet;

// The scrap list over the shared result set: model row r is record r + 1 of the set, model column c is list
// column c + 1 (the vertical header stands for the empty leading column). Cells become text only when shown.
class ScrapListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ScrapListModel(QObject* parent = nullptr);

    // An empty list (header only) when set is null.
    void setResultSet(const ResultSet* set);
    const ResultSet* resultSet() const { return m_set; }
    // Re-reads the set after it changed under the list (a record edited or deleted).
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Width in pixels that fits the widest text of each column in font, header included. Only the few longest
    // texts of a column are measured, so this stays cheap on tens of thousands of rows.
    QList<int> columnWidths(const QFont& font) const;

    QString cellText(int row, int column) const;

private:
    const ResultSet* m_set = nullptr;
};
