#include "pagecopyoptionsdialog.h"

#include "common/session.h"
#include "common/userdialogs.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/scrapsources.h"
#include "database/transaction.h"
#include "sourcekeeper.h"
#include "sourceslog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

QSpinBox* megabytes(const QString& name, int most, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, most);
    box->setSuffix(QStringLiteral(" MB"));
    return box;
}

} // namespace

PageCopyOptionsDialog::PageCopyOptionsDialog(Session& session, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmPageCopy"));
    setWindowTitle(QStringLiteral("ページ保存の設定"));
    m_keep = new QCheckBox(QStringLiteral("ウェブから切り抜いたページのコピーを保存する"), this);
    m_keep->setObjectName(QStringLiteral("KeepCopies"));
    m_pageLimit = megabytes(QStringLiteral("PageLimit"), int(ScrapSources::kLargestPageCopy / kMegabyte), this);
    m_collectionLimit = megabytes(QStringLiteral("CollectionLimit"), 1024 * 1024, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(m_keep);
    form->addRow(QStringLiteral("1ページの上限（圧縮後）："), m_pageLimit);
    form->addRow(QStringLiteral("データベース全体の上限："), m_collectionLimit);
    form->addRow(buttons);

    const ScrapSources::CopyOptions options = currentCopyOptions(m_session);
    m_keep->setChecked(options.keepCopies);
    m_pageLimit->setValue(int(std::clamp<qint64>(options.pageLimit / kMegabyte, 1, m_pageLimit->maximum())));
    m_collectionLimit->setValue(
        int(std::clamp<qint64>(options.collectionLimit / kMegabyte, 1, m_collectionLimit->maximum())));
    const bool writable = m_session.connection() && !m_session.isReadOnly();
    for (QWidget* control : std::initializer_list<QWidget*>{m_keep, m_pageLimit, m_collectionLimit})
        control->setEnabled(writable);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(writable);
}

void PageCopyOptionsDialog::accept()
{
    Connection* connection = m_session.connection();
    if (!connection || m_session.isReadOnly())
        return;
    const ScrapSources::CopyOptions options{m_keep->isChecked(), m_pageLimit->value() * kMegabyte,
                                            m_collectionLimit->value() * kMegabyte};
    try {
        Transaction transaction(*connection);
        ScrapSources::writeOptions(*connection, options);
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcSources) << "cannot store the options of page copies:" << e.message();
        m_dialogs.critical(e.failure(QStringLiteral("ページ保存の設定を保存できませんでした。")).message());
        return;
    }
    QDialog::accept();
}
