#pragma once

#include <QWidget>

// The speech character on the desktop: its picture and name in a small frameless window that stays on top and
// can be dragged with the mouse; its context menu hides it.
class SpeechCharacterWindow final : public QWidget {
public:
    // picture is a resource path of the character's SVG picture.
    SpeechCharacterWindow(const QString& name, const QString& picture);

    // Puts the window at place (screen pixels), moved in so that all of it stays on the available screen.
    void placeOnScreen(const QPoint& place);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint m_grab;
};
