#pragma once

#include <QObject>

class ImportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convert_eachSample_data();
    void convert_eachSample();
    void collectionSmall_isCopiedCellByCell();
    void markOffsets_followTheirCharacters_data();
    void markOffsets_followTheirCharacters();
    void existingTargetOrCancel_leaveNothingWritten();
    void damagedFile_convertsAndTellsWhatChanged_data();
    void damagedFile_convertsAndTellsWhatChanged();
    void command_exitCodes_data();
    void command_exitCodes();
};
