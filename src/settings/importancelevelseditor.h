#pragma once

#include "common/result.h"

#include <QColor>
#include <QDialog>

#include <optional>

class QModelIndex;
class QStatusBar;
class QTableWidget;
class QTableWidgetItem;
class QToolBar;
class Session;
class UserDialogs;

// The importance levels editor: the Status table as a grid of name, colour and hidden sort key, edited in place
// and written back whole, in grid order, by "reg".
class ImportanceLevelsEditor final : public QDialog {
    Q_OBJECT
public:
    ImportanceLevelsEditor(Session& session, UserDialogs& dialogs, QWidget* parent = nullptr);

    int helpTopic() const;
    bool isDirty() const { return m_dirty; }
    // The grid row of the last mouse press: 0 the header row, -1 outside every cell.
    int rememberedRow() const { return m_row; }

Q_SIGNALS:
    // The levels were written; lists of levels elsewhere should be read again.
    void levelsChanged();
    void helpRequested(int topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Level {
        QString name;
        QString backColor;
    };

    void buildToolbar();
    void commitOpenEditor();
    void loadLevels();
    void addRow(const QString& name, const QString& backColor, const QString& kana);
    void addLevel();
    void deleteLevel();
    void moveLevel(int by);
    void chooseColour();
    void registerLevels();
    // The grid's levels in order, or nullopt after telling the user which cell cannot be stored.
    std::optional<QList<Level>> checkedLevels();
    [[nodiscard]] Done writeLevels(const QList<Level>& levels);
    void onCellPressed(const QModelIndex& index);
    void layOut();
    int dataRows() const;

    Session& m_session;
    UserDialogs& m_dialogs;
    QToolBar* m_toolbar;
    QTableWidget* m_fg;
    QStatusBar* m_status;
    bool m_dirty = false;
    // The stored levels could not be read, so the grid is no copy of them.
    bool m_unread = false;
    bool m_filling = false;
    int m_row = 0;
    // The colour dialog reopens on the colour chosen last in this window, not on the row's.
    QColor m_lastColour = Qt::black;
};
