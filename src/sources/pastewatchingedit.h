#pragma once

#include <QMimeData>
#include <QPlainTextEdit>

#include <functional>

// A text box that lets its owner see what is pasted into it before it is, so the page a pasted text names is kept.
class PasteWatchingEdit final : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

    std::function<void(const QMimeData&)> pasting;

protected:
    void insertFromMimeData(const QMimeData* source) override
    {
        if (source && pasting)
            pasting(*source);
        QPlainTextEdit::insertFromMimeData(source);
    }
};
