#include "characterlimit.h"

#include "textcut.h"

#include <QLineEdit>

#include <algorithm>

namespace {

bool pairEndsAt(const QString& text, qsizetype end)
{
    return end >= 2 && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate();
}

qsizetype characterCount(const QString& text)
{
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i)
        count -= pairEndsAt(text, i + 1) ? 1 : 0;
    return count;
}

} // namespace

void limitToCharacters(QLineEdit* edit, int characters)
{
    // Room for that many characters were each a surrogate pair; the count itself is kept below.
    edit->setMaxLength(characters * 2);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, characters](const QString& text) {
        qsizetype excess = characterCount(text) - characters;
        if (excess <= 0)
            return;
        const qsizetype end = edit->cursorPosition();
        qsizetype start = end;
        for (; excess > 0 && start > 0; --excess)
            start -= pairEndsAt(text, start) ? 2 : 1;
        QString kept = text;
        kept.remove(start, end - start);
        edit->setText(leftWhole(kept, characters));
        edit->setCursorPosition(int(std::min(start, edit->text().size())));
    });
}
