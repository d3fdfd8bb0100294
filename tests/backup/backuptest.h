#pragma once

#include <QObject>

class BackupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void make_copiesVerifiesAndRotates();
    void lockedOrStopped_givesUpAndLeavesNothing();
    void verify_refusesADamagedCopy_data();
    void verify_refusesADamagedCopy();
    void kept_rotation_data();
    void kept_rotation();
    void restore_writesANewFileBesideTheCollection_data();
    void restore_writesANewFileBesideTheCollection();
    void window_backsUpNowAndRestores();
    void failedBackupOnClosing_isTold();
    void secondProgram_isRefused_aStaleLockTakenOver_data();
    void secondProgram_isRefused_aStaleLockTakenOver();
    void fullDisk_registrationFailsAndNothingIsLost();
};
