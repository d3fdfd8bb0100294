#pragma once

#include "common/userdialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <optional>

// Records every message and answers every question and dialog from queues filled by the test.
// An empty queue answers "No" / cancel, so an unexpected dialog never blocks a test.
class FakeUserDialogs final : public UserDialogs {
public:
    enum class Kind { Information, Exclamation, Critical, Question };
    struct Message {
        Kind kind;
        QString text;
        Default answer = Default::Yes; // questions only: what Enter answers
        int helpTopic = 0;             // questions only
    };

    void information(const QString& text) override { m_messages.append({Kind::Information, text}); }
    void exclamation(const QString& text) override { m_messages.append({Kind::Exclamation, text}); }
    void critical(const QString& text) override { m_messages.append({Kind::Critical, text}); }
    bool askYesNo(const QString& text, Icon icon, Default answer, int helpTopic) override;
    // Answered from choices; when that is empty, from yesNo (Yes the first button, No the second).
    int askChoice(const QString& text, const QStringList& buttons, Icon icon) override;
    std::optional<QString> openFile(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter, const QString& suggestion) override;
    std::optional<QString> chooseFolder(const QString& prompt) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;

    // Answers, taken in order.
    QQueue<bool> yesNo;
    QQueue<int> choices;
    // The buttons each choice offered, in order.
    QList<QStringList> choiceButtons;
    QQueue<std::optional<QString>> paths;
    QQueue<std::optional<QColor>> colours;
    QQueue<std::optional<QFont>> fonts;

    // What the colour and font dialogs were opened on, in order.
    QList<QColor> colourInitials;
    QList<QFont> fontInitials;
    // What the save dialogs proposed, in order.
    QStringList saveSuggestions;

    // What was shown.
    const QList<Message>& messages() const { return m_messages; }
    QStringList texts() const;
    QString lastText() const { return m_messages.isEmpty() ? QString() : m_messages.last().text; }
    void clear()
    {
        m_messages.clear();
        m_dialogTitles.clear();
        m_dialogFilters.clear();
    }
    const QStringList& dialogTitles() const { return m_dialogTitles; }
    const QStringList& dialogFilters() const { return m_dialogFilters; }

private:
    std::optional<QString> nextPath(const QString& title, const QString& filter);

    QList<Message> m_messages;
    QStringList m_dialogTitles;
    QStringList m_dialogFilters;
};
