#pragma once

#include "collection/collection.h"
#include "common/session.h"
#include "fakedesktop.h"
#include "fakespeechoutput.h"
#include "fakeuserdialogs.h"
#include "fakewebpane.h"
#include "mainwindow/mainwindow.h"
#include "search/bodyindexer.h"
#include "testcollection.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <memory>

// The program the window runs for an import: the built one where the test knows it.
inline QString importProgram()
{
#ifdef ZETTORA_PROGRAM
    return QStringLiteral(ZETTORA_PROGRAM);
#else
    return {};
#endif
}

// A main window started on a collection in a folder of its own, with scripted dialogs.
struct Fixture {
    TestFolder folder;
    FakeUserDialogs dialogs;
    FakeDesktop desktop;
    FakeSpeechOutput speech;
    Session session;
    Collection collection{session, dialogs, {}};
    std::unique_ptr<MainWindow> window;
    // Owned by the window once it starts.
    FakeWebPane* web = new FakeWebPane;

    // Creates the default collection unless told not to, then starts the window.
    explicit Fixture(bool withDefaultCollection = true)
    {
        if (withDefaultCollection)
            folder.newCollection();
    }
    // Off, the window completes its start-up as the program's does: once its first frame is painted.
    bool completeAtOnce = true;
    MainWindow& start() { return start(web); }
    // Starts the window with another browser, such as the real one.
    MainWindow& start(WebPane* pane)
    {
        if (pane != web)
            delete std::exchange(web, nullptr);
        StartupOptions options;
        options.programFolder = folder.folder();
        options.databasePath = folder.path(QStringLiteral("Zettora.mdb"));
        options.importProgram = importProgram();
        window = std::make_unique<MainWindow>(session, collection, dialogs, desktop, pane, speech, options);
        window->show();
        if (completeAtOnce)
            window->completeStartUp();
        waitForBodyIndex();
        return *window;
    }
    // The index of the bodies is brought in step beside the window: tests that compare files wait for it, without
    // letting the window paint (some tests look at the window before its first frame).
    void waitForBodyIndex()
    {
        QDeadlineTimer deadline(20000);
        while (collection.bodyIndexer()->isRunning() && !deadline.hasExpired())
            QThread::msleep(5);
        // The file's check lifts the refusal of writes through a queued call; only that call is delivered.
        QCoreApplication::sendPostedEvents(&collection, QEvent::MetaCall);
    }
    template <typename T> T* child(const char16_t* name) const
    {
        return window->findChild<T*>(QString::fromUtf16(name));
    }
    QAction* action(const char16_t* name) const { return child<QAction>(name); }
    bool menuEnabled(const char16_t* name) const { return child<QMenu>(name)->menuAction()->isEnabled(); }
    QTabWidget* tabs() const { return child<QTabWidget>(u"SSTab"); }
    // A pane made only when first needed counts as not shown before then.
    bool paneShown(const char16_t* name) const
    {
        const QWidget* pane = child<QWidget>(name);
        return pane && !pane->isHidden();
    }
    void press(const char16_t* key) const { window->toolbarButton(QString::fromUtf16(key))->trigger(); }
    // A click on a node of a tree pane, as the view reports it.
    void clickNode(QTreeWidgetItem* item) const { Q_EMIT item->treeWidget()->itemClicked(item, 0); }
    // Presses list row `row` (1-based) with the mouse, in the list's viewport.
    void pressListRow(int row) const
    {
        auto* list = child<QTableView>(u"fr");
        QTest::mousePress(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row - 1, 0)).center());
    }
    void pressSheetCell(int row, int column) const { Q_EMIT child<QTableWidget>(u"fg1")->cellPressed(row, column); }
};
