// The tree pane: the classification tree or the favourites, and what a click on a node does.
#include "classtree/classtreeloader.h"
#include "classtree/treerows.h"
#include "common/images.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "form1.h"
#include "mainwindowlog.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

constexpr int kKeyRole = Qt::UserRole;

} // namespace

void Form1::resetTree(const QString& rootText)
{
    m_fg0->clear();
    auto* root = new QTreeWidgetItem(m_fg0, QStringList{rootText});
    m_currentNode = root;
}

void Form1::InitFG0_SCR()
{
    resetTree(QStringLiteral("スクラップ分類"));
}

void Form1::InitFG0_SCRaddFolder()
{
    if (m_session.connection())
        loadClassTree(m_fg0, *m_session.connection());
    m_currentNode = m_fg0->topLevelItem(0);
}

void Form1::InitFG0_WEB()
{
    resetTree(QStringLiteral("お気に入りサイト"));
}

void Form1::InitFG0_WEBaddFolder()
{
    if (!m_session.connection())
        return;
    QTreeWidgetItem* root = m_fg0->topLevelItem(0);
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
    m_fg0->expandAll();
    m_currentNode = root;
}

void Form1::fg0_Click(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_currentNode = item;
    switch (m_fgMode) {
    case Favourites:
        OpenFavourite();
        break;
    case Registration:
        if (m_mData->toPlainText().isEmpty()) {
            m_dialogs.exclamation(QStringLiteral("スクラップが空白なので登録画面を表示しません。"));
            return;
        }
        GetKoshuStr();
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

void Form1::OpenFavourite()
{
    const auto id = qint16(m_currentNode ? m_currentNode->data(0, kKeyRole).toString().trimmed().toInt() : 0);
    if (!m_session.connection())
        return;
    try {
        Query favourite(*m_session.connection(),
                        QStringLiteral("SELECT fvAddress FROM extraNodeWEB WHERE ndID = ? ORDER BY rowid LIMIT 1"));
        favourite.bind(1, qint64(id));
        if (favourite.next())
            m_urlBox->setEditText(favourite.text(0));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the favourite" << id << e.message();
        return;
    }
    m_webShown = true;
    Q_EMIT navigateRequested(m_urlBox->currentText());
}
