#include "splitterbar.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget* parent)
    : QWidget(parent)
{
    setCursor(Qt::SizeHorCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_grabOffset = event->position().toPoint().x();
    raise();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPoint inParent = mapToParent(event->position().toPoint());
    move(inParent.x() - m_grabOffset, y());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    Q_EMIT dropped(event->globalPosition().toPoint());
}
