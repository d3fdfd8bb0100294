#include "typedtext.h"

#include <QPlainTextEdit>
#include <QTextDocument>

QString typedText(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}
