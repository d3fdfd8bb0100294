#pragma once

#include <QObject>

// Record view: the sheet and body of one scrap, stepping, editing, marking and deleting.
class MainWindowRecordTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void enteringRecordView_showsSheetBodyAndMarks();
    void stepping_wrapsAroundBothWays_data();
    void stepping_wrapsAroundBothWays();
    void arrows_stepLikeTheButtons_askingAboutEdits_data();
    void arrows_stepLikeTheButtons_askingAboutEdits();
    void savingTheBody_writesIt();
    void longBodies_areShownInPartAndNeverSavedCut_data();
    void longBodies_areShownInPartAndNeverSavedCut();
    void sheetEdits_storeAtOnce_data();
    void sheetEdits_storeAtOnce();
    void sheetEdit_thatCannotBeStored_isPutBack_data();
    void sheetEdit_thatCannotBeStored_isPutBack();
    void importanceChoice_storesLevelAndColour();
    void savedEdition_allowsNoEdit();
    void marking_inRecordView_isLoggedAndReplayed();
    void marks_followTheTypedWords_data();
    void marks_followTheTypedWords();
    void marking_anEditedBody_storesItFirstOrMarksNothing_data();
    void marking_anEditedBody_storesItFirstOrMarksNothing();
    void picker_fromRecordView_refilesTheScrap();
    void deletingTheOnlyScrap_returnsToSearchMode();
    void deletingOneOfSeveral_showsTheFirstAgain();
    void firstResultButton_andCalendar_inRecordView();
    void emptiedEntryBody_endsMarkingOfTheRegisteredScrap();
    void fullTextDialog_marksEveryStepUntilClosed();
};
