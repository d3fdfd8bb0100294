#pragma once

#include <QObject>

class RegistrationSheetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void title_isTheBodysFirstLineWithoutItsBreak_data();
    void title_isTheBodysFirstLineWithoutItsBreak();
    void register_storesIndexAndBodyWithNewNumbers_data();
    void register_storesIndexAndBodyWithNewNumbers();
    void refusedRegistration_storesNothing_data();
    void refusedRegistration_storesNothing();
    void pictureTakenOrDroppedMeanwhile_isShownBeforeAnythingIsStored();
    void cancel_writesNothingAndReportsNoRegistration();
    void typedCells_takeAtMost255Characters_data();
    void typedCells_takeAtMost255Characters();
    void leavingTheLevelDropDown_choosesNoLevel();
    void calendarClick_writesTheDateAndHidesTheCalendar();
    void pickedClass_fillsTheClassRowsAndLevNo();
};
