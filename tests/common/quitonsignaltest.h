#pragma once

#include <QObject>

class QuitOnSignalTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aSignal_closesTheWindowOnceTheDialogBeingAnsweredEnds();
};
