#pragma once

#include <QObject>

class ExportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void excelvt_writesTheListAsASpreadsheetReadBackByLibreOffice();
    void excelvt_narrowedList_noSpreadsheetProgram_saysWhereTheFileIs();
    void excelvt_cellTexts_comeBackExactly();
    void writeListWorkbook_neverReplacesNorFollows_data();
    void writeListWorkbook_neverReplacesNorFollows();
    void writeListWorkbook_toldRowByRowToTheLast_data();
    void writeListWorkbook_toldRowByRowToTheLast();
    void writeListWorkbook_datesBeforeTheSheetsFirstDay_stayText_data();
    void writeListWorkbook_datesBeforeTheSheetsFirstDay_stayText();
};
