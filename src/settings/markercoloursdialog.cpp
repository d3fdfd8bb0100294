#include "markercoloursdialog.h"

#include "common/colourvalue.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/namedbutton.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "displaysettingsstore.h"
#include "settingslog.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* sampleLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMargin(8);
    label->setMinimumWidth(240);
    label->setAutoFillBackground(true);
    return label;
}

void setRole(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

MarkerColoursDialog::MarkerColoursDialog(Session& session, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("マーカー色"));

    m_underlineSample = sampleLabel(QStringLiteral("Label2_0"), QStringLiteral("下線文字列色"), this);
    m_markerSample = sampleLabel(QStringLiteral("Label2_1"), QStringLiteral("全文検索文字列　マーカー色"), this);
    auto* help = new QLabel(QStringLiteral(" ヘルプ： F1キー"), this);
    help->setObjectName(QStringLiteral("Label2_2"));
    // The underline sample sits on the text boxes' white, as the marked passages do.
    setRole(m_underlineSample, QPalette::Window, ColourValue::toColour(ColourValue::kWindow));

    auto* chooseUnderline = namedButton(QStringLiteral("Command1_0"), QStringLiteral("色選択"), this,
                                        {.neverDefault = true, .minimumWidth = 96});
    auto* chooseMarker = namedButton(QStringLiteral("Command1_1"), QStringLiteral("色選択"), this,
                                     {.neverDefault = true, .minimumWidth = 96});
    auto* close = namedButton(QStringLiteral("Command1_2"), QStringLiteral("閉じる"), this,
                              {.neverDefault = true, .minimumWidth = 96});
    connect(chooseUnderline, &QPushButton::clicked, this, [this] { ChooseMarkerColour(kUnderlineMarker); });
    connect(chooseMarker, &QPushButton::clicked, this, [this] { ChooseMarkerColour(kFullTextMarker); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(12);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(m_underlineSample, 0, 0);
    layout->addWidget(chooseUnderline, 0, 1, Qt::AlignVCenter);
    layout->addWidget(m_markerSample, 1, 0);
    layout->addWidget(chooseMarker, 1, 1, Qt::AlignVCenter);
    layout->addWidget(help, 2, 0, Qt::AlignLeft | Qt::AlignBottom);
    layout->addWidget(close, 2, 1);

    showUnderlineColour(ColourValue::toColour(m_session.markers.stress));
    showMarkerColour(ColourValue::toColour(m_session.markers.seek));
    setFixedSize(sizeHint());
}

int MarkerColoursDialog::helpTopic() const
{
    return HelpTopic::kMarkerColours;
}

void MarkerColoursDialog::ChooseMarkerColour(int which)
{
    const quint32 current = which == kUnderlineMarker ? m_session.markers.stress : m_session.markers.seek;
    const std::optional<QColor> chosen = m_dialogs.chooseColour(m_lastChosen.value_or(ColourValue::toColour(current)));
    if (!chosen)
        return;
    m_lastChosen = *chosen;
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    try {
        StoreMarkerColour(*connection, which, ColourValue::fromColour(*chosen));
    } catch (const DbError& e) {
        // The sample keeps showing the colour in use.
        qCWarning(lcSettings) << "cannot store the marker colour:" << e.message();
        m_dialogs.critical(e.failure(QStringLiteral("マーカー色を保存できませんでした。")).message());
        return;
    }
    if (which == kUnderlineMarker)
        showUnderlineColour(*chosen);
    else
        showMarkerColour(*chosen);
    ReadBackColor(*connection, m_session.markers);
}

void MarkerColoursDialog::showUnderlineColour(const QColor& colour)
{
    setRole(m_underlineSample, QPalette::WindowText, colour);
}

void MarkerColoursDialog::showMarkerColour(const QColor& colour)
{
    setRole(m_markerSample, QPalette::Window, colour);
}
