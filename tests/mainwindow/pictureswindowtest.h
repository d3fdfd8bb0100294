#pragma once

#include <QObject>

// The pictures of a scrap through the pictures window, opened the three ways a user opens it.
class PicturesWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void recordView_showsStepsWrapsAndKeepsCaptions();
    void recordView_scrapWithoutPictures_showsNothing();
    void recordView_damagedPicture_showsItsCaptionAndStepsOn();
    void deletingTheLastPicture_listsTheScrapWithout();
    void afterRegistering_pastesAndStores_data();
    void afterRegistering_pastesAndStores();
    void pastedPictureNotStored_isOfferedOnLeaving_data();
    void pastedPictureNotStored_isOfferedOnLeaving();
    void droppedFiles_data();
    void droppedFiles();
    void webPicture_waitsAndIsStoredWithTheRegistration();
    void captionThatCannotBeStored_staysOnItsPicture_data();
    void captionThatCannotBeStored_staysOnItsPicture();
    void savedEdition_writesNothing();
};
