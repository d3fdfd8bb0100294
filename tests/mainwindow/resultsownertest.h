#pragma once

#include <QObject>

// Roads that replace the shared result set behind a window's back: what is on screen is what is acted on.
class ResultsOwnerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void registeringWhileARecordIsShown_leavesRecordViewAndBothScraps_data();
    void registeringWhileARecordIsShown_leavesRecordViewAndBothScraps();
    void openingAnotherCollection_endsRecordViewOfTheFirst();
    void entryMarking_endsWithTheRegisteredScrap_data();
    void entryMarking_endsWithTheRegisteredScrap();
    void failingBodySave_saysSoAndKeepsTheText_data();
    void failingBodySave_saysSoAndKeepsTheText();
    void registeredEntryText_isNotAskedAboutOnOpeningAnother_data();
    void registeredEntryText_isNotAskedAboutOnOpeningAnother();
    void levelsStoredWhileTheSheetIsOpen_reachTheScrapItRegisters_data();
    void levelsStoredWhileTheSheetIsOpen_reachTheScrapItRegisters();
    void levelsStoredWhileRecordViewIsOpen_areOfferedInItsLevelCell();
};
