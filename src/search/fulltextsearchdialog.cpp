#include "fulltextsearchdialog.h"

#include "common/colourvalue.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/namedbutton.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "fulltextmarker.h"
#include "fulltextmatch.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kHintWidth = 330; // pixels: the hint wraps to about three lines

} // namespace

FullTextSearchDialog::FullTextSearchDialog(Session& session, UserDialogs& dialogs, QPlainTextEdit* body,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_body(body)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("全文検索"));

    auto* label1 = new QLabel(QStringLiteral("検索語句"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    const DisplayFont& shown = m_session.displayFont;
    QFont font(shown.name);
    if (shown.size > 0)
        font.setPointSize(shown.size);
    font.setBold(shown.bold);
    font.setItalic(shown.italic);
    m_text1->setFont(font);
    label1->setBuddy(m_text1);

    auto* hint = new QLabel(QStringLiteral("このダイアログを表示したまま「次へ」「戻る」を選択すると、"
                                           "次のスクラップでも自動的に全文検索されます。"),
                            this);
    hint->setObjectName(QStringLiteral("Label2"));
    hint->setWordWrap(true);
    hint->setFixedWidth(kHintWidth);

    auto* search = namedButton(QStringLiteral("Command1"), QStringLiteral("検索開始"), this, {.neverDefault = true});
    auto* cancel = namedButton(QStringLiteral("Command2"), QStringLiteral("キャンセル"), this, {.neverDefault = true});
    connect(search, &QPushButton::clicked, this, &FullTextSearchDialog::onSearchClicked);
    connect(m_text1, &QLineEdit::returnPressed, this, &FullTextSearchDialog::onSearchClicked);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(search);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(label1);
    layout->addWidget(m_text1);
    layout->addSpacing(4);
    layout->addWidget(hint);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

int FullTextSearchDialog::helpTopic() const
{
    return HelpTopic::kFullTextSearch;
}

bool FullTextSearchDialog::MarkAllHits()
{
    if (!m_body || m_fullTextWord.isEmpty())
        return false;
    const QList<FullText::Hit> hits = FullText::findAll(m_body->toPlainText(), m_fullTextWord);
    if (hits.isEmpty())
        return false;
    FullTextMarker::markHits(m_body->document(), hits,
                             {ColourValue::toColour(m_session.markers.seek), m_session.displayFont.name});
    QTextCursor last = m_body->textCursor();
    last.setPosition(hits.last().start);
    last.setPosition(hits.last().start + hits.last().length, QTextCursor::KeepAnchor);
    m_body->setTextCursor(last);
    return true;
}

void FullTextSearchDialog::onSearchClicked()
{
    const QString word = m_text1->text().trimmed();
    if (word.isEmpty())
        return;
    m_fullTextWord = word;
    if (!MarkAllHits())
        m_dialogs.information(u'[' + m_fullTextWord + QStringLiteral("] は見つかりませんでした。"));
}

void FullTextSearchDialog::closeEvent(QCloseEvent* event)
{
    // The automatic marking ends; the marks shown stay until the scrap is shown again.
    m_fullTextWord.clear();
    QWidget::closeEvent(event);
    Q_EMIT closed();
}
