#pragma once

#include "database/scrapsources.h"

#include <QWidget>

class QLabel;
class QPushButton;

// Record view's line about where the shown scrap came from: the page's title as a link, its site (a listing of every
// scrap from it) and the clip time, and the page as it was kept.
class SourceLine final : public QWidget {
    Q_OBJECT
public:
    explicit SourceLine(QWidget* parent = nullptr);

    // Hidden for a scrap without a source.
    void showSource(const std::optional<ScrapSource>& source);
    const QString& address() const { return m_address; }

Q_SIGNALS:
    void liveRequested(const QString& address);
    void savedRequested();
    void siteRequested(const QString& host);

private:
    QPushButton* m_title;
    QPushButton* m_site;
    QLabel* m_time;
    QPushButton* m_saved;
    QString m_address;
};
