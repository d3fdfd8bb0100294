#include "qtuserdialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {

// The first of the folders that exists: where a file dialog starts when the program proposes nothing.
QString firstExisting(const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

QString title()
{
    return QString::fromUtf16(kMessageTitle);
}

QMessageBox::Icon toQt(UserDialogs::Icon icon)
{
    switch (icon) {
    case UserDialogs::Icon::Information:
        return QMessageBox::Information;
    case UserDialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case UserDialogs::Icon::Critical:
        return QMessageBox::Critical;
    case UserDialogs::Icon::Question:
        break;
    }
    return QMessageBox::Question;
}

void show(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, title(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

QString QtUserDialogs::startFolder() const
{
    return firstExisting({m_startFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)});
}

void QtUserDialogs::information(const QString& text)
{
    show(QMessageBox::Information, text);
}

void QtUserDialogs::exclamation(const QString& text)
{
    show(QMessageBox::Warning, text);
}

void QtUserDialogs::critical(const QString& text)
{
    show(QMessageBox::Critical, text);
}

bool QtUserDialogs::askYesNo(const QString& text, Icon icon, Default answer, int helpTopic)
{
    QMessageBox box(toQt(icon), title(), text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    auto* preset = qobject_cast<QPushButton*>(box.button(answer == Default::Yes ? QMessageBox::Yes : QMessageBox::No));
    box.setEscapeButton(QMessageBox::No);
    QPushButton* help = helpTopic != 0 && m_showHelp ? box.addButton(QMessageBox::Help) : nullptr;
    if (help) {
        help->setText(QStringLiteral("ヘルプ"));
        // Enter answers the question even where a click on ヘルプ left the focus.
        help->setAutoDefault(false);
    }
    // Help closes a message box: the same question is asked again, and the topic shown once it stands, so that help
    // can stand over it and be read and scrolled while the question waits.
    for (bool withHelp = false;; withHelp = true) {
        // Asked again after ヘルプ, Enter must not land on ヘルプ, which kept the focus.
        box.setDefaultButton(preset);
        preset->setFocus();
        if (withHelp)
            QTimer::singleShot(0, &box, [this, helpTopic] { m_showHelp(helpTopic); });
        box.exec();
        if (!help || box.clickedButton() != help)
            return box.clickedButton() == box.button(QMessageBox::Yes);
    }
}

int QtUserDialogs::askChoice(const QString& text, const QStringList& buttons, Icon icon)
{
    QMessageBox box(toQt(icon), title(), text, QMessageBox::NoButton, QApplication::activeWindow());
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons)
        added << box.addButton(caption, added.isEmpty() ? QMessageBox::YesRole : QMessageBox::NoRole);
    if (added.isEmpty())
        return -1;
    box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

std::optional<QString> QtUserDialogs::openFile(const QString& caption, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, startFolder(), filter);
    return path.isEmpty() ? std::nullopt : std::optional(path);
}

std::optional<QString> QtUserDialogs::saveFile(const QString& caption, const QString& filter, const QString& suggestion)
{
    // The program refuses an existing file itself, with its own message, so Qt's overwrite question is off.
    const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(), caption,
                                                      suggestion.isEmpty() ? startFolder() : suggestion, filter,
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    return path.isEmpty() ? std::nullopt : std::optional(path);
}

std::optional<QString> QtUserDialogs::chooseFolder(const QString& prompt)
{
    const QString path = QFileDialog::getExistingDirectory(QApplication::activeWindow(), prompt, startFolder());
    return path.isEmpty() ? std::nullopt : std::optional(path);
}

std::optional<QColor> QtUserDialogs::chooseColour(const QColor& initial)
{
    const QColor colour = QColorDialog::getColor(initial, QApplication::activeWindow());
    return colour.isValid() ? std::optional(colour) : std::nullopt;
}

std::optional<QFont> QtUserDialogs::chooseFont(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, QApplication::activeWindow());
    return ok ? std::optional(font) : std::nullopt;
}
