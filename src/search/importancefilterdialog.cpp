#include "importancefilterdialog.h"

#include "common/session.h"
#include "database/dberror.h"
#include "database/resultset.h"
#include "searchlog.h"
#include "searchstatements.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace {

const QString kNoFilter = QStringLiteral("絞込みなし");

} // namespace

ImportanceFilterDialog::ImportanceFilterDialog(Session& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("重要度による絞込み"));

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->setMinimumContentsLength(16);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // activated, not currentIndexChanged: choosing the level already shown applies it again.
    connect(m_combo, &QComboBox::activated, this, &ImportanceFilterDialog::ApplyLevelFilter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(m_combo);

    FillLevelList();
    setFixedSize(sizeHint().expandedTo(QSize(280, 0)));
}

void ImportanceFilterDialog::FillLevelList()
{
    m_combo->clear();
    m_combo->addItem(kNoFilter);
    if (Connection* connection = m_session.connection()) {
        try {
            m_combo->addItems(LoadLevelNames(*connection));
        } catch (const DbError& e) {
            qCWarning(lcSearch) << "cannot read the importance levels:" << e.message();
        }
    }
    // Nothing is chosen until the user picks an entry.
    m_combo->setCurrentIndex(-1);
}

void ImportanceFilterDialog::ApplyLevelFilter()
{
    const int index = m_combo->currentIndex();
    ResultSet* set = m_session.resultSet();
    if (index < 0 || !set)
        return;
    const QString chosen = m_combo->itemText(index);
    try {
        if (index == 0) {
            m_filterStr = kNoFilter;
            set->clearFilter();
        } else {
            m_filterStr = chosen;
            set->setFilter(QStringLiteral("a01"), m_filterStr);
        }
    } catch (const DbError& e) {
        qCWarning(lcSearch) << "cannot narrow the results by importance:" << e.message();
        return;
    }
    Q_EMIT filterApplied(m_filterStr);
}
