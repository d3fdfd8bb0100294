#pragma once

#include <QObject>

// How the listed columns and rows are sized.
class ListLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void listing_columnsFitTheirWidestText_data();
    void listing_columnsFitTheirWidestText();
    void listing_rowHeightFollowsTheFontSize();
};
