// clip_page: text clipped from a page of the web tab into a registered scrap with its source and the page's copy.
#include "benchops.h"
#include "classtree/treerows.h"
#include "collection/collection.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/query.h"
#include "listingwindow.h"
#include "mainwindow/mainwindow.h"
#include "pageserver.h"
#include "sources/sourcekeeper.h"
#include "web/enginewebpane.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int kPictures = 20;
constexpr int kTextBytes = 1024 * 1024;
constexpr int kWaitMs = 60000;

QByteArray noisyPng(int variant)
{
    QImage image(160, 120, QImage::Format_RGB32);
    QRandomGenerator random{quint32(variant)};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// About 2 MB: a megabyte of text and twenty pictures of some 57 KB each.
QByteArray clipPage(int number)
{
    QString body = QStringLiteral("<p id=\"t\">切り抜く段落です。</p>");
    for (int i = 0; i < kPictures; ++i)
        body += QStringLiteral("<img src=\"/pic%1.png\" width=\"160\" height=\"120\">").arg(i);
    const QString line =
        QStringLiteral("<p>記事の本文がここに続きます。日本語の文章で、切り抜きの対象になる部分です。</p>");
    while (body.toUtf8().size() < kTextBytes)
        body += line;
    return (QStringLiteral(
                "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>計測ページ%1</title></head><body>")
                .arg(number) +
            body + QStringLiteral("</body></html>"))
        .toUtf8();
}

bool waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The main window with the real browser on a collection of its own, and the pages it clips.
struct ClipBench {
    QTemporaryDir folder;
    PageServer server;
    SilentDialogs dialogs;
    NoDesktop desktop;
    NoSpeech speech;
    Session session;
    std::unique_ptr<Collection> collection;
    EngineWebPane* pane = nullptr;
    std::unique_ptr<MainWindow> window;

    ClipBench()
    {
        // The question about a page clipped before is answered Yes, as a user clipping one page again does.
        dialogs.choice = 0;
        for (int i = 0; i < kPictures; ++i)
            server.add(QStringLiteral("/pic%1.png").arg(i), {"image/png", noisyPng(i)});
        const Result<QString> path = Collection::create(folder.filePath(QStringLiteral("clip.mdb")));
        if (!path)
            throw std::runtime_error("cannot create the collection to clip into");
        StartupOptions options;
        options.programFolder = QCoreApplication::applicationDirPath();
        options.databasePath = *path;
        options.backups = false;
        collection = std::make_unique<Collection>(session, dialogs, Collection::Options{.backups = false});
        pane = new EngineWebPane(dialogs);
        window = std::make_unique<MainWindow>(session, *collection, dialogs, desktop, pane, speech, options);
        window->resize(1000, 700);
        window->show();
        if (!pane->start() || !waitUntil([this] { return collection->isWritable(); }))
            throw std::runtime_error("the window with the browser did not start");
    }

    // Untimed: the page to clip, loaded.
    void loadPage()
    {
        const QString path = QStringLiteral("/clip");
        server.add(path, {"text/html", clipPage(1)});
        // Loaded whole, pictures included: a copy of a page still loading would lack them.
        const QString address = server.url(path).toString();
        bool loaded = false;
        const QMetaObject::Connection done =
            QObject::connect(pane, &WebPane::navigationCompleted, pane,
                             [this, &loaded, address] { loaded = pane->currentUrl() == address; });
        pane->navigate(address);
        const bool shown = waitUntil([&loaded] { return loaded; });
        QObject::disconnect(done);
        if (!shown)
            throw std::runtime_error("the page to clip did not load");
        QCoreApplication::processEvents();
    }

    // From the command to the scrap registered with its source and copy; gives the stored copy in KB.
    qint64 clip()
    {
        Q_EMIT pane->textClipRequested(QStringLiteral("切り抜く段落です。"));
        if (!waitUntil([this] { return window->sourceKeeper()->copiesRunning() == 0; }))
            throw std::runtime_error("the page copy did not end");
        auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("fg0"));
        Q_EMIT tree->itemClicked(TreeRows::itemAt(tree, 1), 0);
        QWidget* sheet = nullptr;
        for (QWidget* found : window->findChildren<QWidget*>(QStringLiteral("Form3"))) {
            if (found->isVisible())
                sheet = found;
        }
        if (!sheet)
            throw std::runtime_error("no registration sheet opened");
        sheet->findChild<QPushButton*>(QStringLiteral("Command1_0"))->click();
        Query stored(*session.connection(), QStringLiteral("SELECT length(pageCopy) FROM zettora_sources ORDER BY "
                                                           "DocNo DESC LIMIT 1"));
        if (!stored.next() || stored.isNull(0))
            throw std::runtime_error("no copy stored: " + dialogs.lastMessage.toStdString());
        return (stored.integer(0) + 512) / 1024;
    }
};

} // namespace

void registerClipOps(BenchRegistry& registry)
{
    BenchOp op;
    op.name = QStringLiteral("clip_page");
    op.countName = QStringLiteral("stored_kb");
    auto clipBench = std::make_shared<std::weak_ptr<ClipBench>>();
    op.prepare = [clipBench](BenchContext& context) {
        // The engine refuses its sandbox to root, as the program's own tests run it.
        if (geteuid() == 0)
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        if (clipBench->expired()) {
            auto bench = std::make_shared<ClipBench>();
            bench->loadPage();
            context.kept.push_back(bench);
            *clipBench = bench;
        }
    };
    op.run = [clipBench](BenchContext&) { return clipBench->lock()->clip(); };
    registry.push_back(std::move(op));
}
