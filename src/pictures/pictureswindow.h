#pragma once

#include "common/collectionbinding.h"
#include "common/scrapidentity.h"
#include "picturestore.h"

#include <QWidget>

#include <optional>

class PictureArea;
class QLabel;
class QPlainTextEdit;
class QToolBar;
class Session;
class UserDialogs;

// Where the pictures window was opened from: it decides the toolbar and whether the window starts by showing or
// by adding pictures.
enum class PicturesOpener { Registration, RecordView, Favourites };

// The pictures of one scrap: shown one by one with their captions, stepped through, copied, deleted, and added by
// pasting or dropping. It works on the scrap it was given, by identity, in the collection open when it was made (it
// closes with that collection); without a scrap (opened from the web pane) a pasted picture waits for the scrap's
// registration.
class PicturesWindow final : public QWidget {
    Q_OBJECT
public:
    PicturesWindow(Session& session, UserDialogs& dialogs, PicturesOpener opener, std::optional<ScrapIdentity> scrap,
                   const QString& scrapTitle, QWidget* parent = nullptr);
    ~PicturesWindow() override;

    // The pasted or dropped picture that has not been stored yet.
    std::optional<WaitingPicture> waitingPicture() const;
    bool isBoundToScrap() const { return m_scrap.has_value(); }
    bool isBoundToScrap(qint64 rowid) const { return m_scrap && m_scrap->rowid == rowid; }
    // Takes the clipboard's picture.
    void pastePicture();
    // Shows the scrap's first picture.
    void showFirstPicture();
    // Shows the picture of that rowid (the first when it is gone) with boxes around the words of a search found in
    // its text, on this and every picture stepped to.
    void showPictureWithWords(qint64 rowid, const QStringList& words);
    bool isViewing() const { return m_viewing; }
    // The user leaves the scrap: a pasted picture is offered, a typed caption stored. False, the user told why or
    // having chosen to stay, keeps the window and what it holds.
    [[nodiscard]] bool mayLeave();

Q_SIGNALS:
    // The scrap's picture set number changed (its first picture stored, its last one deleted).
    void pictureSetChanged(qint64 scrapRowid, qint64 skID);
    // 「本文へ」: the text read from the shown picture (its selected part, if any) goes into the body.
    void textToBody(const QString& text);
    void helpRequested(int topic);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildToolbar();
    void layOut();
    void showCurrent();
    void showPosition();
    void step(bool forward);
    // False, the user told why, when the caption typed could not be stored.
    [[nodiscard]] bool storeEditedCaption();
    void takeFile(const QString& path);
    void takeImage(const QImage& image);
    void waitFor(const QByteArray& jpeg);
    // False, the user told why, when the picture could not be stored.
    [[nodiscard]] bool storeWaitingPicture(bool tellStored = true);
    // Whether the window may leave a pasted picture not yet stored. The user's own leaving asks (はい stores it,
    // いいえ drops it, キャンセル stays: false); the program's stores it without a question.
    enum class Leaving { MayStay, MustGo };
    [[nodiscard]] bool settleWaitingPicture(Leaving leaving);
    void toAdding();
    void toViewing();
    void deleteShownPicture();
    void copyShownPicture();
    void noteSet(qint64 skID);
    bool canWrite() const;
    // Commands on the shown picture only while one is shown.
    void enablePictureCommands();
    void showPictureText(qint64 rowid);
    void sendTextToBody();

    Session& m_session;
    CollectionBinding m_collection;
    UserDialogs& m_dialogs;
    const PicturesOpener m_opener;
    std::optional<ScrapIdentity> m_scrap;
    QStringList m_searchWords;
    bool m_viewing = false;
    QList<PictureEntry> m_pictures;
    int m_index = -1;
    QString m_rememberedCaption;
    std::optional<QByteArray> m_waiting;
    QToolBar* m_toolbar;
    QPlainTextEdit* m_caption;
    PictureArea* m_area;
    QPlainTextEdit* m_text;
    QLabel* m_position;
    QLabel* m_hint;
};
