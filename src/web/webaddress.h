#pragma once

#include <QString>
#include <QUrl>

// Which addresses the browser opens. A favourite comes from a collection, which may come from anyone: it may lead
// to a page, never run a script in the page shown.

// The address typed or stored, read as a browser's address box reads it ("www.example.com" is a web page, "/tmp/a"
// a file). Empty when it is no web or file address.
QUrl openableAddress(const QString& text);

// A web or file address: what the user may open.
[[nodiscard]] bool isOpenable(const QUrl& url);

// An address a page may lead to: the web only, never a local file.
[[nodiscard]] bool isWebAddress(const QUrl& url);
