#pragma once

#include "classtree/treerows.h"
#include "collection/collection.h"
#include "common/desktop.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "mainwindow/mainwindow.h"
#include "speech/speechoutput.h"
#include "web/webpane.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>
#include <string>

// Answers every question with "no" and every dialog with cancel, so that timing never waits on a person; keeps the
// last message, so that a failed operation can tell what the program said.
class SilentDialogs final : public UserDialogs {
public:
    void information(const QString& text) override { lastMessage = text; }
    void exclamation(const QString& text) override { lastMessage = text; }
    void critical(const QString& text) override
    {
        lastMessage = text;
        qWarning("zettora-bench: %s", qPrintable(text));
    }
    bool askYesNo(const QString&, Icon, Default, int) override { return false; }
    int askChoice(const QString&, const QStringList&, Icon) override { return choice; }
    std::optional<QString> openFile(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> chooseFolder(const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    QString lastMessage;
    int choice = 1; // the button a question of several answers is given: the second, as for No
};

// Opens nothing; remembers the last file it was handed.
class NoDesktop final : public Desktop {
public:
    bool openFile(const QString& path) override
    {
        lastFile = path;
        return false;
    }
    bool openUrl(const QUrl&) override { return false; }
    QString lastFile;
};

// The bench lists and steps; the web tab is never shown, so no browser is started.
class NoWebPane final : public WebPane {
public:
    QString currentUrl() const override { return {}; }
    QString currentTitle() const override { return {}; }
    void navigate(const QString&) override {}
    void goBack() override {}
    void goForward() override {}
    void goHome() override {}
    void goSearch() override {}
    void setHomePage(const QString&) override {}
    void printPage() override {}
    void copySelection() override {}
    QString selectedText() const override { return {}; }
    void savePageCopy(std::function<void(Result<QString>)> done) override { done(Failure{}); }
    void showSavedPage(const QByteArray&, const QString&) override {}
    bool showsSavedPage() const override { return false; }
};

// The bench never reads aloud.
class NoSpeech final : public SpeechOutput {
public:
    bool load(const QString&, const QString&) override { return false; }
    bool setLanguage(int) override { return false; }
    void moveTo(int, int) override {}
    void show() override {}
    void stop() override {}
    void speak(const QString&) override {}
    void unload() override {}
};

// The real main window on the collection, in search mode, as a user would list classes in it.
class ListingWindow {
public:
    explicit ListingWindow(const QString& path)
    {
        StartupOptions options;
        options.programFolder = QCoreApplication::applicationDirPath();
        options.databasePath = path;
        // The generated collection is thrown away: no copy of it goes to the user's data folder.
        options.backups = false;
        collection = std::make_unique<Collection>(session, dialogs, Collection::Options{.backups = false});
        window = std::make_unique<MainWindow>(session, *collection, dialogs, desktop, new NoWebPane, speech, options);
        window->show();
        // A large collection's scraps are read once the first frame is painted, before a user could click anything.
        QDeadlineTimer deadline(60000);
        while (session.connection() && !session.resultSet() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        window->findChild<QTabWidget*>(QStringLiteral("SSTab"))->setCurrentIndex(MainWindow::TabSearch);
        QCoreApplication::processEvents();
        if (!session.connection())
            throw std::runtime_error("the main window could not open the collection");
    }

    // Waits, taking the window's events, until the collection's worker has checked the file, made or checked the
    // body index and caught it up, and no backup runs: a measure taken beside it would time the worker too.
    void settle();
    // Back to the search list with no other window open, whatever the last operation left behind.
    void backToSearch();

    // Clicks the class at tree row `row` and lets the list draw itself.
    qint64 listRow(int row)
    {
        auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("fg0"));
        QTreeWidgetItem* item = TreeRows::itemAt(tree, row);
        Q_EMIT tree->itemClicked(item, 0);
        QCoreApplication::processEvents();
        return window->resultCount();
    }

    // Presses list row `row` (1-based), as a click in the list does.
    void pressListRow(int row)
    {
        auto* list = window->findChild<QTableView*>(QStringLiteral("fr"));
        Q_EMIT list->pressed(list->model()->index(row - 1, 0));
    }
    void press(const char* key)
    {
        QAction* button = window->toolbarButton(QString::fromLatin1(key));
        if (!button)
            throw std::runtime_error(std::string("the toolbar has no button ") + key);
        // A disabled button does nothing when pressed, which would time nothing.
        if (!button->isEnabled())
            throw std::runtime_error(std::string("the toolbar's button ") + key + " is disabled");
        button->trigger();
    }

    SilentDialogs dialogs;
    NoDesktop desktop;
    NoSpeech speech;
    Session session;
    std::unique_ptr<Collection> collection;
    std::unique_ptr<MainWindow> window;
};
