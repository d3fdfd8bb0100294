#pragma once

#include <QObject>

// Numbers past 32,767 and counters that stand behind the numbers in use, through the buttons a user presses.
class LargeNumbersTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void aScrapPastTheCounters_isRegisteredListedShownFoundPicturedAndDeleted_data();
    void aScrapPastTheCounters_isRegisteredListedShownFoundPicturedAndDeleted();
};
