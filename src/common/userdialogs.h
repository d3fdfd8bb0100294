#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Every message box and common dialog the program shows goes through this interface, so that tests can
// answer them from a script. Message boxes carry the title "Tarnwell Zettora".
class UserDialogs {
public:
    enum class Icon { Question, Information, Exclamation, Critical };

    virtual ~UserDialogs() = default;

    virtual void information(const QString& text) = 0;
    virtual void exclamation(const QString& text) = 0;
    virtual void critical(const QString& text) = 0;
    // The answer Enter gives: Yes, unless Yes destroys something.
    enum class Default { Yes, No };
    // helpTopic, when not 0, adds a ヘルプ button that shows that topic and asks again.
    [[nodiscard]] virtual bool askYesNo(const QString& text, Icon icon = Icon::Question, Default answer = Default::Yes,
                                        int helpTopic = 0) = 0;
    // A question answered by one of buttons (the first answers Enter); gives the index pressed, -1 for none. Where
    // a box cannot show more than two, the first stands for Yes and the second for No.
    [[nodiscard]] virtual int askChoice(const QString& text, const QStringList& /*buttons*/, Icon icon = Icon::Question)
    {
        return askYesNo(text, icon) ? 0 : 1;
    }

    // std::nullopt when the user cancels. Filters are in Qt's form: "Database (*.mdb)".
    [[nodiscard]] virtual std::optional<QString> openFile(const QString& title, const QString& filter) = 0;
    // suggestion: the path the dialog proposes (folder and name), or empty.
    [[nodiscard]] virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                                          const QString& suggestion = QString()) = 0;
    [[nodiscard]] virtual std::optional<QString> chooseFolder(const QString& prompt) = 0;
    [[nodiscard]] virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
    [[nodiscard]] virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;

    // What shows a help topic for a question's ヘルプ button.
    void setHelpHandler(std::function<void(int)> handler) { m_showHelp = std::move(handler); }
    // Where file dialogs start when the caller proposes nothing: the open collection's folder.
    void setStartFolder(const QString& folder) { m_startFolder = folder; }

protected:
    std::function<void(int)> m_showHelp;
    QString m_startFolder;
};

inline constexpr char16_t kMessageTitle[] = u"Tarnwell Zettora";
