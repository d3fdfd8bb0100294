#include "speechsettingsdialog.h"

#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/namedbutton.h"
#include "speechvoices.h"

#include <QAction>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kSlowest = 100;
constexpr int kFastest = 200;
constexpr int kUnsetSpeed = 140;
constexpr int kLanguageRows = 6;

QGroupBox* frame(const QString& name, const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

SpeechSettingsDialog::SpeechSettingsDialog(const std::optional<SpeechSettings>& stored, QWidget* parent)
    : QDialog(parent)
    , m_characters(new QButtonGroup(this))
    , m_languages(new QButtonGroup(this))
    , m_speed(new QSlider(Qt::Horizontal, this))
{
    setObjectName(QStringLiteral("frmSpeak"));
    setWindowTitle(QStringLiteral("読み上げ各種設定"));
    setModal(true);

    QGroupBox* characters = frame(QStringLiteral("Frame2"), QStringLiteral("キャラクター"), this);
    auto* characterLayout = new QVBoxLayout(characters);
    for (int i = 0; i < int(kSpeechCharacters.size()); ++i) {
        auto* option = new QRadioButton(QString::fromUtf16(kSpeechCharacters[std::size_t(i)].name), characters);
        option->setObjectName(QStringLiteral("Option2_%1").arg(i));
        m_characters->addButton(option, i);
        characterLayout->addWidget(option);
    }
    QGroupBox* languages = frame(QStringLiteral("Frame1"), QStringLiteral("言語"), this);
    auto* languageLayout = new QGridLayout(languages);
    for (int i = 0; i < int(kSpeechLanguages.size()); ++i) {
        auto* option = new QRadioButton(QString::fromUtf16(kSpeechLanguages[std::size_t(i)].caption), languages);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_languages->addButton(option, i);
        languageLayout->addWidget(option, i % kLanguageRows, i / kLanguageRows);
    }
    QGroupBox* speed = frame(QStringLiteral("Frame3"), QStringLiteral("読み上げ速度"), this);
    auto* speedLayout = new QHBoxLayout(speed);
    m_speed->setObjectName(QStringLiteral("Slider1"));
    m_speed->setRange(kSlowest, kFastest);
    m_speed->setTickPosition(QSlider::TicksBelow);
    m_speed->setTickInterval(10);
    speedLayout->addWidget(new QLabel(QStringLiteral("遅い"), speed));
    speedLayout->addWidget(m_speed, 1);
    speedLayout->addWidget(new QLabel(QStringLiteral("早い"), speed));

    auto* note =
        new QLabel(QStringLiteral("キャラクターの動き（アニメーション）には対応しません。\nヘルプ： F1キー"), this);
    note->setObjectName(QStringLiteral("Label1"));
    auto* ok = namedButton(QStringLiteral("Command1"), QStringLiteral("ＯＫ"), this, {.minimumWidth = 96});
    auto* cancel = namedButton(QStringLiteral("Command2"), QStringLiteral("キャンセル"), this,
                               {.neverDefault = true, .minimumWidth = 96});
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(HelpTopic::kReadingAloud); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note, 1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QGridLayout(this);
    layout->addWidget(characters, 0, 0);
    layout->addWidget(languages, 0, 1);
    layout->addWidget(speed, 1, 0, 1, 2);
    layout->addLayout(buttons, 2, 0, 1, 2);

    m_speed->setValue(kUnsetSpeed);
    if (!stored)
        return;
    if (stored->languageIndex >= 0 && stored->languageIndex < int(kSpeechLanguages.size()))
        m_languages->button(stored->languageIndex)->setChecked(true);
    for (int i = 0; i < int(kSpeechCharacters.size()); ++i) {
        if (stored->character == QString::fromUtf16(kSpeechCharacters[std::size_t(i)].name))
            m_characters->button(i)->setChecked(true);
    }
    m_speed->setValue(stored->speed);
}

std::optional<QString> SpeechSettingsDialog::character() const
{
    const int checked = m_characters->checkedId();
    if (checked < 0)
        return std::nullopt;
    return QString::fromUtf16(kSpeechCharacters[std::size_t(checked)].name);
}

std::optional<int> SpeechSettingsDialog::languageIndex() const
{
    const int checked = m_languages->checkedId();
    return checked < 0 ? std::nullopt : std::optional<int>(checked);
}

int SpeechSettingsDialog::speed() const
{
    return m_speed->value();
}
