#pragma once

#include <QObject>

class ImportanceLevelsEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opening_showsTheLevelsInTheirOrder();
    void reg_withoutAChange_leavesTheTableUntouched_data();
    void reg_withoutAChange_leavesTheTableUntouched();
    void reg_storesTheGridInItsOrderWithKeysFromOne_data();
    void reg_storesTheGridInItsOrderWithKeysFromOne();
    void deletingEveryRow_andRegistering_emptiesTheTable();
    void withoutAPressedRow_delAndColour_sayWhatIsMissing_data();
    void withoutAPressedRow_delAndColour_sayWhatIsMissing();
    void reg_refusesACellTheTableCannotHold_data();
    void reg_refusesACellTheTableCannotHold();
    void reg_thatFails_keepsTheEditsOpenAndTheOldLevelsStored();
    void levelsThatCannotBeRead_areNeverReplacedByTheEmptyGrid();
    void colourDialog_startsFromTheColourChosenLast();
    void registrationSheet_offersTheLevelsInTheirNewOrder();
};
