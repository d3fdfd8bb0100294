// The tree pane: the classification tree or the favourites, and what a click on a node does.
#include "classtree/classtreeloader.h"
#include "classtree/favouritestore.h"
#include "classtree/treerows.h"
#include "common/images.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
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
    auto* root = new QTreeWidgetItem(m_treePane, QStringList{rootText});
    m_currentNode = root;
}

void MainWindow::resetClassTree()
{
    resetTree(QStringLiteral("スクラップ分類"));
}

void MainWindow::addClassNodes()
{
    if (m_session.connection())
        loadClassTree(m_treePane, *m_session.connection());
    m_currentNode = m_treePane->topLevelItem(0);
}

void MainWindow::resetFavouritesTree()
{
    resetTree(QStringLiteral("お気に入りサイト"));
}

void MainWindow::addFavouriteNodes()
{
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
        if (m_entryBody->toPlainText().isEmpty()) {
            m_dialogs.exclamation(QStringLiteral("スクラップが空白なので登録画面を表示しません。"));
            return;
        }
        takeClassPathFromNode();
        openRegistrationSheet(TreeRows::rowOf(item));
        Q_EMIT registrationRequested(TreeRows::rowOf(item));
        break;
    case Mode::Search:
        ListScrapsOfClass();
        break;
    default:
        break;
    }
}

void MainWindow::OpenFavourite()
{
    const auto id = qint16(m_currentNode ? m_currentNode->data(0, kKeyRole).toString().trimmed().toInt() : 0);
    if (!m_session.connection())
        return;
    try {
        if (const std::optional<QString> address = FavouriteAddress(*m_session.connection(), id))
            m_addressBox->setEditText(*address);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the favourite" << id << e.message();
        return;
    }
    m_webShown = true;
    m_webPane->navigate(m_addressBox->currentText());
}
