#pragma once

#include <QKeySequence>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <span>

class QAction;
class QToolBar;
class QWidget;

// One button of a window's toolbar, or a fixed-width gap when it has a gap width and no caption.
struct ToolbarButton {
    QString key;
    QString caption;
    QString image;
    QString tip;
    std::function<void()> handler;
    int gapWidth = 0; // twips

    static ToolbarButton gap(const QString& key, int widthTwips) { return {key, {}, {}, {}, {}, widthTwips}; }
    bool isGap() const { return gapWidth > 0; }
};

// Whether a button's tip also goes to the window's status bar while the pointer rests on it.
enum class StatusTips { Off, On };

// Replaces the toolbar's buttons with these, each action named by its key and pressing its handler.
void fillToolbar(QToolBar* toolbar, std::span<const ToolbarButton> buttons, StatusTips statusTips = StatusTips::Off);
// The toolbar's action named key, a gap's included; null when the toolbar has none.
QAction* findToolbarButton(const QToolBar* toolbar, const QString& key);

// A key that presses a toolbar button from the keyboard.
struct ToolbarKey {
    QKeySequence sequence;
    QStringList buttons; // the first of these the toolbar shows enabled is pressed
};
// Binds the keys within window (a text being edited keeps the keys it uses); the toolbar may be refilled later.
void bindToolbarKeys(QWidget* window, QToolBar* toolbar, std::initializer_list<ToolbarKey> keys);
