#pragma once

#include <QWidget>

// The area between toolbar and status bar, in which the main window places its panes by its own rules.
class PaneArea final : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

Q_SIGNALS:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        Q_EMIT resized();
    }
};
