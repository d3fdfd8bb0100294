// Reading aloud: which text each of the three reads takes.
#include "mainwindow.h"
#include "speechreader.h"
#include "web/webpane.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>

void MainWindow::ReadAloud(int mode)
{
    const QClipboard* clipboard = QApplication::clipboard();
    switch (mode) {
    case 0:
        m_webPane->copySelection();
        m_reader->read(m_webPane->selectedText());
        break;
    case 1:
        m_reader->read(entryBody()->toPlainText());
        break;
    default:
        m_reader->read(clipboard->text().isEmpty() ? recordBody()->toPlainText() : clipboard->text());
        break;
    }
}
