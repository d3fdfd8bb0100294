#pragma once

#include <QObject>

// A bench run must tell every operation's figures, or say which one failed and why, and go on with the others.
class RunnerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void median_ofTimings_data();
    void median_ofTimings();
    void failingOperation_toldByNameWhileOthersRun_data();
    void failingOperation_toldByNameWhileOthersRun();
};
