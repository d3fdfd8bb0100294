#pragma once

#include <QObject>

class QuestionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void questions_answerYesOnEnterUnlessYesDestroys_data();
    void questions_answerYesOnEnterUnlessYesDestroys();
    void realQuestion_helpShowsTheTopicAndAsksAgain_data();
    void realQuestion_helpShowsTheTopicAndAsksAgain();
    void f1_inTheWindowsOfTheMenus_data();
    void f1_inTheWindowsOfTheMenus();
    void defaultCollection_installedProgram_makesTheUsersOwnOnce();
};
