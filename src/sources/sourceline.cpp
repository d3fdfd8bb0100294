#include "sourceline.h"

#include "common/textcut.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kShownTitleLength = 40;

QPushButton* linkButton(const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline; "
                                         "border: none; padding: 0 4px; }"));
    return button;
}

} // namespace

SourceLine::SourceLine(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SourceLine"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* caption = new QLabel(QStringLiteral("出典："), this);
    m_title = linkButton(QStringLiteral("SourceTitle"), this);
    m_site = linkButton(QStringLiteral("SourceSite"), this);
    m_site->setToolTip(QStringLiteral("このサイトからのスクラップを一覧します"));
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("SourceTime"));
    m_saved = linkButton(QStringLiteral("SourceSaved"), this);
    m_saved->setText(QStringLiteral("保存したページ"));
    for (QWidget* part : std::initializer_list<QWidget*>{caption, m_title, m_site, m_time, m_saved})
        layout->addWidget(part);
    connect(m_title, &QPushButton::clicked, this, [this] { Q_EMIT liveRequested(m_address); });
    connect(m_site, &QPushButton::clicked, this, [this] { Q_EMIT siteRequested(m_site->text()); });
    connect(m_saved, &QPushButton::clicked, this, &SourceLine::savedRequested);
    hide();
}

void SourceLine::showSource(const std::optional<ScrapSource>& source)
{
    if (!source) {
        m_address.clear();
        hide();
        return;
    }
    m_address = source->address;
    const QString title = source->title.trimmed().isEmpty() ? source->address : source->title.trimmed();
    const QString shown = title.size() > kShownTitleLength ? leftWhole(title, kShownTitleLength) + u'…' : title;
    // A button reads & as the mark of its shortcut key: "Q&A" would show as "QA" and take Alt+A.
    m_title->setText(QString(shown).replace(u'&', QStringLiteral("&&")));
    m_title->setToolTip(source->address);
    const QString host = ScrapSources::hostOf(source->address);
    m_site->setText(host);
    m_site->setVisible(!host.isEmpty());
    m_time->setText(source->clippedAt.isValid()
                        ? source->clippedAt.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"))
                        : QString());
    m_saved->setVisible(source->hasCopy || !source->pageCopy.isEmpty());
    show();
}
