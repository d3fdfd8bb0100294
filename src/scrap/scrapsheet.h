#pragma once

#include <QStringList>
#include <QTableWidget>

#include <optional>

// The scrap management sheet: a flag, a caption and a value for each index field of one scrap, under the header
// "スクラップ管理票". The registration sheet shows the eight fields of a new scrap, record view all twelve with the
// numbers hidden. Values put in by the program are never taken for the user's edits.
class ScrapSheet final : public QTableWidget {
    Q_OBJECT
public:
    enum Row : int {
        HeaderRow = 0,
        LevelRow,
        TitleRow,
        DateRow,
        MajorRow,
        MiddleRow,
        MinorRow,
        KeywordRow,
        PicturesRow,
        FirstNumberRow,
    };
    enum class Fields { NewScrap, WithNumbers };
    static constexpr int kValueColumn = 2;

    // typedRows are the rows the user may type into (the level row offers the levels instead).
    ScrapSheet(Fields fields, QList<int> typedRows, QWidget* parent = nullptr);

    void setLevelNames(const QStringList& names) { m_levelNames = names; }
    const QStringList& levelNames() const { return m_levelNames; }
    // A read-only sheet takes no edit at all.
    void setReadOnly(bool readOnly);
    void setValueFontSize(int pointSize);

    QString value(int row) const;
    // Puts text into a value cell; this is not an edit.
    void setValue(int row, const QString& text);
    // Colours the level row's cells, or gives them back their plain colours.
    void showLevelColour(const std::optional<QColor>& colour);
    // Every row at least 38 twips per point of the display font, and high enough for its wrapped text.
    void fitRowHeights(int displayFontSize);
    // Takes what the open cell editor holds, as leaving the cell would (valueEdited follows): called before the sheet
    // is filled with another scrap, which would otherwise load that scrap's value into the editor over the typing.
    void commitOpenEditor();
    // The width that shows every column without a horizontal scroll bar.
    int naturalWidth() const;

Q_SIGNALS:
    // The user changed a value cell.
    void valueEdited(int row, const QString& text);

private:
    QStringList m_levelNames;
    QList<int> m_typedRows;
    bool m_readOnly = false;
};
