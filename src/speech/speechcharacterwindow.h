#pragma once

#include <QWidget>

// The speech character on the desktop: its picture and name in a small frameless window that stays on top and
// can be dragged with the mouse.
class SpeechCharacterWindow final : public QWidget {
public:
    // picture is a resource path of the character's SVG picture.
    SpeechCharacterWindow(const QString& name, const QString& picture);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint m_grab;
};
