#include "images.h"

#include <QStandardPaths>

namespace Images {
namespace {

struct Entry {
    const char16_t* key;
    const char16_t* icon;
};

constexpr Entry kImages[] = {
    {u"blue", u"go-jump-locationbar"},
    {u"exclam", u"bookmark-new"},
    {u"arw6lt", u"go-previous"},
    {u"arw6rt", u"go-next"},
    {u"home", u"go-home"},
    {u"magni", u"edit-find"},
    {u"print", u"document-print"},
    {u"lip", u"text-speak"},
    {u"clear", u"document-new"},
    {u"cut", u"edit-cut"},
    {u"copy", u"edit-copy"},
    {u"past", u"edit-paste"},
    {u"left", u"edit-undo"},
    {u"clip", u"insert-image"},
    {u"red", u"format-text-underline"},
    {u"moon", u"color-fill"},
    {u"pic2", u"view-list-text"},
    {u"pic", u"view-calendar"},
    {u"pic3", u"tag"},
    {u"check", u"view-filter"},
    {u"excel", u"x-office-spreadsheet"},
    {u"each", u"view-preview"},
    {u"arrow", u"go-previous-view"},
    {u"record2", u"document-save"},
    {u"del", u"edit-delete"},
    {u"add", u"list-add"},
    {u"up", u"go-up"},
    {u"down", u"go-down"},
    {u"reg", u"document-save"},
    {u"cancel", u"dialog-cancel"},
    {u"backcolor", u"color-fill"},
    {u"imgFolder", u"folder"},
    {u"imgFile", u"text-html"},
    {u"hummer", u"configure"},
    {u"list", u"bookmark-new"},
    {u"CloseFolder", u"folder-new"},
    {u"tree", u"document-import"},
};

} // namespace

void installIconTheme()
{
    // Without a desktop's platform theme (headless, minimal window managers) Qt searches no system folder.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons))
            paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("breeze"));
    QIcon::setFallbackThemeName(QStringLiteral("breeze"));
}

QString iconName(const QString& key)
{
    for (const Entry& e : kImages) {
        if (key == QString::fromUtf16(e.key))
            return QString::fromUtf16(e.icon);
    }
    return {};
}

QIcon icon(const QString& key)
{
    const QString name = iconName(key);
    QIcon themed = name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
    return themed.isNull() ? QIcon::fromTheme(QStringLiteral("image-missing")) : themed;
}

} // namespace Images
