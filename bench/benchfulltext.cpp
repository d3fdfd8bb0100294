#include "benchops.h"
#include "common/qtuserdialogs.h"
#include "common/session.h"
#include "search/fulltextsearchdialog.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <stdexcept>

namespace {

constexpr int kRepeats = 21;
constexpr int kHits = 1000;
constexpr int kBodyLength = 100000;

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

const QString kWord = QStringLiteral("全文検索");

// kBodyLength characters in lines of 100, each holding the word once among Japanese and Latin filler.
QString benchBody()
{
    const QString filler = QStringLiteral("記事の本文 Zettora clippings 本文の続きです。").repeated(4);
    const int lineLength = kBodyLength / kHits;
    QString body;
    body.reserve(kBodyLength);
    for (int i = 0; i < kHits; ++i) {
        QString line = filler.left(lineLength - 1 - int(kWord.size()) - i % 7) + kWord;
        line += filler.left(lineLength - 1 - int(line.size()));
        body += line + u'\n';
    }
    return body;
}

// Record view's body box as the main window shows it, with the full-text window beside it.
struct MarkingScene {
    Session session;
    QtUserDialogs dialogs;
    QPlainTextEdit body;
    FullTextSearchDialog window{session, dialogs, &body};
    QString text = benchBody();

    MarkingScene()
    {
        body.resize(800, 600);
        body.show();
        window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(kWord);
    }
    void showScrap()
    {
        body.clear();
        body.setCurrentCharFormat(QTextCharFormat());
        body.setPlainText(text);
        body.moveCursor(QTextCursor::Start);
        body.viewport()->repaint();
    }
};

// The marking of every hit as the search button does it, until the box has painted the marks.
std::vector<double> markItems(BenchContext&)
{
    MarkingScene scene;
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kRepeats; ++i) {
        scene.showScrap();
        timer.start();
        scene.window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        scene.body.viewport()->repaint();
        times.push_back(elapsedMs(timer));
    }
    if (scene.body.textCursor().selectionStart() < kBodyLength - 100)
        throw std::runtime_error("the full-text marking did not reach the last hit");
    return times;
}

// Bare: only finding the same positions with QString::indexOf in the plain text, nothing folded or marked.
std::vector<double> markBareItems(BenchContext&)
{
    const QString text = benchBody();
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kRepeats; ++i) {
        timer.start();
        int found = 0;
        for (qsizetype at = text.indexOf(kWord); at >= 0; at = text.indexOf(kWord, at + kWord.size()))
            ++found;
        times.push_back(elapsedMs(timer));
        if (found != kHits)
            throw std::runtime_error("the full-text body does not hold the expected number of hits");
    }
    return times;
}

} // namespace

void registerFullTextOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(QStringLiteral("fulltext_mark"), markItems, markBareItems));
}
