#pragma once

#include <QObject>

class ColourValueTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storedText_data();
    void storedText();
    void rgbColours_roundTrip_data();
    void rgbColours_roundTrip();
    void systemColours_areFixed();
    void twips_convertAtNinetySixDpi_data();
    void twips_convertAtNinetySixDpi();
    void helpTopics_leadToTheirAnchor();
};
