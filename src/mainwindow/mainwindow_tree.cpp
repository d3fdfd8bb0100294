// The tree pane: the classification tree or the favourites, and what a click on a node does.
#include "classtree/classtreeloader.h"
#include "classtree/favouritestore.h"
#include "classtree/treerows.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "scraplistcontroller.h"
#include "web/webpane.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

constexpr int kKeyRole = Qt::UserRole;

} // namespace

void MainWindow::resetTree(const QString& rootText)
{
    m_treePane->clear();
    m_currentNode = new QTreeWidgetItem(m_treePane, QStringList{rootText});
}

void MainWindow::showClassTree()
{
    resetTree(QStringLiteral("スクラップ分類"));
    if (m_session.connection())
        loadClassTree(m_treePane, *m_session.connection());
    m_currentNode = m_treePane->topLevelItem(0);
}

void MainWindow::showFavouritesTree()
{
    resetTree(QStringLiteral("お気に入りサイト"));
    if (m_session.connection())
        loadFavourites(m_treePane, *m_session.connection());
    m_currentNode = m_treePane->topLevelItem(0);
}

void MainWindow::onTreeNodeClicked(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_currentNode = item;
    switch (m_mode) {
    case Mode::Favourites:
        OpenFavourite();
        break;
    case Mode::Registration:
        if (entryBody()->toPlainText().isEmpty()) {
            m_dialogs.exclamation(QStringLiteral("スクラップが空白なので登録画面を表示しません。"));
            return;
        }
        m_session.currentClass = classPathOf(item);
        openRegistrationSheet(TreeRows::rowOf(item));
        Q_EMIT registrationRequested(TreeRows::rowOf(item));
        break;
    case Mode::Search:
        m_session.currentClass = classPathOf(item);
        listController()->listClass(m_session.currentClass, TreeRows::levelOf(item));
        break;
    default:
        break;
    }
}

void MainWindow::OpenFavourite()
{
    const qint64 id = m_currentNode ? m_currentNode->data(0, kKeyRole).toString().trimmed().toLongLong() : 0;
    if (!m_session.connection())
        return;
    try {
        if (const std::optional<QString> address = FavouriteAddress(*m_session.connection(), id))
            m_addressBox->setEditText(*address);
    } catch (const std::exception& e) {
        qCWarning(lcMainWindow) << "cannot read the favourite" << id << e.what();
        return;
    }
    m_webShown = true;
    m_webPane->navigate(m_addressBox->currentText());
}
