#pragma once

#include <QObject>

class FailingWritesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void failingWrite_isToldWithItsCause_andLosesNothing_data();
    void failingWrite_isToldWithItsCause_andLosesNothing();
};
