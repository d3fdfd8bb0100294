#pragma once

#include <QString>
#include <QUrl>

// Hands a file or an address to the desktop's default program.
class Desktop {
public:
    virtual ~Desktop() = default;
    [[nodiscard]] virtual bool openFile(const QString& path) = 0;
    [[nodiscard]] virtual bool openUrl(const QUrl& url) = 0;
};
