#pragma once

#include <QObject>

class MarkerColoursDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opening_showsTheCurrentColours();
    void choosing_showsStoresAndReloadsTheColour_data();
    void choosing_showsStoresAndReloadsTheColour();
    void cancel_changesNothing_data();
    void cancel_changesNothing();
    void nextChoice_startsFromTheColourChosenLast_data();
    void nextChoice_startsFromTheColourChosenLast();
    void writeFailure_isToldAndTheSampleKeepsTheColourInUse();
    void closeButton_closesTheWindow();
};
