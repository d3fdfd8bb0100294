#include "speechcharacterwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

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
    // Standing on top of other windows, it must be easy to put away.
    auto* hideAction = new QAction(QStringLiteral("隠す"), this);
    hideAction->setObjectName(QStringLiteral("hideCharacter"));
    connect(hideAction, &QAction::triggered, this, &QWidget::hide);
    addAction(hideAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void SpeechCharacterWindow::placeOnScreen(const QPoint& place)
{
    const QScreen* screen = QGuiApplication::screenAt(place);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        move(place);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    move(std::clamp(place.x(), area.left(), std::max(area.left(), area.left() + area.width() - size.width())),
         std::clamp(place.y(), area.top(), std::max(area.top(), area.top() + area.height() - size.height())));
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
