#pragma once

#include <QObject>

class FavouritesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void addFavourite_takesNextIdAndIsListedLast_data();
    void addFavourite_takesNextIdAndIsListedLast();
    void deleteFavourite_removesItsRowAndRenumbers_data();
    void deleteFavourite_removesItsRowAndRenumbers();
    void move_writtenOnLeavingMoveMode_data();
    void move_writtenOnLeavingMoveMode();
};
