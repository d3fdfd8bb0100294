#pragma once

#include <QObject>

class BodySearchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void enter_listsTheScrapsHoldingEveryWord_data();
    void enter_listsTheScrapsHoldingEveryWord();
    void aSearchThatCannotBeRead_saysWhyAndCountsNothing_data();
    void aSearchThatCannotBeRead_saysWhyAndCountsNothing();
    void enterConfirmingAConversion_doesNotSearch();
    void shortcut_bringsTheFieldFromAnotherTab();
    void recordView_marksTheWordsOnEveryStepUntilLeft();
    void bodyEditedInRecordView_isFoundByItsNewText();
    void deleteAllResults_takesTheFoundScrapsOutOfTheIndex();
    void recordView_namesThePictureHoldingTheWord_data();
    void recordView_namesThePictureHoldingTheWord();
};
