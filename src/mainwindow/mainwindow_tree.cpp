// The tree pane: the classification tree or the favourites, and what a click on a node does.
#include "classtree/classtreeloader.h"
#include "classtree/treerows.h"
#include "common/images.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "mainwindow.h"
#include "mainwindowlog.h"

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
    if (!m_session.connection())
        return;
    QTreeWidgetItem* root = m_treePane->topLevelItem(0);
    try {
        Query favourites(*m_session.connection(),
                         QStringLiteral("SELECT ndWEB, ndID, fvName, fvAddress FROM extraNodeWEB ORDER BY ndWEB"));
        const QIcon page = Images::icon(QStringLiteral("imgFile"));
        while (favourites.next()) {
            auto* node = new QTreeWidgetItem(root, QStringList{favourites.text(2)});
            node->setData(0, kKeyRole, QString::number(favourites.integer(1)));
            node->setIcon(0, page);
        }
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the favourites:" << e.message();
    }
    m_treePane->expandAll();
    m_currentNode = root;
}

void MainWindow::onTreeNodeClicked(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_currentNode = item;
    switch (m_mode) {
    case Favourites:
        OpenFavourite();
        break;
    case Registration:
        if (m_entryBody->toPlainText().isEmpty()) {
            m_dialogs.exclamation(QStringLiteral("スクラップが空白なので登録画面を表示しません。"));
            return;
        }
        takeClassPathFromNode();
        openRegistrationSheet(TreeRows::rowOf(item));
        Q_EMIT registrationRequested(TreeRows::rowOf(item));
        break;
    case Search:
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
        Query favourite(*m_session.connection(),
                        QStringLiteral("SELECT fvAddress FROM extraNodeWEB WHERE ndID = ? ORDER BY rowid LIMIT 1"));
        favourite.bind(1, qint64(id));
        if (favourite.next())
            m_addressBox->setEditText(favourite.text(0));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the favourite" << id << e.message();
        return;
    }
    m_webShown = true;
    Q_EMIT navigateRequested(m_addressBox->currentText());
}
