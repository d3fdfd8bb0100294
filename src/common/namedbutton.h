#pragma once

class QPushButton;
class QString;
class QWidget;

struct ButtonOptions {
    bool neverDefault = false; // Enter in the window never presses it
    int minimumWidth = 0;      // pixels
};

// A push button named for tests and help to find it.
QPushButton* namedButton(const QString& name, const QString& text, QWidget* parent, ButtonOptions options = {});
