// Wires the program together: the real dialogs and desktop, the session, and the main window.
#include "collection/collection.h"
#include "common/fonts.h"
#include "common/images.h"
#include "common/qtdesktop.h"
#include "common/qtuserdialogs.h"
#include "common/quitonsignal.h"
#include "common/session.h"
#include "legacyimport/importcommand.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/startupoptions.h"
#include "speech/modulespeech.h"
#include "startupreport.h"
#include "web/enginewebpane.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>
#include <fontconfig/fontconfig.h>
#include <thread>
#include <unistd.h>

#ifdef __SANITIZE_ADDRESS__
// The engine's own library frees some objects through a base of another size; that is not ours to find.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

// The child that reads the text in pictures stands beside the program; without it pictures are simply not read.
static QString recognitionProgram()
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zettora-ocr"));
    return QFileInfo(path).isExecutable() ? path : QString();
}

int main(int argc, char* argv[])
{
    // A conversion from the shell opens no window, so it needs no display.
    if (LegacyImport::isImportCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return LegacyImport::runImportCommand(QCoreApplication::arguments(), out, err);
    }
    // Fontconfig reads its configuration while the display connection and the plugins load: the first text needs it.
    std::thread fontconfigLoad([] { FcInit(); });
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zettora"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    // Lets a Wayland desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("net.tarnwell.Zettora"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
    Images::installIconTheme();

    // Qt's own dialogs and buttons ("はい", "いいえ", "キャンセル") in Japanese.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    StartupOptions options;
    options.programFolder = QCoreApplication::applicationDirPath();
    const QStringList args = QCoreApplication::arguments();
    options.databasePath =
        args.size() > 1 ? QFileInfo(args.at(1)).absoluteFilePath()
                        : defaultCollectionPath(options.programFolder,
                                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    QtUserDialogs dialogs;
    QtDesktop desktop;
    Session session;
    Collection collection(
        session, dialogs,
        {.backups = options.backups, .recognitionProgram = recognitionProgram(), .recognitionDelayMs = 3000});
    auto* web = new EngineWebPane(dialogs);
    ModuleSpeech speech;
    MainWindow window(session, collection, dialogs, desktop, web, speech, options);
    reportStartup(window, *web);
    const QuitOnSignal quitOnSignal(window);
    window.show();
    const int code = QApplication::exec();
    fontconfigLoad.join();
    return code;
}
