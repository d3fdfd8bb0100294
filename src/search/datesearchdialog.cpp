#include "datesearchdialog.h"

#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "searchbuttonrow.h"
#include "searchlog.h"
#include "searchstatements.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const std::array<QString, 2> kNotADate = {
    QStringLiteral("「から」に入力された日付が正しくありません。　年/月/日（例 2024/01/31）の形で入力してください。"),
    QStringLiteral("「まで」に入力された日付が正しくありません。　年/月/日（例 2024/01/31）の形で入力してください。"),
};

} // namespace

DateSearchDialog::DateSearchDialog(Session& session, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("日付・期間検索"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(8);
    const std::array<QString, 2> captions = {QStringLiteral("から"), QStringLiteral("まで")};
    for (int i = 0; i < 2; ++i) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Combo1_%1").arg(i));
        combo->setEditable(true);
        // A typed date is searched for, not added to the list.
        combo->setInsertPolicy(QComboBox::NoInsert);
        QFont font = combo->font();
        font.setPointSize(m_session.displayFont.size);
        combo->setFont(font);
        combo->setMinimumContentsLength(14);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        m_combo[i] = combo;
        auto* label = new QLabel(captions[i], this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setBuddy(combo);
        layout->addWidget(combo, i, 0);
        layout->addWidget(label, i, 1);
    }

    auto* help = new QLabel(QStringLiteral(" ヘルプ： F1キー"), this);
    help->setObjectName(QStringLiteral("Label2"));
    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });
    layout->addLayout(searchButtonRow(this, help, [this] { RunDateSearch(); }), 2, 0, 1, 2);
    layout->setRowMinimumHeight(2, 40);

    FillDateLists();
    setFixedSize(sizeHint());
}

int DateSearchDialog::helpTopic() const
{
    return HelpTopic::kDateSearch;
}

void DateSearchDialog::FillDateLists()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    QList<QDate> dates;
    try {
        dates = LoadStoredDates(*connection);
    } catch (const DbError& e) {
        qCWarning(lcSearch) << "cannot read the stored dates:" << e.message();
        return;
    }
    QStringList texts;
    texts.reserve(dates.size());
    for (const QDate& date : dates)
        texts << shortDateText(date);
    for (QComboBox* combo : m_combo) {
        combo->addItems(texts);
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
}

void DateSearchDialog::RunDateSearch()
{
    std::array<QDate, 2> dates;
    for (int i = 0; i < 2; ++i) {
        dates[i] = parseDateText(m_combo[i]->currentText());
        if (!dates[i].isValid()) {
            m_dialogs.exclamation(kNotADate[i]);
            m_combo[i]->setFocus();
            m_combo[i]->lineEdit()->selectAll();
            return;
        }
    }
    Q_EMIT searchRequested(BuildDateSearchQuery(dates[0], dates[1]));
    accept();
}
