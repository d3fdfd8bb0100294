#include "helpkey.h"

#include <QAction>
#include <QWidget>

QAction* addHelpKey(QWidget* window)
{
    auto* key = new QAction(window);
    key->setObjectName(QStringLiteral("helpKey"));
    key->setShortcut(QKeySequence::HelpContents);
    key->setShortcutContext(Qt::WindowShortcut);
    window->addAction(key);
    return key;
}
