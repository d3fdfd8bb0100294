#pragma once

#include <QIcon>
#include <QString>

// The program's image keys ("blue", "exclam", "arw6lt", ...) and the themed icon behind each.
namespace Images {

// Makes the bundled icon theme the one Qt looks in, also on desktops that name none (or headless).
void installIconTheme();
// The freedesktop icon name behind a key; empty for a key the program does not know.
QString iconName(const QString& key);
// The icon of a key; a visible stand-in when the theme lacks it, so that no button is left without an image.
QIcon icon(const QString& key);

} // namespace Images
