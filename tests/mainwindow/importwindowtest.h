#pragma once

#include <QObject>

class ImportWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void import_convertsReportsAndOpens_data();
    void import_convertsReportsAndOpens();
    void cancel_leavesNothingBehind();
};
