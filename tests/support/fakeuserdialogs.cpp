#include "fakeuserdialogs.h"

bool FakeUserDialogs::askYesNo(const QString& text, Icon, Default answer, int helpTopic)
{
    m_messages.append({Kind::Question, text, answer, helpTopic});
    return yesNo.isEmpty() ? false : yesNo.dequeue();
}

int FakeUserDialogs::askChoice(const QString& text, const QStringList& buttons, Icon)
{
    m_messages.append({Kind::Question, text});
    choiceButtons.append(buttons);
    if (!choices.isEmpty())
        return choices.dequeue();
    return yesNo.isEmpty() ? 1 : (yesNo.dequeue() ? 0 : 1);
}

std::optional<QString> FakeUserDialogs::nextPath(const QString& title, const QString& filter)
{
    m_dialogTitles << title;
    m_dialogFilters << filter;
    return paths.isEmpty() ? std::nullopt : paths.dequeue();
}

std::optional<QString> FakeUserDialogs::openFile(const QString& title, const QString& filter)
{
    return nextPath(title, filter);
}

std::optional<QString> FakeUserDialogs::saveFile(const QString& title, const QString& filter, const QString& suggestion)
{
    saveSuggestions << suggestion;
    return nextPath(title, filter);
}

std::optional<QString> FakeUserDialogs::chooseFolder(const QString& prompt)
{
    return nextPath(prompt, QString());
}

std::optional<QColor> FakeUserDialogs::chooseColour(const QColor& initial)
{
    colourInitials << initial;
    return colours.isEmpty() ? std::nullopt : colours.dequeue();
}

std::optional<QFont> FakeUserDialogs::chooseFont(const QFont& initial)
{
    fontInitials << initial;
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

QStringList FakeUserDialogs::texts() const
{
    QStringList all;
    for (const Message& m : m_messages)
        all << m.text;
    return all;
}
