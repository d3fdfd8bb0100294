#pragma once

#include <QObject>

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void startUp_showsFavouritesModeOnTheDefaultCollection();
    void startUp_savedEdition_getsItsCaptionButKeepsTheLayout();
    void startUp_withoutDefaultFile_reportsAndKeepsMenusDisabled();
    void startUp_refusesFilesThatAreNoScrapDatabase_data();
    void startUp_refusesFilesThatAreNoScrapDatabase();

    void tabs_selectTheirModeAndPanes_data();
    void tabs_selectTheirModeAndPanes();
    void searchTab_returnsToRecordViewWhileItsFlagIsSet();
    void browserTab_keepsTheWindowSize();
    void searchMode_closesOtherWindowsAndTheResultSet();
    void leavingRegistrationMode_closesItsWindowsOnly();

    void splitterDrop_data();
    void splitterDrop();
    void splitterRules_onAWindow8000Wide();
    void minimisedWindow_laysNothingOut();

    void openOther_scrapDatabase_entersRegistrationMode();
    void openOther_savedEdition_locksEditing();
    void openOther_refused_keepsThePreviousCollection_data();
    void openOther_refused_keepsThePreviousCollection();
    void openOther_cancelled_changesNothing();

    void create_newCollection_reportsItsFullPath_data();
    void create_newCollection_reportsItsFullPath();
    void create_existingFile_isRefusedAndLeftUnchanged();

    void helpEntries_openTheirTopicsReadMeAndVersion();
    void optionsMenu_fontReachesTheBodiesAndMarkerWindowOpens();
    void unload_closesResultSetAndConnection();
};
