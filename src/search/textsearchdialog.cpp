#include "textsearchdialog.h"

#include "common/characterlimit.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "database/dberror.h"
#include "searchbuttonrow.h"
#include "searchlog.h"
#include "searchstatements.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The widest text either index field holds.
constexpr int kMaxTextLength = 255;

} // namespace

TextSearchDialog::TextSearchDialog(Session& session, TextSearchField field, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_field(field)
{
    setObjectName(QStringLiteral("Form9"));
    if (field == TextSearchField::Title)
        setWindowTitle(QStringLiteral("標題検索"));
    else if (field == TextSearchField::Keyword)
        setWindowTitle(QStringLiteral("キーワード検索"));

    auto* caption = new QLabel(QStringLiteral("キーワード"), this);
    caption->setObjectName(QStringLiteral("Label1"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    limitToCharacters(m_text, kMaxTextLength);
    QFont font = m_text->font();
    font.setPointSize(m_session.displayFont.size);
    m_text->setFont(font);
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 40);
    caption->setBuddy(m_text);
    auto* hint = new QLabel(QStringLiteral("ワイルドカードは半角英数「%」を使用してください。"), this);
    hint->setObjectName(QStringLiteral("Label2"));
    auto* help = new QLabel(QStringLiteral(" ヘルプ： F1キー"), this);
    help->setObjectName(QStringLiteral("Label3"));

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });
    QHBoxLayout* buttons = searchButtonRow(this, help, [this] { RunTextSearch(); });
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setVerticalSpacing(8);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(m_text, 1, 0);
    layout->addWidget(hint, 2, 0);
    layout->addLayout(buttons, 3, 0);
    layout->setRowMinimumHeight(3, 40);
    setFixedSize(sizeHint());
}

int TextSearchDialog::helpTopic() const
{
    if (m_field == TextSearchField::Title)
        return HelpTopic::kTitleSearch;
    if (m_field == TextSearchField::Keyword)
        return HelpTopic::kKeywordSearch;
    return HelpTopic::kSearch;
}

void TextSearchDialog::RunTextSearch()
{
    std::optional<ResultSource> source;
    if (Connection* connection = m_session.connection()) {
        try {
            source = BuildTextSearchQuery(*connection, m_field, m_text->text());
        } catch (const DbError& e) {
            qCWarning(lcSearch) << "cannot compose the text search:" << e.message();
        }
    }
    if (source)
        Q_EMIT searchRequested(*source);
    accept();
}
