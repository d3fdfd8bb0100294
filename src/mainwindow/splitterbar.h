#pragma once

#include <QWidget>

// The bar between the left pane and the tab strip: dragged with the left button, it reports where it was
// dropped so that the window can apply its drop rules.
class SplitterBar final : public QWidget {
    Q_OBJECT
public:
    explicit SplitterBar(QWidget* parent = nullptr);

Q_SIGNALS:
    void dropped(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
    int m_grabOffset = 0;
};
