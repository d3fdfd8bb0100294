#pragma once

#include <QObject>

class ExportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void excelvt_writesTheListAsASpreadsheetReadBackByLibreOffice();
    void excelvt_narrowedList_noSpreadsheetProgram_saysWhereTheFileIs();
};
