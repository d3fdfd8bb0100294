#pragma once

#include <QObject>

class AccessFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everySample_opensWithTheManifestsTablesAndRowCounts_data();
    void everySample_opensWithTheManifestsTablesAndRowCounts();
    void everyRow_equalsTheManifestCellByCell_data();
    void everyRow_equalsTheManifestCellByCell();
    void theHardValues_comeThroughWhole_data();
    void theHardValues_comeThroughWhole();
    void aFileThatIsNotAccess_throwsAccessError_data();
    void aFileThatIsNotAccess_throwsAccessError();
    void aMissingTable_throwsAccessError();
    void readRows_stopsWhenTheCallerSaysSo();
};
