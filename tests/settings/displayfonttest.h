#pragma once

#include <QObject>

class DisplayFontTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storeDisplayFont_writesTheFirstRowOrAddsOne_data();
    void storeDisplayFont_writesTheFirstRowOrAddsOne();
    void cancel_changesNothingButTheDialogStartedOnTheDisplayFont();
    void chosenSize_isStoredAsWholePoints_data();
    void chosenSize_isStoredAsWholePoints();
    void boldAndItalic_areHeldUntilTheDatabaseIsReopened();
    void storeFailure_isToldAndKeepsTheOldFont_data();
    void storeFailure_isToldAndKeepsTheOldFont();
};
