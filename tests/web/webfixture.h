#pragma once

#include "database/connection.h"
#include "pageserver.h"
#include "threescrapsfixture.h"
#include "web/enginewebpane.h"

#include <QBuffer>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

// The engine's first start and every load run under the sanitizers here: generous, but bounded.
inline constexpr int kLoadMs = 60000;
// What a click on a page starts has long begun by then; a refused one shows no sign of its own to wait for.
inline constexpr int kSettleMs = 1000;
// The pictures window's limit, kMaxPictureBytes.
inline constexpr qint64 kPictureLimit = 100LL * 1024 * 1024;

inline QByteArray pngOf(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline QByteArray html(const QString& title, const QString& body)
{
    return (u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>"_s + title +
            u"</title></head><body style=\"margin:0\">"_s + body + u"</body></html>"_s)
        .toUtf8();
}

// The main window on three scraps with the real browser, and pages to show it: /a holds a 200 x 150 picture at
// the top left with a line of text below it, /b is plain, /popup is one large link that opens /b in a new window,
// /blankpopups opens three windows that name no address.
struct WebFixture : ThreeScrapsFixture {
    PageServer server;
    EngineWebPane* pane = new EngineWebPane(dialogs);

    WebFixture()
    {
        server.add(u"/a"_s, {"text/html", html(u"ページA"_s, u"<img src=\"/pic.png\" width=\"200\" height=\"150\" "
                                                             "style=\"display:block\"><p id=\"t\" style=\"margin:0;"
                                                             "font-size:40px\">日本語の本文です。</p>"_s)});
        server.add(u"/b"_s, {"text/html", html(u"ページB"_s, u"<p>二ページ目</p>"_s)});
        server.add(u"/popup"_s,
                   {"text/html", html(u"ポップアップ"_s, u"<a href=\"/b\" target=\"_blank\" "
                                                         "style=\"display:block;width:400px;height:200px\">"
                                                         "開く</a>"_s)});
        server.add(u"/blankpopups"_s,
                   {"text/html", html(u"空のポップアップ"_s, u"<script>for (let i = 0; i < 3; ++i) window.open('')"
                                                             ".document.write('<script>setInterval(() => {}, 10)"
                                                             "<\\/script>');</script>"_s)});
        server.add(u"/pic.png"_s, {"image/png", pngOf({200, 150})});
        server.add(u"/memo.txt"_s,
                   {"text/plain", "memo", "Content-Disposition: attachment; filename=\"memo.txt\"\r\n"});
    }
    MainWindow& startWithEngine()
    {
        MainWindow& w = start(pane);
        w.resize(1000, 700);
        return w;
    }
    QWebEngineView* view() const { return qobject_cast<QWebEngineView*>(pane->engineView()); }
    QUrl shownUrl() const { return view() ? view()->url() : QUrl(); }
    QComboBox* addressBox() const { return child<QComboBox>(u"URLbox"); }
    // Loads path by the address box and waits until the page is complete.
    bool openByAddressBox(const QString& path) { return openByAddressBox(server.url(path)); }
    bool openByAddressBox(const QUrl& url)
    {
        addressBox()->setEditText(url.toString());
        QTest::keyClick(addressBox(), Qt::Key_Return);
        return waitFor(url);
    }
    bool waitFor(const QUrl& url) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kLoadMs) {
            // The engine reports no end for a load begun while this one still loads: this one must have ended.
            if (shownUrl() == url && !view()->page()->isLoading() && addressBox()->currentText() == pane->currentUrl())
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    // Clicks the page at pos until done() holds: a page just loaded may not take input yet.
    bool clickUntil(Qt::MouseButton button, QPoint pos, const std::function<bool()>& done) const
    {
        QWidget* target = view()->focusProxy();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kLoadMs) {
            QTest::mouseClick(target, button, {}, pos);
            for (int i = 0; i < 100; ++i) {
                QTest::qWait(20);
                if (done())
                    return true;
            }
        }
        return false;
    }
    // A right click on the page at pos, and the menu it opens.
    QMenu* rightClick(QPoint pos) const
    {
        const auto menu = [this] { return pane->findChild<QMenu*>(u"webContextMenu"_s); };
        return clickUntil(Qt::RightButton, pos, [&menu] { return menu() != nullptr; }) ? menu() : nullptr;
    }
    void runScript(const QString& script) const { scriptValue(script); }
    QVariant scriptValue(const QString& script) const
    {
        std::optional<QVariant> value;
        view()->page()->runJavaScript(script, [&value](const QVariant& result) { value = result; });
        QElapsedTimer timer;
        timer.start();
        while (!value && timer.elapsed() < kLoadMs)
            QTest::qWait(20);
        return value.value_or(QVariant());
    }
};
