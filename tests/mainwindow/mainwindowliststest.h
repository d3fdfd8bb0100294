#pragma once

#include <QObject>

// The toolbars and their dispatcher, the scrap list and the tree pane of the main window.
class MainWindowListsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void toolbarLayouts_haveTheirKeysInOrder_data();
    void toolbarLayouts_haveTheirKeysInOrder();
    void searchToolbar_treeEditorDisabledInASavedEdition();
    void addressBarTwice_restoresTheWebToolbar();
    void addressBoxEnter_navigatesOnlyOutsideAComposition_data();
    void addressBoxEnter_navigatesOnlyOutsideAComposition();
    void webPane_buttonsAndCompletedPages();
    void firstDataMEMO_onAnEmptyResultSet_onlySetsTheMode();
    void clipboardCommands_actOnTheEntryBody();
    void clearMEMO_emptiesTheBodyAndDisablesItsCommands();
    void bodyBackground_togglesBetweenWindowAnd3DLight();

    void classTree_landsEachClassAtItsStoredRow();
    void classTree_stopsAtAClassWhoseParentIsMissing();
    void favourites_comeInDisplayOrder();
    void favouriteClick_fillsTheAddressBoxAndNavigates();
    void registrationClick_onAnEmptyBody_warnsAndOpensNothing();
    void registrationClick_passesTheClassRow();

    void listing_data();
    void listing();
    void listing_emptyClass_reportsAndDisablesCommands();
    void listing_inASavedEdition_enablesButtonsButNotTheMenus();
    void listing_showsCaptionsPictureFlagAndOwnColour();
    void rowPress_opensThatRecord();
    void searchMode_emptiesTheListAndDisablesItsCommands();
    void deleteAll_answeredNo_changesNothing();
    void theWindow_paintsBeforeMakingItsHiddenPanesAndReadingEveryScrap();
    void titleSearch_fromTheToolbar_listsWhatItFinds_data();
    void titleSearch_fromTheToolbar_listsWhatItFinds();
    void importanceFilter_narrowsTheList();
    void treeEditor_closing_rebuildsTheTreePane();
    void deleteAll_afterNarrowing_removesExactlyTheListedScraps();
    void filterLeavingNoRow_offersNothingToShowOrSend();
    void emptyClassNames_listThatClassOnly_data();
    void emptyClassNames_listThatClassOnly();
};
