#pragma once

#include "bodymarks.h"
#include "childwindows.h"
#include "common/result.h"
#include "common/scrapidentity.h"
#include "ocr/picturetext.h"

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <optional>

class QCalendarWidget;
class QDate;
class QPlainTextEdit;
class ResultSet;
class ScrapSheet;
class Session;
class UserDialogs;

// Record view's controller: the scrap of the shared result set it shows (by identity), its sheet and body, stepping,
// saving the body, marking, editing the sheet and deleting. The main window lays out the panes and the toolbar.
class RecordView final : public QObject {
    Q_OBJECT
public:
    // The date cell's calendar is made in calendarParent the first time it is needed.
    RecordView(Session& session, UserDialogs& dialogs, ChildWindows& children, ScrapSheet* sheet, QPlainTextEdit* body,
               QWidget* calendarParent, QObject* parent = nullptr);

    // Shows the scrap at position (1-based) of the shared result set; false when there is none.
    [[nodiscard]] bool show(int position);
    bool isShowing() const { return m_shown.has_value(); }
    std::optional<ScrapIdentity> shownScrap() const { return m_shown; }
    const QString& loadedBody() const { return m_loadedBody; }
    int position() const { return m_position; }
    int count() const { return m_count; }
    // Words of the last body search, marked on every scrap shown until the next search.
    void setSearchWords(const QStringList& words) { m_searchWords = words; }
    const QStringList& searchWords() const { return m_searchWords; }
    // The first picture of the shown scrap whose read text holds one of those words.
    std::optional<PictureText::Holding> pictureHoldingSearchWords() const;

    // Before record view is left: an edited body is offered for saving. False when the user wanted it saved and the
    // save failed: record view then stays, with the text kept.
    [[nodiscard]] bool leave();
    // Stops showing, without asking.
    void end();
    // The importance levels the level cell offers, read again after the levels editor changed them.
    void reloadLevels();

    void step(bool forward);
    // "登録": the edited body stored; a failure is told and the text stays.
    void saveBody();
    void deleteShown();
    // Marks or unmarks the selection and logs it for the shown scrap.
    void toggleMark();
    // The pictures window stored or deleted the scrap's first or last picture.
    void notePictureSet(qint64 rowid, qint64 skID);
    // Where the calendar stands when it shows (beside the sheet), and hiding it.
    void placeCalendar(const QPoint& at);
    void hideCalendar();

Q_SIGNALS:
    // The scrap at position of count is shown.
    void shown(int position, int count);
    // The set was replaced, or its last scrap deleted: the list shows again.
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ResultSet* setOnShownScrap() const;
    [[nodiscard]] bool takeShownScrap();
    void fill();
    void fillSheet();
    void loadBody();
    static QString shownPartOf(const QString& body);
    void replayMarks();
    void markSearchWords();
    [[nodiscard]] Done storeBody();
    void setSheetValue(int row, const QString& text);
    void restoreSheetValue(int row, const QString& message);
    void onSheetCellPressed(int row, int column);
    void onSheetValueEdited(int row);
    void onCalendarClicked(const QDate& date);
    void openPicker();
    void onResultsReplaced();
    QCalendarWidget* calendar();

    Session& m_session;
    UserDialogs& m_dialogs;
    ChildWindows& m_children;
    ScrapSheet* m_sheet;
    QPlainTextEdit* m_body;
    QWidget* m_calendarParent;
    QCalendarWidget* m_calendar = nullptr;
    QPoint m_calendarAt;
    std::optional<ScrapIdentity> m_shown;
    quint64 m_generation = 0;
    QString m_loadedBody;
    bool m_bodyCut = false; // only part of the body is in the box
    // The body could not be read: the empty box shown must never be saved over it.
    // The text the file holds for the shown body, which the offsets of a mark count in.
    QString m_storedBody;
    // The box's text as of its last change, to tell what a change replaced.
    QString m_editedBody;
    // What was typed since the body was loaded or stored: the marks are moved through it when the body is stored.
    QList<BodyMarks::BodyEdit> m_bodyEdits;
    bool m_bodyUnread = false;
    QStringList m_sheetValues;
    QStringList m_searchWords;
    int m_position = 0;
    int m_count = 0;
};
