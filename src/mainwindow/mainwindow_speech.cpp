// Reading aloud: the speech character stored in the collection, its settings window and the three reads.
#include "common/session.h"
#include "common/userdialogs.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "speech/speechoutput.h"
#include "speech/speechsettingsdialog.h"
#include "speech/speechstore.h"
#include "speech/speechvoices.h"
#include "web/webpane.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>

namespace {

// Where the character stands when it is loaded, in screen pixels (moved in to stay on a smaller screen).
constexpr int kCharacterX = 1050;
constexpr int kCharacterY = 600;

const SpeechCharacter* characterNamed(const QString& name)
{
    for (const SpeechCharacter& character : kSpeechCharacters) {
        if (name == QString::fromUtf16(character.name))
            return &character;
    }
    return nullptr;
}

} // namespace

void MainWindow::LoadSpeechCharacter()
{
    const std::optional<SpeechSettings> settings = storedSpeechSettings(m_session.connection());
    if (!settings)
        return;
    const SpeechCharacter* character = characterNamed(settings->character);
    if (!character)
        return;
    m_speechName = settings->character;
    m_speechSpeed = qint16(settings->speed);
    if (!m_speech.load(m_speechName, QString::fromUtf16(character->loadName))) {
        m_dialogs.exclamation(QStringLiteral("音声キャラクター「") + m_speechName +
                              QStringLiteral("」読み込みエラー\nインストールされていない可能性があります。"));
        return;
    }
    m_speech.moveTo(kCharacterX, kCharacterY);
    SetSpeechLanguage(settings->languageIndex);
}

void MainWindow::SetSpeechLanguage(int index)
{
    if (index < 0 || index >= int(kSpeechLanguages.size()))
        return;
    const SpeechLanguage& language = kSpeechLanguages[std::size_t(index)];
    if (!m_speech.setLanguage(language.code))
        m_dialogs.information(QString::fromUtf16(language.caption) +
                              QStringLiteral(" Text-To-Speech Engine はインストールされていません。"));
}

void MainWindow::UnloadSpeechCharacter()
{
    if (!characterNamed(m_speechName))
        return;
    m_speech.unload();
    // A character no longer loaded is not offered to read: the next read says none is registered.
    m_speechName.clear();
    m_speechShown = false;
}

void MainWindow::ReadAloud(int mode)
{
    QString text;
    const QClipboard* clipboard = QApplication::clipboard();
    switch (mode) {
    case 0:
        m_webPane->copySelection();
        text = m_webPane->selectedText();
        break;
    case 1:
        text = m_entryBody->toPlainText();
        break;
    default:
        text = clipboard->text().isEmpty() ? m_recordBody->toPlainText() : clipboard->text();
        break;
    }
    if (m_speechName.isEmpty()) {
        m_dialogs.exclamation(
            QStringLiteral("Microsoft Agent Character が Zettora に登録されていません。\n"
                           "読み上げ機能を利用するには、メニュー＞オプション＞読み上げ各種設定　で登録してください。"));
        return;
    }
    if (!characterNamed(m_speechName) || text.isEmpty())
        return;
    m_speech.stop();
    if (!m_speechShown) {
        m_speech.show();
        m_speechShown = true;
    }
    m_speech.speak(QStringLiteral("\\spd=") + QString::number(m_speechSpeed) + u'\\' + text);
}

void MainWindow::openSpeechSettings()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    SpeechSettingsDialog dialog(storedSpeechSettings(connection), this);
    connect(&dialog, &SpeechSettingsDialog::helpRequested, this, &MainWindow::showHelp);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    UnloadSpeechCharacter();
    const Done stored = storeSpeechSettings(*connection, dialog.character(), dialog.languageIndex(), dialog.speed());
    LoadSpeechCharacter();
    m_speechShown = false;
    QApplication::restoreOverrideCursor();
    if (!stored)
        m_dialogs.critical(stored.message());
}
