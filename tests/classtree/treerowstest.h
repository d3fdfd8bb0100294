#pragma once

#include <QObject>

class TreeRowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowsFollowPreOrder_data();
    void rowsFollowPreOrder();
    void rowsOutsideTheTree_giveNothing();
};
