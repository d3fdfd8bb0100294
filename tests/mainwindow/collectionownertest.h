#pragma once

#include <QObject>

// The open collection's life across windows: what a window of one collection may do once another is open, leaving
// record view with an edit that cannot be saved, quitting, dropped files, the lock and read-only openings.
class CollectionOwnerTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowsOfOneCollection_closeWithIt_andWriteNothingIntoTheNext_data();
    void windowsOfOneCollection_closeWithIt_andWriteNothingIntoTheNext();
    void statusBar_showsNothingOfTheCollectionBefore();
    void aPictureWaitingInTheWindowOfOneScrap_isNotStoredWithTheNext();
    void aBodyThatCannotBeRead_isShownAsSuchAndNeverSavedOver();
    void aRegistrationBeforeTheFileIsChecked_saysWhyAndKeepsTheListing();
    void registrationSheet_followsItsClassThroughTheTreeEditor_data();
    void registrationSheet_followsItsClassThroughTheTreeEditor();
    void entryMarking_endsWhenTheTreeEditorDeletedTheScrap();
    void recordViewUnderTheEntryTab_endsWhenTheTreeEditorCloses();
    void leavingRecordView_whenTheSaveFails_keepsItAndTheText_data();
    void leavingRecordView_whenTheSaveFails_keepsItAndTheText();
    void quitting_letsEveryWindowSaveBeforeTheCollectionCloses();
    void droppedFiles_onlyRegularOnesAreRead_data();
    void droppedFiles_onlyRegularOnesAreRead();
    void lock_findsTheCollectionUnderAnyName_data();
    void lock_findsTheCollectionUnderAnyName();
    void readOnlyOpening_searchesWithTheFilesIndexAndWritesNothing();
    void readingPictureText_isTurnedFromTheOptionsMenu();
    void help_fromAModalWindow_standsOverIt();
};
