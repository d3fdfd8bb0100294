#include "questionstest.h"

#include "common/helptopics.h"
#include "common/helpwindow.h"
#include "common/qtuserdialogs.h"
#include "mainwindowfixture.h"
#include "ordinaryuser.h"
#include "threescrapsfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using Default = UserDialogs::Default;

void QuestionsTest::questions_answerYesOnEnterUnlessYesDestroys_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("question");
    QTest::addColumn<Default>("answer");
    QTest::addColumn<int>("helpTopic");
    QTest::newRow("an edited scrap, stepping on")
        << u"edit"_s << u"スクラップ内容が変更されています。　登録しますか？"_s << Default::Yes << 0;
    QTest::newRow("deleting the shown scrap")
        << u"delete"_s << u"表示中のスクラップと添付画像をデータベースから削除します。"_s << Default::No << 0;
    QTest::newRow("deleting all results")
        << u"delete all"_s << u"検索結果を全部削除します。"_s << Default::No << HelpTopic::kDeleteAll;
}

void QuestionsTest::questions_answerYesOnEnterUnlessYesDestroys()
{
    QFETCH(QString, road);
    QFETCH(QString, question);
    QFETCH(Default, answer);
    QFETCH(int, helpTopic);
    ThreeScrapsFixture f;
    f.start();
    if (road == u"delete all") {
        f.tabs()->setCurrentIndex(MainWindow::TabSearch);
        f.clickClass(2);
    } else {
        f.showRecord(2);
    }
    if (road == u"edit") {
        f.child<QPlainTextEdit>(u"rtBox")->setPlainText(u"書き直した本文"_s);
        f.press(u"nextMEMO"_s);
    } else if (road == u"delete") {
        f.press(u"delMEMO"_s);
    } else {
        f.action(u"mSearchDel")->trigger();
    }
    QVERIFY(!f.dialogs.messages().isEmpty());
    const FakeUserDialogs::Message& asked = f.dialogs.messages().last();
    QCOMPARE(asked.kind, FakeUserDialogs::Kind::Question);
    QVERIFY2(asked.text.startsWith(question), qPrintable(asked.text));
    QCOMPARE(asked.answer, answer);
    QCOMPARE(asked.helpTopic, helpTopic);
}

void QuestionsTest::realQuestion_helpShowsTheTopicAndAsksAgain_data()
{
    QTest::addColumn<Default>("answer");
    QTest::addColumn<bool>("enterSays");
    QTest::newRow("Yes by default") << Default::Yes << true;
    QTest::newRow("No by default") << Default::No << false;
}

void QuestionsTest::realQuestion_helpShowsTheTopicAndAsksAgain()
{
    QFETCH(Default, answer);
    QFETCH(bool, enterSays);
    QtUserDialogs dialogs;
    QList<int> shown;
    // Help comes while the question stands, so that it can be shown over it, where the user can reach it.
    dialogs.setHelpHandler([&shown](int topic) {
        shown << (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) ? topic : -topic);
    });
    int asked = 0;
    // First ヘルプ, then Enter on the same question asked again.
    QTimer press;
    press.setInterval(20);
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (++asked == 1)
            box->button(QMessageBox::Help)->click();
        else
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
    });
    press.start();
    const bool said = dialogs.askYesNo(u"削除しますか？"_s, UserDialogs::Icon::Question, answer, HelpTopic::kDeleteAll);
    QCOMPARE(shown, QList<int>{HelpTopic::kDeleteAll});
    QCOMPARE(asked, 2);
    QCOMPARE(said, enterSays);
}

void QuestionsTest::f1_inTheWindowsOfTheMenus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("topic");
    QTest::newRow("marker colours") << u"mOptMark"_s << u"Form6"_s << HelpTopic::kMarkerColours;
    QTest::newRow("version") << u"mHelpVersion"_s << u"frmAbout"_s << HelpTopic::kVersion;
}

void QuestionsTest::f1_inTheWindowsOfTheMenus()
{
    QFETCH(QString, menu);
    QFETCH(QString, window);
    QFETCH(int, topic);
    Fixture f;
    MainWindow& w = f.start();
    w.show();
    w.findChild<QAction*>(menu)->trigger();
    auto* opened = w.findChild<QWidget*>(window);
    QVERIFY(opened && opened->isVisible());
    opened->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(opened));
    QTest::keyClick(opened, Qt::Key_F1);
    auto* help = w.findChild<HelpWindow*>();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->currentUrl().fragment(), u"topic%1"_s.arg(topic));
    opened->close();
}

// An installed program's folder is not the user's to write: the user's own collection is made on the first start and
// opened again on the next, never made twice.
void QuestionsTest::defaultCollection_installedProgram_makesTheUsersOwnOnce()
{
    TestFolder program;
    TestFolder data;
    const QString userFolder = data.path(u"share/Tarnwell/Zettora"_s);
    QVERIFY(QFile::setPermissions(program.folder(),
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(data.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                     QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    QString first;
    QString second;
    QDateTime made;
    {
        const OrdinaryUser user({data.folder()});
        QVERIFY(user.bound());
        first = defaultCollectionPath(program.folder(), userFolder);
        made = QFileInfo(first).lastModified();
        second = defaultCollectionPath(program.folder(), userFolder);
    }
    QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(first, QDir(userFolder).filePath(u"Zettora.mdb"_s));
    QVERIFY(QFileInfo(first).isFile());
    QCOMPARE(second, first);
    QCOMPARE(QFileInfo(second).lastModified(), made);
    // It is a collection the window opens for writing, with the default rows.
    Fixture f(false);
    QVERIFY(QFile::copy(first, f.folder.path(u"Zettora.mdb"_s)));
    f.start();
    QCOMPARE(f.session.databasePath(), f.folder.path(u"Zettora.mdb"_s));
    QVERIFY(!f.session.isReadOnly());
    QVERIFY(scalar(*f.session.connection(), u"SELECT count(*) FROM extraNodeWEB"_s) > 0);
}
