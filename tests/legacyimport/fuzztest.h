#pragma once

#include <QObject>

class ImportFuzzTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void damagedFiles_convertOrFailCleanly();
};
