#pragma once

#include <QColor>
#include <QFont>
#include <QString>

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
    virtual bool askYesNo(const QString& text, Icon icon = Icon::Question) = 0;

    // std::nullopt when the user cancels. Filters are in Qt's form: "Database (*.mdb)".
    virtual std::optional<QString> openFile(const QString& title, const QString& filter) = 0;
    // suggestion: the path the dialog proposes (folder and name), or empty.
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            const QString& suggestion = QString()) = 0;
    virtual std::optional<QString> chooseFolder(const QString& prompt) = 0;
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
};

inline constexpr char16_t kMessageTitle[] = u"Tarnwell Zettora";
