#pragma once

#include <QWidget>

class QTextBrowser;

// The help pages shipped with the program, opened at a topic's anchor.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void showTopic(int topic);
    QUrl currentUrl() const;

private:
    QTextBrowser* m_browser;
};
