#pragma once

#include "desktop.h"

class QtDesktop final : public Desktop {
public:
    bool openFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
};
