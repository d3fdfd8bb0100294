// The menus, the help entries and the version window.
#include "collection/collection.h"
#include "common/desktop.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/helpwindow.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "settings/fontchoice.h"
#include "settings/markercoloursdialog.h"
#include "speechreader.h"
#include "versiondialog.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

QMenu* MainWindow::addMenu(const QString& name, const QString& caption)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + QStringLiteral("Title"));
    return menu;
}

QAction* MainWindow::addMenuAction(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void MainWindow::buildMenus()
{
    menuBar()->setObjectName(QStringLiteral("menuBar"));

    QMenu* file = addMenu(QStringLiteral("mFile"), QStringLiteral("ファイル"));
    m_openAction = addMenuAction(file, QStringLiteral("mFileBookOpen"), QStringLiteral("Zettoraを開く"));
    m_openAction->setShortcut(QKeySequence::Open);
    connect(m_openAction, &QAction::triggered, this, &MainWindow::OpenOtherDatabase);
    m_createAction = addMenuAction(file, QStringLiteral("mFileBookCreate"), QStringLiteral("Zettora新規作成"));
    connect(m_createAction, &QAction::triggered, this, &MainWindow::CreateScrapDatabase);
    connect(addMenuAction(file, QStringLiteral("mFileImport"), QStringLiteral("旧形式のZettoraを取り込む…")),
            &QAction::triggered, this, &MainWindow::ImportOldCollection);
    m_backupAction = addMenuAction(file, QStringLiteral("mFileBackup"), QStringLiteral("今すぐバックアップ"));
    connect(m_backupAction, &QAction::triggered, this, &MainWindow::BackUpNow);
    m_restoreAction = addMenuAction(file, QStringLiteral("mFileRestore"), QStringLiteral("バックアップから復元…"));
    connect(m_restoreAction, &QAction::triggered, this, &MainWindow::RestoreFromBackup);
    file->addSeparator()->setObjectName(QStringLiteral("none1"));
    QAction* quit = addMenuAction(file, QStringLiteral("mFileQuit"), QStringLiteral("終了"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    m_reserveMenu = addMenu(QStringLiteral("mReserve"), QStringLiteral("保存版"));
    QAction* makeEdition = addMenuAction(m_reserveMenu, QStringLiteral("mReseveDo"), QStringLiteral("保存版作成"));
    connect(makeEdition, &QAction::triggered, this, &MainWindow::MakeSavedEdition);
    m_reserveMenu->addSeparator()->setObjectName(QStringLiteral("none4"));
    m_searchDeleteAction =
        addMenuAction(m_reserveMenu, QStringLiteral("mSearchDel"), QStringLiteral("検索結果全部削除"));
    connect(m_searchDeleteAction, &QAction::triggered, this, &MainWindow::DeleteAllSearchResults);

    QMenu* search = addMenu(QStringLiteral("mSearch"), QStringLiteral("検索"));
    m_bodySearchAction = addMenuAction(search, QStringLiteral("mSearchBody"), QStringLiteral("本文検索"));
    m_bodySearchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    m_bodySearchAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_bodySearchAction, &QAction::triggered, this, &MainWindow::focusBodySearch);
    connect(addMenuAction(search, QStringLiteral("mSearchSite"), QStringLiteral("出典サイトで検索…")),
            &QAction::triggered, this, &MainWindow::openSiteSearch);

    m_optionsMenu = addMenu(QStringLiteral("mOpt"), QStringLiteral("オプション"));
    QMenu* options = m_optionsMenu;
    connect(addMenuAction(options, QStringLiteral("mOptFont"), QStringLiteral("フォント・サイズ")), &QAction::triggered,
            this, [this] {
                if (ChooseDisplayFont(m_session, m_dialogs))
                    ApplyDisplayFont();
            });
    connect(addMenuAction(options, QStringLiteral("mOptPageCopy"), QStringLiteral("ページ保存の設定")),
            &QAction::triggered, this, &MainWindow::openPageCopyOptions);
    connect(addMenuAction(options, QStringLiteral("mOptMark"), QStringLiteral("マーカー色")), &QAction::triggered, this,
            [this] {
                m_children.open(ChildWindows::Kind::MarkerColours, new MarkerColoursDialog(m_session, m_dialogs, this));
            });
    options->addSeparator()->setObjectName(QStringLiteral("none5"));
    connect(addMenuAction(options, QStringLiteral("mOptRead"), QStringLiteral("読み上げ各種設定")), &QAction::triggered,
            this, [this] { m_reader->openSettings(); });
    connect(addMenuAction(options, QStringLiteral("mOptImportant"), QStringLiteral("スクラップ重要度")),
            &QAction::triggered, this, &MainWindow::openImportanceLevels);
    // Reading the text in pictures, on or off for each collection.
    QAction* pictureText =
        addMenuAction(options, QStringLiteral("mOptPictureText"), QStringLiteral("画像の文字を認識する"));
    pictureText->setCheckable(true);
    connect(options, &QMenu::aboutToShow, pictureText, [this, pictureText] {
        pictureText->setEnabled(m_collection.isWritable());
        pictureText->setChecked(m_collection.readsPictureText());
    });
    connect(pictureText, &QAction::triggered, this, [this](bool on) {
        if (!m_collection.isWritable())
            return;
        if (const Done turned = m_collection.setReadsPictureText(on); !turned)
            m_dialogs.critical(turned.failure().message());
    });

    QMenu* help = addMenu(QStringLiteral("mHelp"), QStringLiteral("ヘルプ"));
    connect(addMenuAction(help, QStringLiteral("mHelpSupport"), QStringLiteral("サポート")), &QAction::triggered, this,
            [this] { showHelp(HelpTopic::kSupport); });
    connect(addMenuAction(help, QStringLiteral("mHelpHelp"), QStringLiteral("ヘルプ")), &QAction::triggered, this,
            [this] {
                showHelp(0);
                m_helpTopic = HelpTopic::kMainWindow;
            });
    help->addSeparator()->setObjectName(QStringLiteral("none6"));
    connect(addMenuAction(help, QStringLiteral("mHelpReadMe"), QStringLiteral("ReadMe")), &QAction::triggered, this,
            &MainWindow::openReadMe);
    m_versionAction = addMenuAction(help, QStringLiteral("mHelpVersion"), QStringLiteral("バージョン情報"));
    connect(m_versionAction, &QAction::triggered, this, &MainWindow::showVersion);

    // F1 opens the help page of whatever the window is showing.
    connect(addHelpKey(this), &QAction::triggered, this, [this] { showHelp(m_helpTopic); });
}

void MainWindow::giveHelpKey(QWidget* window, int topic)
{
    connect(addHelpKey(window), &QAction::triggered, this, [this, topic] { showHelp(topic); });
}

void MainWindow::showHelp(int topic)
{
    if (!m_helpWindow) {
        m_helpWindow = new HelpWindow(this);
        ChildWindows::centre(m_helpWindow, QApplication::activeWindow() ? QApplication::activeWindow() : this);
    }
    // Asked from a modal window (the tree editor, the restore dialog), help stands over it, where the user can reach
    // it, until that window closes; the window manager keeps a modal window above everything else of its parent.
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QWidget* owner = modal ? static_cast<QWidget*>(modal) : this;
    if (m_helpWindow->parentWidget() != owner) {
        const QPoint at = m_helpWindow->pos();
        m_helpWindow->setParent(owner, Qt::Window);
        m_helpWindow->move(at);
        if (modal)
            connect(modal, &QDialog::finished, this, [this, at] {
                if (m_helpWindow && m_helpWindow->parentWidget() != this) {
                    const bool shown = m_helpWindow->isVisible();
                    m_helpWindow->setParent(this, Qt::Window);
                    m_helpWindow->move(at);
                    m_helpWindow->setVisible(shown);
                }
            });
    }
    m_helpWindow->showTopic(topic);
}

void MainWindow::openReadMe()
{
    // Beside the program in a build or a portable copy; where the FHS puts it in an installed one.
    const QDir program(m_options.programFolder);
    const QString beside = program.filePath(QStringLiteral("ReadMe.txt"));
    const QString installed = program.filePath(QStringLiteral("../share/doc/zettora/ReadMe.txt"));
    m_desktop.openFile(QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside
                                                                                  : QDir::cleanPath(installed));
}

void MainWindow::showVersion()
{
    auto* about = new VersionDialog(this);
    giveHelpKey(about, HelpTopic::kVersion);
    m_children.open(ChildWindows::Kind::Version, about);
}
