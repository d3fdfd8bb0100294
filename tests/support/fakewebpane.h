#pragma once

#include "web/webpane.h"

#include <QFile>
#include <QStringList>
#include <QTimer>

// Stands in for the browser: records what the main window asked of it, and shows whatever page a test says.
class FakeWebPane final : public WebPane {
public:
    QString currentUrl() const override { return url; }
    QString currentTitle() const override { return title; }
    void navigate(const QString& address) override { calls << QStringLiteral("navigate ") + address; }
    void goBack() override { calls << QStringLiteral("back"); }
    void goForward() override { calls << QStringLiteral("forward"); }
    void goHome() override { calls << QStringLiteral("home"); }
    void goSearch() override { calls << QStringLiteral("search"); }
    void setHomePage(const QString& html) override { homePage = html; }
    void printPage() override { calls << QStringLiteral("print"); }
    void copySelection() override { calls << QStringLiteral("copy"); }
    QString selectedText() const override { return selection; }
    // Writes pageCopy into folder, or fails when it is empty.
    void savePageCopy(std::function<void(Result<QString>)> done) override
    {
        calls << QStringLiteral("save");
        Result<QString> saved = Failure{QStringLiteral("ページのコピーを保存できませんでした。")};
        if (!pageCopy.isEmpty() && !copyFolder.isEmpty()) {
            const QString path = copyFolder + QStringLiteral("/page-") + QString::number(calls.size()) + u".mhtml";
            QFile file(path);
            if (file.open(QIODevice::WriteOnly) && file.write(pageCopy) == pageCopy.size())
                saved = path;
        }
        QTimer::singleShot(0, this, [done = std::move(done), saved] { done(saved); });
    }
    void showSavedPage(const QByteArray& mhtml, const QString& address) override
    {
        calls << QStringLiteral("saved ") + address;
        savedPage = mhtml;
    }
    bool showsSavedPage() const override { return !savedPage.isEmpty(); }

    // A page finished loading, as the engine would report it.
    void complete(const QString& pageUrl, const QString& pageTitle)
    {
        url = pageUrl;
        title = pageTitle;
        Q_EMIT navigationCompleted();
    }

    QStringList calls;
    QString url;
    QString title;
    QString homePage;
    QString selection;
    QByteArray pageCopy;
    QString copyFolder;
    QByteArray savedPage;
};
