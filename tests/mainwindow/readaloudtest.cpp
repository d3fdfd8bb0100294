#include "readaloudtest.h"

#include "database/connection.h"
#include "threescrapsfixture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QDialog>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kNotRegistered =
    u"Microsoft Agent Character が Zettora に登録されていません。\n"
    "読み上げ機能を利用するには、メニュー＞オプション＞読み上げ各種設定　で登録してください。"_s;

// Answers the settings window once it shows: the options named, the slider at speed, then "ＯＫ".
void answerSettings(const QStringList& options, int speed, int* shownSpeed = nullptr)
{
    QTimer::singleShot(0, [options, speed, shownSpeed] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog && dialog->objectName() == u"frmSpeak"_s);
        auto* slider = dialog->findChild<QSlider*>(u"Slider1"_s);
        if (shownSpeed)
            *shownSpeed = slider->value();
        for (const QString& option : options)
            dialog->findChild<QRadioButton*>(option)->setChecked(true);
        slider->setValue(speed);
        dialog->findChild<QPushButton*>(u"Command1"_s)->click();
    });
}

} // namespace

void ReadAloudTest::noCharacterStored_everyReadSaysSo()
{
    ThreeScrapsFixture f;
    MainWindow& w = f.start();
    QVERIFY(f.speech.calls.isEmpty());
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    f.child<QPlainTextEdit>(u"mData")->setPlainText(u"本文"_s);
    w.toolbarButton(u"speak"_s)->trigger();
    QCOMPARE(f.dialogs.lastText(), kNotRegistered);
    QVERIFY(f.speech.calls.isEmpty());

    int shownSpeed = 0;
    answerSettings({}, 140, &shownSpeed);
    f.action(u"mOptRead")->trigger();
    QCOMPARE(shownSpeed, 140);
}

void ReadAloudTest::settings_storeLoadAndRead()
{
    ThreeScrapsFixture f;
    MainWindow& w = f.start();
    answerSettings({u"Option2_1"_s, u"Option1_6"_s}, 160);
    f.action(u"mOptRead")->trigger();
    QCOMPARE(f.column(u"SELECT Character || ' ' || LanguageID || ' ' || Speed FROM Speak"_s),
             QStringList{u"Marlin 6 160"_s});
    QCOMPARE(f.speech.calls, (QStringList{u"load Marlin Merlin"_s, u"move 1050 600"_s, u"language 1041"_s}));

    f.speech.calls.clear();
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    f.child<QPlainTextEdit>(u"mData")->setPlainText(u"abc"_s);
    w.toolbarButton(u"speak"_s)->trigger();
    w.toolbarButton(u"speak"_s)->trigger();
    QCOMPARE(f.speech.calls,
             (QStringList{u"stop"_s, u"show"_s, u"speak \\spd=160\\abc"_s, u"stop"_s, u"speak \\spd=160\\abc"_s}));

    // The settings window shows what is stored; another collection brings its own character (none here).
    int shownSpeed = 0;
    answerSettings({}, 160, &shownSpeed);
    f.action(u"mOptRead")->trigger();
    QCOMPARE(shownSpeed, 160);
    f.speech.calls.clear();
    f.dialogs.paths.enqueue(f.folder.newCollection(u"二冊目.mdb"_s));
    f.dialogs.yesNo.enqueue(true); // the entry text "abc" is not registered
    f.action(u"mFileBookOpen")->trigger();
    QCOMPARE(f.speech.calls, QStringList{u"unload"_s});
    w.toolbarButton(u"speak"_s)->trigger();
    QCOMPARE(f.dialogs.lastText(), kNotRegistered);
}

void ReadAloudTest::loading_failures_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("speed");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("read"); // what reading "abc" then gives: the speech asked for, or the message shown
    QTest::newRow("no voice for the language")
        << u"Peedy"_s << 6 << 150 << true << u"Japanese Text-To-Speech Engine はインストールされていません。"_s
        << u"speak \\spd=150\\abc"_s;
    QTest::newRow("the character cannot load")
        << u"Robby"_s << 0 << 150 << false
        << u"音声キャラクター「Robby」読み込みエラー\nインストールされていない可能性があります。"_s << kNotRegistered;
    QTest::newRow("an unknown character is not loaded")
        << u"Clippy"_s << 0 << 150 << true << QString() << kNotRegistered;
    // Another program's numbers: past 16 bits, or below zero.
    QTest::newRow("a speed past 16 bits") << u"Genie"_s << 0 << 70000 << true << QString() << u"speak \\spd=200\\abc"_s;
    QTest::newRow("a negative speed") << u"Genie"_s << 0 << -5 << true << QString() << u"speak \\spd=100\\abc"_s;
}

void ReadAloudTest::loading_failures()
{
    QFETCH(QString, character);
    QFETCH(int, language);
    QFETCH(int, speed);
    QFETCH(bool, loads);
    QFETCH(QString, message);
    QFETCH(QString, read);
    ThreeScrapsFixture f;
    alterCollection(
        f.dbPath(),
        u"INSERT INTO Speak (Character, LanguageID, Speed) VALUES ('%1', %2, %3)"_s.arg(character).arg(language).arg(
            speed));
    f.speech.loads = loads;
    f.speech.missingLanguages = {1041};
    MainWindow& w = f.start();
    QTRY_COMPARE(f.dialogs.lastText(), message);
    // The stored character is loaded once the window has painted.
    if (read.startsWith(u"speak"_s))
        QTRY_VERIFY(!f.speech.calls.isEmpty());
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    f.child<QPlainTextEdit>(u"mData")->setPlainText(u"abc"_s);
    w.toolbarButton(u"speak"_s)->trigger();
    QCOMPARE(read.startsWith(u"speak"_s) ? f.speech.calls.last() : f.dialogs.lastText(), read);
}

void ReadAloudTest::mode2_readsTheClipboardElseTheScrap()
{
    ThreeScrapsFixture f;
    alterCollection(f.dbPath(), u"INSERT INTO Speak (Character, LanguageID, Speed) VALUES ('Genie', 0, 120)"_s);
    MainWindow& w = f.start();
    // The stored character is loaded once the window has painted.
    QTRY_COMPARE(f.speech.calls.value(0), u"load Genie Genie"_s);
    f.showRecord(1);
    QApplication::clipboard()->setText(u"クリップボード"_s);
    w.toolbarButton(u"speakRT"_s)->trigger();
    QCOMPARE(f.speech.calls.last(), u"speak \\spd=120\\クリップボード"_s);
    QApplication::clipboard()->clear();
    w.toolbarButton(u"speakRT"_s)->trigger();
    QCOMPARE(f.speech.calls.last(), u"speak \\spd=120\\本文1"_s);
}
