#include "toolbarbuttons.h"

#include "images.h"
#include "twips.h"

#include <QAction>
#include <QShortcut>
#include <QToolBar>

void fillToolbar(QToolBar* toolbar, std::span<const ToolbarButton> buttons, StatusTips statusTips)
{
    // The buttons are made anew for each layout, so the old ones go entirely, not only from view.
    const QList<QAction*> old = toolbar->actions();
    toolbar->clear();
    qDeleteAll(old);
    for (const ToolbarButton& button : buttons) {
        QAction* action = nullptr;
        if (button.isGap()) {
            auto* gap = new QWidget(toolbar);
            gap->setFixedWidth(twipsToPixels(button.gapWidth));
            action = toolbar->addWidget(gap);
        } else {
            action = new QAction(Images::icon(button.image), button.caption, toolbar);
            if (!button.tip.isEmpty()) {
                action->setToolTip(button.tip);
                if (statusTips == StatusTips::On)
                    action->setStatusTip(button.tip);
            }
            if (button.handler)
                QObject::connect(action, &QAction::triggered, action, [handler = button.handler] { handler(); });
            toolbar->addAction(action);
        }
        action->setObjectName(button.key);
    }
}

QAction* findToolbarButton(const QToolBar* toolbar, const QString& key)
{
    for (QAction* action : toolbar->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

void bindToolbarKeys(QWidget* window, QToolBar* toolbar, std::initializer_list<ToolbarKey> keys)
{
    for (const ToolbarKey& key : keys) {
        auto* shortcut = new QShortcut(key.sequence, window);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, toolbar, [toolbar, buttons = key.buttons] {
            for (const QString& name : buttons) {
                QAction* action = findToolbarButton(toolbar, name);
                if (action && action->isVisible() && action->isEnabled()) {
                    action->trigger();
                    return;
                }
            }
        });
    }
}
