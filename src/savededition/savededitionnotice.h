#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The small notice shown while a saved edition is made: what is being done, and how far the copy has got. While it
// shows, the main window takes no input.
class SavedEditionNotice final : public QDialog {
    Q_OBJECT
public:
    explicit SavedEditionNotice(QWidget* parent = nullptr);

    void showText(const QString& text);
    // Moves the bar and paints, without handing the user's input to any window.
    void setProgress(int done, int total);

private:
    QLabel* m_label;
    QProgressBar* m_progress;
};
