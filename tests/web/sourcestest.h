#pragma once

#include <QObject>

class SourcesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clip_keepsThePageItCameFrom_data();
    void clip_keepsThePageItCameFrom();
    void clipAgain_asksAndCanShowThem_data();
    void clipAgain_asksAndCanShowThem();
    void savedPage_opensWithTheServerStopped();
    void badPages_keepTheScrap_data();
    void badPages_keepTheScrap();
    void paste_keepsThePageTheClipboardNames_data();
    void paste_keepsThePageTheClipboardNames();
    void aCopyStillBeingMade_isStoredBeforeItsCollectionCloses_data();
    void aCopyStillBeingMade_isStoredBeforeItsCollectionCloses();
    void siteListing_fromTheSourceLineAndTheMenu_data();
    void siteListing_fromTheSourceLineAndTheMenu();
    void readOnly_livePageOpensOutsideAndTheSavedOneSaysWhy();
};
