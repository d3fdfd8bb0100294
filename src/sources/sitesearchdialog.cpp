#include "sitesearchdialog.h"

#include "common/session.h"
#include "database/dberror.h"
#include "database/scrapsources.h"
#include "sourceslog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SiteSearchDialog::SiteSearchDialog(Session& session, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSiteSearch"));
    setWindowTitle(QStringLiteral("出典サイトで検索"));
    m_sites = new QListWidget(this);
    m_sites->setObjectName(QStringLiteral("Sites"));
    if (Connection* connection = session.connection()) {
        try {
            for (const auto& [host, count] : ScrapSources::sites(*connection)) {
                auto* item = new QListWidgetItem(QStringLiteral("%1　（%2件）").arg(host).arg(count), m_sites);
                item->setData(Qt::UserRole, host);
            }
        } catch (const DbError& e) {
            qCWarning(lcSources) << "cannot read the sites of the sources:" << e.message();
        }
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* list = buttons->addButton(QStringLiteral("一覧"), QDialogButtonBox::AcceptRole);
    list->setObjectName(QStringLiteral("ListSite"));
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &SiteSearchDialog::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_sites, &QListWidget::itemDoubleClicked, this, &SiteSearchDialog::choose);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(m_sites->count() > 0 ? QStringLiteral("一覧するサイトを選んでください。")
                                                 : QStringLiteral("出典のあるスクラップはまだありません。"),
                            this);
    layout->addWidget(hint);
    layout->addWidget(m_sites);
    layout->addWidget(buttons);
    if (m_sites->count() > 0)
        m_sites->setCurrentRow(0);
    list->setEnabled(m_sites->count() > 0);
}

void SiteSearchDialog::choose()
{
    const QListWidgetItem* item = m_sites->currentItem();
    if (!item)
        return;
    Q_EMIT siteChosen(item->data(Qt::UserRole).toString());
    accept();
}
