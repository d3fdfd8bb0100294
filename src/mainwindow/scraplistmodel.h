#pragma once

#include <QAbstractTableModel>
#include <QFont>

class ResultSet;
class Session;

// The scrap list over the shared result set: model row r is record r + 1 of the set, model column c is list
// column c + 1 (the vertical header stands for the empty leading column). Cells become text only when shown.
// It follows the session: a replaced set empties the list (or is listed, see setListReplacements), rows dropped or
// narrowed in place are re-read.
class ScrapListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ScrapListModel(const Session& session, QObject* parent = nullptr);

    // Lists the session's shared result set as it is now.
    void showResults();
    // While on, a set the session replaces is listed in the same reset that drops the old one, for callers that list
    // the new set at once: passing through an empty list would lay out and repaint the whole list frame.
    void setListReplacements(bool on) { m_listReplacements = on; }
    // Header only.
    void clear();
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
    void setResultSet(const ResultSet* set);
    void onResultsReplaced();

    const Session& m_session;
    const ResultSet* m_set = nullptr;
    bool m_listReplacements = false;
};
