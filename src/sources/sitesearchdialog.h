#pragma once

#include <QDialog>

class QListWidget;
class Session;

// 検索 → 出典サイトで検索: the sites scraps came from, each with its count; the one chosen is listed.
class SiteSearchDialog final : public QDialog {
    Q_OBJECT
public:
    explicit SiteSearchDialog(Session& session, QWidget* parent = nullptr);

Q_SIGNALS:
    void siteChosen(const QString& host);

private:
    void choose();

    QListWidget* m_sites;
};
