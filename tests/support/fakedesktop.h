#pragma once

#include "common/desktop.h"

#include <QStringList>

// Records what the program asked the desktop to open.
class FakeDesktop final : public Desktop {
public:
    bool openFile(const QString& path) override
    {
        opened << path;
        return opens;
    }
    bool openUrl(const QUrl& url) override
    {
        opened << url.toString();
        return true;
    }
    QStringList opened;
    // Whether a program on the desktop takes the file.
    bool opens = true;
};
