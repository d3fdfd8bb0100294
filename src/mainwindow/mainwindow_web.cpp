// The web tab: the address box, the start page of the open collection, and text clipped from a page.
#include "classtree/favouritestore.h"
#include "common/session.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "sources/sourceaddress.h"
#include "sources/sourcekeeper.h"
#include "web/startpage.h"
#include "web/webpane.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

void MainWindow::NavigateToAddressBox()
{
    const QString address = m_addressBox->currentText();
    if (address.isEmpty())
        return;
    m_webShown = true;
    m_webPane->navigate(address);
}

void MainWindow::refreshStartPage()
{
    QList<StartPageLink> links;
    if (Connection* connection = m_session.connection()) {
        try {
            for (const FavouriteSite& site : ListFavourites(*connection))
                links.append({site.name, site.address});
        } catch (const std::exception& e) {
            qCWarning(lcMainWindow) << "cannot read the favourites for the start page:" << e.what();
        }
    }
    m_webPane->setHomePage(startPageHtml(m_session.databaseName(), links));
}

void MainWindow::clipTextToEntry(const QString& text)
{
    if (m_session.isReadOnly() || !m_tabs->isTabEnabled(TabEntry))
        return;
    if (const std::optional<QString> address = keptSourceAddress(m_webPane->currentUrl());
        address && !clipAgainAllowed(*address))
        return;
    // A draft in the entry pane is added to, never replaced; the text of a scrap already registered is.
    if (m_entryScrap || entryBody()->toPlainText().isEmpty()) {
        clearEntry();
        entryBody()->setPlainText(text);
    } else {
        QTextCursor end(entryBody()->document());
        end.movePosition(QTextCursor::End);
        end.insertText(u'\n' + text);
    }
    m_sources->takeFromPage();
    m_tabs->setCurrentIndex(TabEntry);
    entryBody()->moveCursor(QTextCursor::End);
    entryBody()->setFocus();
}
