#pragma once

#include "userdialogs.h"

// The real dialogs: Qt's message boxes and common dialogs, parented to the active window.
class QtUserDialogs final : public UserDialogs {
public:
    void information(const QString& text) override;
    void exclamation(const QString& text) override;
    void critical(const QString& text) override;
    bool askYesNo(const QString& text, Icon icon, Default answer, int helpTopic) override;
    int askChoice(const QString& text, const QStringList& buttons, Icon icon) override;
    std::optional<QString> openFile(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter, const QString& suggestion) override;
    std::optional<QString> chooseFolder(const QString& prompt) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;

private:
    // The open collection's folder, else the documents folder, else home: the first that exists.
    QString startFolder() const;
};
