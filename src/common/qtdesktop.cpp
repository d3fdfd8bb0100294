#include "qtdesktop.h"

#include "commonlog.h"

#include <QDesktopServices>
#include <QFileInfo>

bool QtDesktop::openFile(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        qCWarning(lcCommon) << "nothing to open at" << path;
        return false;
    }
    return openUrl(QUrl::fromLocalFile(path));
}

bool QtDesktop::openUrl(const QUrl& url)
{
    // The answer can be true although no program started; it is only logged, never shown.
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok)
        qCWarning(lcCommon) << "the desktop could not open" << url;
    return ok;
}
