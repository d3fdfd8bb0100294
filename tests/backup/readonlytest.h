#pragma once

#include <QObject>

class ReadOnlyOpeningTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opening_data();
    void opening();
    void damagedCopies_endInAMessageOrAUsableCollection();
    void damageFoundUnderTheTreeEditor_waitsForItToClose();
};
