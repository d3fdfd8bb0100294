#pragma once

#include <QObject>

class SessionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void adoptingAnotherDatabase_closesTheSharedResultSetFirst();
    void closingTheConnection_closesTheResultSet();
};
