#pragma once

class QAction;
class QWidget;

// Adds the F1 key to a window: the returned action fires while the window is active, and the caller connects
// it to showing the window's help topic.
QAction* addHelpKey(QWidget* window);
