#pragma once

#include <QObject>

class CrashTrialsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWorkers_neverLeaveABrokenCollection();
    void check_findsWhatABrokenWriteLeaves_data();
    void check_findsWhatABrokenWriteLeaves();
};
