#pragma once

#include <QObject>

class SearchStatementsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textSearch_findsMatchingScrapsByLevNoThenDocNo_data();
    void textSearch_findsMatchingScrapsByLevNoThenDocNo();
    void dateSearch_findsTheDaysByCreationDate_data();
    void dateSearch_findsTheDaysByCreationDate();
    void dateText_acceptsOnlyRealDates_data();
    void dateText_acceptsOnlyRealDates();
};
