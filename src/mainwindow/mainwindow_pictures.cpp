// The pictures window opened from the entry pane, from record view and for a picture from the web pane.
#include "common/session.h"
#include "database/dberror.h"
#include "database/resultset.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "pictures/pictureswindow.h"
#include "scrap/scrapsheet.h"

#include <QTabWidget>

PicturesWindow* MainWindow::openPicturesWindow(PicturesOpener opener, const std::optional<ScrapIdentity>& scrap,
                                               const QString& title)
{
    if (m_pictures)
        m_pictures->close();
    auto* window = new PicturesWindow(m_session, m_dialogs, opener, scrap, title, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &PicturesWindow::helpRequested, this, &MainWindow::showHelp);
    connect(window, &PicturesWindow::pictureSetChanged, this, &MainWindow::onPictureSetChanged);
    m_pictures = window;
    window->show();
    return window;
}

void MainWindow::openPicturesOfEntryScrap()
{
    m_mode = Mode::Registration;
    if (m_entryScrap)
        openPicturesWindow(PicturesOpener::Registration, m_entryScrap, QString());
}

void MainWindow::openPicturesOfShownScrap()
{
    CloseOtherWindows();
    m_mode = Mode::RecordView;
    if (!m_shownScrap)
        return;
    openPicturesWindow(PicturesOpener::RecordView, m_shownScrap, m_recordSheet->value(ScrapSheet::TitleRow))
        ->showFirstPicture();
}

void MainWindow::openPicturesForWebPicture()
{
    if (m_session.isReadOnly())
        return;
    openPicturesWindow(PicturesOpener::Favourites, std::nullopt, QString())->pastePicture();
    // The picture waits in the window while the user writes and registers its scrap.
    m_tabs->setCurrentIndex(TabEntry);
}

void MainWindow::onPictureSetChanged(qint64 scrapRowid, qint16 skID)
{
    for (std::optional<ScrapIdentity>* scrap : {&m_entryScrap, &m_shownScrap}) {
        if (*scrap && (*scrap)->rowid == scrapRowid)
            (*scrap)->skID = skID;
    }
    // The file has the number already; the listed snapshot learns it so the list says "あり" or "なし".
    if (ResultSet* set = m_session.resultSet()) {
        try {
            set->noteStoredValue(scrapRowid, QStringLiteral("skID"), skID);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot note the picture set in the listing:" << e.message();
        }
        m_session.announceResultsChanged();
    }
    if (m_recordView && m_shownScrap && m_shownScrap->rowid == scrapRowid)
        setSheetValue(ScrapSheet::PicturesRow, skID == 0 ? QStringLiteral("なし") : QStringLiteral("あり"));
}
