#pragma once

#include <QString>

// The display font and marker colours of the open database, as the program holds them between openings.
struct DisplayFont {
    QString name = QStringLiteral("ＭＳ Ｐゴシック");
    int size = 11;
    bool bold = false;
    bool italic = false;
};

struct MarkerColours {
    quint32 stress = 0xFF80FF; // marked passages
    quint32 seek = 0x80FFFF;   // full-text hits
};
