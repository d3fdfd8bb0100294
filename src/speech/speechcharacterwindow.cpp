#include "speechcharacterwindow.h"

#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

constexpr int kPictureSize = 96;

} // namespace

SpeechCharacterWindow::SpeechCharacterWindow(const QString& name, const QString& picture)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("speechCharacter"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* image = new QLabel(this);
    image->setPixmap(QIcon(picture).pixmap(kPictureSize, kPictureSize));
    image->setAlignment(Qt::AlignCenter);
    auto* caption = new QLabel(name, this);
    caption->setObjectName(QStringLiteral("characterName"));
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(image);
    layout->addWidget(caption);
    adjustSize();
}

void SpeechCharacterWindow::mousePressEvent(QMouseEvent* event)
{
    m_grab = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void SpeechCharacterWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_grab);
}
