#pragma once

#include "common/collectionbinding.h"
#include "common/session.h"
#include "database/recordstore.h"
#include "database/scrapsources.h"
#include "pictures/picturestore.h"
#include "scrap/importancelevels.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class ClassPicker;
class QCalendarWidget;
class QLabel;
class QPushButton;
class QStatusBar;
class ScrapSheet;
class UserDialogs;

// The registration sheet: the index fields of a new scrap, filled from the entry body and the chosen class,
// stored with the body as one scrap by "登録". The opener decides whether the window deletes itself on closing.
class RegistrationSheet final : public QWidget {
    Q_OBJECT
public:
    // The picker shows the tree as it was when opened: it goes when the tree may have changed.
    void closePicker();
    // bodyText gives the entry body as it is now: read for the title when the sheet opens and again for the
    // stored body. dateStr is the creation date shown (yyyy-mm-dd); empty for today. levNo is the tree row of
    // the chosen class; waitingPicture gives the picture that waits in the pictures window, if any: the scrap then
    // takes a picture set number and the picture is stored with it.
    RegistrationSheet(Session& session, UserDialogs& dialogs, std::function<QString()> bodyText, const QString& dateStr,
                      int levNo, std::function<std::optional<WaitingPicture>()> waitingPicture,
                      QWidget* parent = nullptr);
    ~RegistrationSheet() override;

    int helpTopic() const;
    // The importance levels as stored now (the levels editor wrote them): names offered, the shown one's colour.
    void reloadLevels();
    void setLevNo(int levNo) { m_levNo = levNo; }
    int levNo() const { return m_levNo; }
    // The class the scrap will be filed under, and a new choice of it (tree row and path).
    ClassPath chosenClass() const;
    void takeClass(int levNo, const ClassPath& path);
    // Where the scrap comes from, asked at "登録"; none when not set.
    void setSource(std::function<std::optional<ScrapSource>()> source) { m_source = std::move(source); }
    // True once "登録" stored the scrap.
    bool justRegistered() const { return m_justRegistered; }

Q_SIGNALS:
    // Sent whenever the window closes, by either button or the close box.
    void closedWith(bool justRegistered);
    // "登録" stored this scrap.
    void registered(const ScrapIdentity& scrap);
    void helpRequested(int topic);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void loadLevels();
    QStringList levelNames() const;
    void fillSheet(const QString& title, const QString& dateStr, bool pendingPicture);
    void onButtonClicked(int index);
    // false when the sheet stays open for the user to put right what was refused.
    [[nodiscard]] bool RegisterScrap();
    void onCellPressed(int row);
    void onValueEdited(int row, const QString& text);
    void onCalendarClicked(const QDate& date);
    void openPicker();
    void showLevel(const QString& name);
    void layOut();
    QString value(int row) const;
    void setValue(int row, const QString& text);

    Session& m_session;
    CollectionBinding m_collection;
    UserDialogs& m_dialogs;
    std::function<QString()> m_bodyText;
    int m_levNo;
    std::function<std::optional<WaitingPicture>()> m_waitingPicture;
    std::function<std::optional<ScrapSource>()> m_source;
    bool m_justRegistered = false;
    QList<ImportanceLevel> m_levels;
    QString m_shownLevel;
    QString m_backC = QStringLiteral("");
    ScrapSheet* m_sheet;
    QCalendarWidget* m_calendar;
    QPushButton* m_register;
    QPushButton* m_cancel;
    QLabel* m_help;
    QStatusBar* m_status;
    QPointer<ClassPicker> m_picker;
};
