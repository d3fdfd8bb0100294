#include "pictureswindow.h"

#include "common/colourvalue.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/textcut.h"
#include "common/toolbarbuttons.h"
#include "common/twips.h"
#include "common/typedtext.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "ocr/picturetext.h"
#include "picturearea.h"
#include "pictureimage.h"
#include "picturelog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

// Geometry in twips.
constexpr int kWidth = 8735;
constexpr int kHeight = 7110;
constexpr int kLeft = 40;
constexpr int kCaptionHeight = 1000;
constexpr int kSideMargins = 240;
constexpr int kBottomSpare = 520;
constexpr int kGapWidth = 400;
constexpr int kPositionPanelWidth = 2000;

const QString kCaptionHint = u"この説明を消して、画像の説明を記入してください。 最大文字数＝255"_s;
const QString kStoreFailed = u"画像登録に失敗しました。 JPG形式でない可能性があります。"_s;

} // namespace

PicturesWindow::PicturesWindow(Session& session, UserDialogs& dialogs, PicturesOpener opener,
                               std::optional<ScrapIdentity> scrap, const QString& scrapTitle, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
    , m_collection(session, this, [this] { close(); })
    , m_dialogs(dialogs)
    , m_opener(opener)
    , m_scrap(scrap)
    , m_viewing(opener == PicturesOpener::RecordView)
{
    setObjectName(u"Form5"_s);
    setWindowTitle(m_viewing ? scrapTitle : u"Tarnwell Zettora"_s);
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(u"Toolbar1"_s);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_caption = new QPlainTextEdit(this);
    m_caption->setObjectName(u"Text1"_s);
    QFont font(session.displayFont.name, session.displayFont.size);
    font.setBold(session.displayFont.bold);
    font.setItalic(session.displayFont.italic);
    m_caption->setFont(font);
    if (!m_viewing)
        m_caption->setPlainText(kCaptionHint);
    m_area = new PictureArea(this);
    m_area->setObjectName(u"imk"_s);
    connect(m_area, &PictureArea::fileDropped, this, &PicturesWindow::takeFile);
    connect(m_area, &PictureArea::imageDropped, this, &PicturesWindow::takeImage);
    // The text read from the shown picture, to select and copy, beside it.
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(u"PictureText"_s);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFont(font);
    m_text->setVisible(m_viewing);

    auto* status = new QStatusBar(this);
    status->setObjectName(u"StatusBar1"_s);
    status->setSizeGripEnabled(false);
    m_position = new QLabel(status);
    m_position->setObjectName(u"StatusPanel1"_s);
    m_position->setFixedWidth(twipsToPixels(kPositionPanelWidth));
    m_hint = new QLabel(u"ヘルプ：F1キー ヘルプを表示するにはカーソルを説明欄に置いて下さい。"_s, status);
    m_hint->setObjectName(u"StatusPanel2"_s);
    status->addWidget(m_position);
    status->addWidget(m_hint, 1);

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(HelpTopic::kPictures); });
    buildToolbar();
    resize(twipsToPixels(kWidth), twipsToPixels(kHeight));
    layOut();
}

PicturesWindow::~PicturesWindow() = default;

bool PicturesWindow::canWrite() const
{
    return m_collection.connection() && !m_session.isReadOnly();
}

void PicturesWindow::enablePictureCommands()
{
    const bool shown = m_index >= 0 && m_index < m_pictures.size();
    for (const QString& key : {u"del"_s, u"CopyPic"_s, u"ToBody"_s}) {
        if (QAction* action = findToolbarButton(m_toolbar, key))
            action->setEnabled(shown);
    }
    // A caption typed where nothing can be stored would be dropped without a word.
    m_caption->setReadOnly(!canWrite());
}

void PicturesWindow::buildToolbar()
{
    const ToolbarButton gap1 = ToolbarButton::gap(u"ph1"_s, kGapWidth);
    const ToolbarButton gap2 = ToolbarButton::gap(u"ph2"_s, kGapWidth);
    // 閉じる offers to store a pasted picture first; キャンセル drops it, as it says.
    const ToolbarButton closeButton{u"quit"_s, u"閉じる"_s, u"arrow"_s, u"この画面を閉じます"_s, [this] {
                                        if (mayLeave())
                                            close();
                                    }};
    const ToolbarButton cancelButton{u"quit"_s, u"キャンセル"_s, u"arrow"_s, {}, [this] {
                                         m_waiting.reset();
                                         close();
                                     }};
    const ToolbarButton paste{u"PastPic"_s, u"画像貼付け"_s, u"past"_s, u"クリップボードの画像を貼り付け"_s,
                              [this] { pastePicture(); }};
    const ToolbarButton record{u"record"_s, u"登録"_s, u"record2"_s, {}, [this] { (void)storeWaitingPicture(); }};
    const ToolbarButton toViewingMode{u"ViewMode"_s, u"閲覧モードへ"_s, u"hummer"_s, u"閲覧モードに変更"_s,
                                      [this] { toViewing(); }};
    QList<ToolbarButton> buttons;
    const bool hasSet = m_scrap && m_scrap->skID != 0;
    if (m_viewing) {
        buttons = {gap1, closeButton};
        if (canWrite())
            buttons << ToolbarButton{u"RecMode"_s, u"登録モードへ"_s, u"hummer"_s, u"登録モードに変更"_s,
                                     [this] { toAdding(); }};
        buttons << gap2 << ToolbarButton{u"prev"_s, u"戻る"_s, u"arw6lt"_s, {}, [this] { step(false); }}
                << ToolbarButton{u"next"_s, u"次へ"_s, u"arw6rt"_s, {}, [this] { step(true); }};
        if (canWrite())
            buttons << ToolbarButton{u"del"_s, u"登録抹消"_s, u"del"_s, u"表示中の画像をDBから削除"_s,
                                     [this] { deleteShownPicture(); }};
        buttons << ToolbarButton{u"CopyPic"_s, u"画像コピー"_s, u"copy"_s, u"表示中の画像をクリップボードへコピー"_s,
                                 [this] { copyShownPicture(); }};
        if (canWrite())
            buttons << ToolbarButton{u"ToBody"_s, u"本文へ"_s, u"past"_s, u"画像から認識した文字を本文に入れます"_s,
                                     [this] { sendTextToBody(); }};
    } else if (m_opener == PicturesOpener::Favourites) {
        buttons = hasSet ? QList<ToolbarButton>{gap1, closeButton, toViewingMode, gap2, record}
                         : QList<ToolbarButton>{gap1, cancelButton, record};
    } else {
        buttons = hasSet || m_opener == PicturesOpener::RecordView
                      ? QList<ToolbarButton>{gap1, closeButton, toViewingMode, gap2, paste, record}
                      : QList<ToolbarButton>{gap1, cancelButton, paste, record};
    }
    fillToolbar(m_toolbar, buttons);
    enablePictureCommands();
}

void PicturesWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void PicturesWindow::layOut()
{
    const int toolbarHeight = m_toolbar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, width(), toolbarHeight);
    auto* status = findChild<QStatusBar*>(u"StatusBar1"_s);
    const int statusHeight = status->sizeHint().height();
    status->setGeometry(0, height() - statusHeight, width(), statusHeight);
    const int left = twipsToPixels(kLeft);
    const int innerWidth = std::max(0, width() - twipsToPixels(kSideMargins));
    m_caption->setGeometry(left, toolbarHeight, innerWidth, twipsToPixels(kCaptionHeight));
    const int areaTop = toolbarHeight + twipsToPixels(kCaptionHeight);
    const int areaHeight = std::max(0, height() - areaTop - statusHeight - twipsToPixels(kBottomSpare));
    // While viewing, the picture shares its row with the text read from it.
    const int textWidth = m_viewing ? innerWidth * 2 / 5 : 0;
    m_area->setGeometry(left, areaTop, innerWidth - textWidth, areaHeight);
    m_text->setGeometry(left + innerWidth - textWidth, areaTop, textWidth, areaHeight);
    m_text->setVisible(m_viewing);
}

std::optional<WaitingPicture> PicturesWindow::waitingPicture() const
{
    if (!m_waiting)
        return std::nullopt;
    return WaitingPicture{typedText(m_caption), *m_waiting};
}

void PicturesWindow::showFirstPicture()
{
    m_pictures.clear();
    m_index = -1;
    m_area->clear();
    m_text->clear();
    m_position->clear();
    enablePictureCommands();
    Connection* connection = m_collection.connection();
    if (!m_scrap || m_scrap->skID == 0 || !connection)
        return;
    try {
        m_pictures = ListPictures(*connection, m_scrap->skID);
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot read the pictures of set" << m_scrap->skID << e.message();
        return;
    }
    if (m_pictures.isEmpty())
        return;
    m_index = 0;
    showCurrent();
}

void PicturesWindow::showPictureWithWords(qint64 rowid, const QStringList& words)
{
    m_searchWords = words;
    showFirstPicture();
    for (qsizetype i = 1; i < m_pictures.size(); ++i) {
        if (m_pictures[i].rowid == rowid) {
            m_index = int(i);
            showCurrent();
            break;
        }
    }
}

void PicturesWindow::showCurrent()
{
    if (m_index < 0 || m_index >= m_pictures.size())
        return;
    const PictureEntry& picture = m_pictures[m_index];
    m_area->clear();
    try {
        // A damaged row shows an empty area with its caption; stepping goes on.
        if (Connection* connection = m_collection.connection()) {
            if (const std::optional<QByteArray> bytes = PictureBytes(*connection, picture.rowid))
                m_area->showBytes(*bytes);
        }
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot read picture" << picture.rowid << e.message();
    }
    m_caption->setPlainText(picture.caption);
    m_rememberedCaption = picture.caption;
    showPictureText(picture.rowid);
    showPosition();
    enablePictureCommands();
}

void PicturesWindow::showPictureText(qint64 rowid)
{
    m_text->clear();
    m_text->setPlaceholderText(u"この画像の文字はまだ認識されていません。"_s);
    Connection* connection = m_collection.connection();
    if (!connection)
        return;
    try {
        if (const std::optional<PictureText::Stored> stored = PictureText::ofPicture(*connection, rowid)) {
            m_text->setPlainText(stored->text);
            if (!m_searchWords.isEmpty())
                m_area->setHighlights(PictureText::boxesOf(stored->words, m_searchWords));
            if (!stored->problem.isEmpty())
                m_text->setPlaceholderText(u"この画像の文字は認識できませんでした：%1"_s.arg(stored->problem));
            else if (stored->text.isEmpty())
                m_text->setPlaceholderText(u"この画像には認識できる文字がありません。"_s);
        }
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot read the text of picture" << rowid << e.message();
    }
}

void PicturesWindow::sendTextToBody()
{
    if (!canWrite())
        return;
    const QString selected = m_text->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
    const QString text = selected.isEmpty() ? m_text->toPlainText() : selected;
    if (!text.isEmpty())
        Q_EMIT textToBody(text);
}

void PicturesWindow::showPosition()
{
    m_position->setText(u"添付画像： %1/%2"_s.arg(m_index + 1).arg(m_pictures.size()));
}

bool PicturesWindow::storeEditedCaption()
{
    if (!canWrite() || m_index < 0 || m_index >= m_pictures.size())
        return true;
    const QString caption = typedText(m_caption);
    if (caption == m_rememberedCaption)
        return true;
    try {
        SaveCaption(*m_collection.connection(), m_scrap ? m_scrap->skID : 0, m_pictures[m_index].rowid, caption);
        m_pictures[m_index].caption = leftWhole(caption, kCaptionLength);
        m_rememberedCaption = caption;
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot store the caption:" << e.message();
        m_dialogs.critical(e.failure(u"画像の説明を保存できませんでした。"_s).message());
        return false;
    }
    return true;
}

void PicturesWindow::step(bool forward)
{
    // A caption that could not be stored stays in the box, on its picture.
    if (m_pictures.isEmpty() || !storeEditedCaption())
        return;
    const int count = int(m_pictures.size());
    m_index = forward ? (m_index + 1) % count : (m_index + count - 1) % count;
    showCurrent();
}

void PicturesWindow::pastePicture()
{
    m_area->clear();
    m_waiting.reset();
    QClipboard* clipboard = QApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (data && data->hasImage()) {
        if (const std::optional<QByteArray> jpeg = storableBytes(qvariant_cast<QImage>(data->imageData()))) {
            waitFor(*jpeg);
            return;
        }
        m_dialogs.critical(u"GetFromClipBrd()　Error !!"_s);
    } else if (data && data->hasText()) {
        m_dialogs.critical(u"クリップボードにはテキストがあります。　WEBページ上の何処か余白をクリックし、"
                           u"クリップボードをクリアしてから画像をコピーしてください。"_s);
    } else {
        m_dialogs.critical(u"クリップボードには画像がコピーされていません。 "
                           u"Windowsエキスプローラからはドラッグ＆ドロップで貼り付けてください。"_s);
    }
    clipboard->clear();
}

void PicturesWindow::waitFor(const QByteArray& jpeg)
{
    m_waiting = jpeg;
    m_area->showBytes(jpeg);
}

void PicturesWindow::takeFile(const QString& path)
{
    if (m_viewing)
        return;
    m_area->clear();
    m_waiting.reset();
    // Only a regular file of bounded size is read: a pipe or a device would block the window or never end.
    const std::optional<QByteArray> bytes = readPictureFile(path);
    const std::optional<QByteArray> jpeg = bytes ? storableBytes(*bytes) : std::nullopt;
    if (!jpeg) {
        qCWarning(lcPictures) << "not a picture that can be stored:" << path;
        m_dialogs.information(kStoreFailed);
        return;
    }
    waitFor(*jpeg);
}

void PicturesWindow::takeImage(const QImage& image)
{
    if (m_viewing)
        return;
    m_waiting.reset();
    m_area->clear();
    if (const std::optional<QByteArray> jpeg = storableBytes(image))
        waitFor(*jpeg);
    else
        m_dialogs.information(kStoreFailed);
}

bool PicturesWindow::storeWaitingPicture(bool tellStored)
{
    // Without a scrap the picture waits for the registration of its scrap, which stores it.
    if (!m_waiting || !m_scrap || !canWrite())
        return true;
    try {
        // Stored without the user's word, an untouched hint is no caption.
        const QString caption = typedText(m_caption);
        const qint64 skID = AttachPicture(*m_collection.connection(), *m_scrap,
                                          !tellStored && caption == kCaptionHint ? QString() : caption, *m_waiting);
        noteSet(skID);
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot store the picture:" << e.message();
        // The file refused it, whatever the picture's format: the reason says why.
        m_dialogs.information(e.failure(u"画像登録に失敗しました。"_s).message());
        return false;
    }
    // Stored once: pressing "登録" again would store the same picture a second time.
    m_waiting.reset();
    QApplication::clipboard()->clear();
    if (tellStored)
        m_dialogs.information(u"表示中の画像を登録しました。 "_s);
    return true;
}

bool PicturesWindow::settleWaitingPicture(Leaving leaving)
{
    // A picture waiting for a registration of its own scrap stays the registration's to take.
    if (!m_waiting || !m_scrap || !canWrite())
        return true;
    // The program closing the window (the collection closing, a mode left, quitting) asks nothing: the picture is kept.
    if (leaving == Leaving::MustGo) {
        if (!storeWaitingPicture(false))
            qCWarning(lcPictures) << "the window closes without the picture it could not store";
        return true;
    }
    const int answer = m_dialogs.askChoice(u"表示中の画像はまだ登録されていません。　登録しますか？"_s,
                                           {u"はい"_s, u"いいえ"_s, u"キャンセル"_s});
    if (answer == 1) {
        m_waiting.reset();
        return true;
    }
    return answer == 0 && storeWaitingPicture();
}

void PicturesWindow::noteSet(qint64 skID)
{
    if (!m_scrap || m_scrap->skID == skID)
        return;
    m_scrap->skID = skID;
    Q_EMIT pictureSetChanged(m_scrap->rowid, skID);
}

void PicturesWindow::toAdding()
{
    if (!storeEditedCaption())
        return;
    m_viewing = false;
    buildToolbar();
    layOut();
    m_area->clear();
    m_waiting.reset();
    m_caption->setPlainText(kCaptionHint);
    m_pictures.clear();
    m_index = -1;
    enablePictureCommands();
}

void PicturesWindow::toViewing()
{
    if (!settleWaitingPicture(Leaving::MayStay))
        return;
    m_viewing = true;
    buildToolbar();
    layOut();
    m_area->clear();
    m_waiting.reset();
    m_caption->clear();
    showFirstPicture();
}

void PicturesWindow::deleteShownPicture()
{
    if (!canWrite() || m_index < 0 || m_index >= m_pictures.size())
        return;
    if (!m_dialogs.askYesNo(u"表示中の画像をデータベースから削除します。　削除後は復活できません。　実行しますか？"_s,
                            UserDialogs::Icon::Information, UserDialogs::Default::No))
        return;
    try {
        noteSet(DeletePicture(*m_collection.connection(), *m_scrap, m_pictures[m_index].rowid));
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot delete the picture:" << e.message();
        m_dialogs.critical(e.failure(u"画像を削除できませんでした。"_s).message());
        return;
    }
    m_area->clear();
    m_caption->clear();
    showFirstPicture();
}

void PicturesWindow::copyShownPicture()
{
    if (m_index < 0 || m_index >= m_pictures.size())
        return;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    Connection* connection = m_collection.connection();
    if (!connection)
        return;
    try {
        if (const std::optional<QByteArray> bytes = PictureBytes(*connection, m_pictures[m_index].rowid))
            clipboard->setImage(QImage::fromData(*bytes));
    } catch (const DbError& e) {
        qCWarning(lcPictures) << "cannot copy the picture:" << e.message();
    }
}

bool PicturesWindow::mayLeave()
{
    return settleWaitingPicture(Leaving::MayStay) && (!m_viewing || storeEditedCaption());
}

void PicturesWindow::closeEvent(QCloseEvent* event)
{
    // The window manager's close may be refused; the program's own (a mode left, the collection closing) may not.
    if (event->spontaneous() ? !mayLeave() : !settleWaitingPicture(Leaving::MustGo)) {
        event->ignore();
        return;
    }
    m_waiting.reset();
    // Closing goes on once the user has been told: the collection itself may be closing.
    if (m_viewing && !storeEditedCaption())
        qCInfo(lcPictures) << "the window closes without the caption it could not store";
    QWidget::closeEvent(event);
}
