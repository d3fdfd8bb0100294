// The entry pane: registering its text as a scrap, marking it, and the pictures of the scrap registered or shown.
#include "bodymarks.h"
#include "classtree/classtreeloader.h"
#include "classtree/treerows.h"
#include "common/session.h"
#include "common/typedtext.h"
#include "common/userdialogs.h"
#include "mainwindow.h"
#include "pictures/pictureswindow.h"
#include "recordview.h"
#include "registration/registrationsheet.h"
#include "scrap/scrapsheet.h"
#include "scraplistcontroller.h"
#include "sources/sourcekeeper.h"

#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

using Kind = ChildWindows::Kind;

void MainWindow::openRegistrationSheet(int levNo)
{
    auto* sheet = new RegistrationSheet(
        m_session, m_dialogs, [this] { return typedText(entryBody()); }, m_today, levNo,
        [this]() -> std::optional<WaitingPicture> {
            auto* pictures = m_children.find<PicturesWindow>(Kind::Pictures);
            // A window bound to a scrap stores its pictures there; only an unbound one hands its picture over.
            return pictures && !pictures->isBoundToScrap() ? pictures->waitingPicture() : std::nullopt;
        },
        this);
    sheet->setSource([this] { return m_sources->forRegistration(); });
    connect(sheet, &RegistrationSheet::registered, this, [this](const ScrapIdentity& scrap) {
        m_sources->registered(scrap.docNo);
        m_entryScrap = scrap;
        m_entryGeneration = m_session.resultsGeneration();
        m_entryRegisteredBody = typedText(entryBody());
        m_entryRegisteredPfID = scrap.pfID;
        // A picture that waited has been stored with the scrap; a window of an earlier scrap keeps working on it.
        if (auto* pictures = m_children.find<PicturesWindow>(Kind::Pictures); pictures && !pictures->isBoundToScrap())
            m_children.close(Kind::Pictures);
    });
    connect(sheet, &RegistrationSheet::closedWith, this, [this](bool registered) {
        // Marking and pictures wait for the window to close, and only follow a registration made in it.
        if (registered && m_entryScrap)
            enableEntryMarking(true);
        else
            endEntryMarking();
    });
    m_children.open(Kind::Registration, sheet);
}

// The tree editor may have renamed, moved or deleted the class an open registration sheet files under: the sheet
// takes the class's new row, or, with the class gone, the user chooses another rather than filing under no class.
void MainWindow::refileOpenRegistration()
{
    auto* sheet = m_children.find<RegistrationSheet>(Kind::Registration);
    if (!sheet)
        return;
    sheet->closePicker();
    const ClassPath chosen = sheet->chosenClass();
    const QList<QTreeWidgetItem*> rows = TreeRows::inOrder(m_treePane);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (const ClassPath path = classPathOf(rows.at(i)); path == chosen) {
            sheet->takeClass(int(i + 1), path);
            return;
        }
    }
    sheet->takeClass(1, {});
    m_dialogs.exclamation(QStringLiteral("登録画面の分類は分類ツリーから無くなりました。　分類を選び直してください。"));
}

void MainWindow::toggleEntryMark()
{
    const QTextCursor selection = entryBody()->textCursor();
    // A mark's offsets count in the stored body: in an entry text changed since its registration they would not.
    if (!m_entryScrap || !selection.hasSelection() || typedText(entryBody()) != m_entryRegisteredBody)
        return;
    if (const Done logged = BodyMarks::toggleAndLog(m_session, m_entryScrap->pfID, selection); !logged)
        m_dialogs.critical(logged.message());
}

void MainWindow::enableEntryMarking(bool on)
{
    for (const char16_t* key : {u"drawMEMO", u"underLine"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(on);
    }
}

void MainWindow::endEntryMarking()
{
    m_entryScrap.reset();
    enableEntryMarking(false);
}

void MainWindow::onResultsReplaced()
{
    // Marks in the entry pane belong to the scrap just registered, which the set no longer holds.
    if (m_entryScrap && m_session.resultsGeneration() != m_entryGeneration)
        endEntryMarking();
}

PicturesWindow* MainWindow::openPicturesWindow(PicturesOpener opener, const std::optional<ScrapIdentity>& scrap,
                                               const QString& title)
{
    auto* window = new PicturesWindow(m_session, m_dialogs, opener, scrap, title, this);
    connect(window, &PicturesWindow::pictureSetChanged, this, &MainWindow::onPictureSetChanged);
    // The text read from a picture goes in at the cursor of the body the user works on, as an edit of theirs.
    connect(window, &PicturesWindow::textToBody, this, [this](const QString& text) {
        if (!m_session.isReadOnly())
            shownBody()->textCursor().insertText(text);
    });
    return m_children.open(Kind::Pictures, window);
}

bool MainWindow::webPictureWaits()
{
    // One pictures window at a time: a web picture waiting in it for the next registration is not dropped for another.
    auto* pictures = m_children.find<PicturesWindow>(Kind::Pictures);
    if (!pictures || pictures->isBoundToScrap() || !pictures->waitingPicture())
        return false;
    pictures->raise();
    pictures->activateWindow();
    m_dialogs.information(QStringLiteral("ウェブから取り込んだ画像が登録を待っています。　"
                                         "スクラップ作成で登録するか、画像の画面を閉じてから開いてください。"));
    return true;
}

void MainWindow::openPicturesOfEntryScrap()
{
    if (webPictureWaits())
        return;
    m_mode = Mode::Registration;
    if (m_entryScrap)
        openPicturesWindow(PicturesOpener::Registration, m_entryScrap, QString());
}

PicturesWindow* MainWindow::openPicturesOfShownScrap()
{
    if (webPictureWaits())
        return nullptr;
    m_children.closeAll();
    m_mode = Mode::RecordView;
    const std::optional<ScrapIdentity> shown = record()->shownScrap();
    if (!shown)
        return nullptr;
    PicturesWindow* pictures =
        openPicturesWindow(PicturesOpener::RecordView, shown, m_recordSheet->value(ScrapSheet::TitleRow));
    pictures->showFirstPicture();
    return pictures;
}

void MainWindow::showPictureHolding(bool recordShown)
{
    const std::optional<PictureText::Holding> holding =
        recordShown && m_record ? m_record->pictureHoldingSearchWords() : std::nullopt;
    if (!holding) {
        if (m_pictureHolding)
            m_pictureHolding->hide();
        m_pictureHoldingRowid = 0;
        return;
    }
    if (!m_pictureHolding) {
        m_pictureHolding = new QPushButton(statusBar());
        m_pictureHolding->setObjectName(QStringLiteral("PictureHolding"));
        m_pictureHolding->setFlat(true);
        m_pictureHolding->setCursor(Qt::PointingHandCursor);
        // Drawn as a link, as the source's title beside it.
        QFont underlined = m_pictureHolding->font();
        underlined.setUnderline(true);
        m_pictureHolding->setFont(underlined);
        QPalette linkColour = m_pictureHolding->palette();
        linkColour.setColor(QPalette::ButtonText, linkColour.color(QPalette::Link));
        m_pictureHolding->setPalette(linkColour);
        m_pictureHolding->setToolTip(QStringLiteral("画像を開き、見つかった文字を枠で示します"));
        statusBar()->addPermanentWidget(m_pictureHolding);
        connect(m_pictureHolding, &QPushButton::clicked, this, [this] {
            const qint64 rowid = m_pictureHoldingRowid;
            const QStringList words = m_record ? m_record->searchWords() : QStringList();
            if (PicturesWindow* pictures = openPicturesOfShownScrap())
                pictures->showPictureWithWords(rowid, words);
        });
    }
    m_pictureHoldingRowid = holding->rowid;
    m_pictureHolding->setText(
        QStringLiteral("画像 %1/%2 に「%3」").arg(holding->index + 1).arg(holding->count).arg(holding->word));
    m_pictureHolding->show();
}

void MainWindow::openPicturesForWebPicture()
{
    if (m_session.isReadOnly())
        return;
    openPicturesWindow(PicturesOpener::Favourites, std::nullopt, QString())->pastePicture();
    m_sources->takeFromPage();
    // The picture waits in the window while the user writes and registers its scrap.
    m_tabs->setCurrentIndex(TabEntry);
}

void MainWindow::onPictureSetChanged(qint64 scrapRowid, qint64 skID)
{
    if (m_entryScrap && m_entryScrap->rowid == scrapRowid)
        m_entryScrap->skID = skID;
    record()->notePictureSet(scrapRowid, skID);
    listController()->notePictureSet(scrapRowid, skID);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_entryBody && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && typedText(entryBody()).isEmpty())
            endEntryMarking();
    }
    return QMainWindow::eventFilter(watched, event);
}
