#pragma once

#include <QObject>

class ClassPickerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void loadedTree_placesClassesAtTheirStoredRows_data();
    void loadedTree_placesClassesAtTheirStoredRows();
    void clickedClass_isHandedOverWithItsRowAndPath_data();
    void clickedClass_isHandedOverWithItsRowAndPath();
    void cancel_closesWithoutPicking();
    void deepTree_loadsAndNumbersEveryRow_data();
    void deepTree_loadsAndNumbersEveryRow();
};
