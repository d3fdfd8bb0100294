#pragma once

#include "testcollection.h"

#include <QMap>
#include <QObject>

// The generated collection must hold together as one the program made, or every timing taken on it misleads.
class GeneratorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void counterRow_holdsLastNumbersHandedOut_data();
    void counterRow_holdsLastNumbersHandedOut();
    void everyScrap_hasExactlyOneBody_data();
    void everyScrap_hasExactlyOneBody();
    void everyTitle_isTheFirstLineOfItsBody_data();
    void everyTitle_isTheFirstLineOfItsBody();
    void everyMark_liesInsideItsBody_data();
    void everyMark_liesInsideItsBody();
    void classTree_storedInPreOrderWithoutGaps_data();
    void classTree_storedInPreOrderWithoutGaps();
    void everyScrap_filedUnderTheClassOfItsPath_data();
    void everyScrap_filedUnderTheClassOfItsPath();
    void pictures_existExactlyForPictureSets_data();
    void pictures_existExactlyForPictureSets();
    void seed_decidesTheWholeContent_data();
    void seed_decidesTheWholeContent();
    void commonPhrase_rareThoughItsPairsAreCommon_data();
    void commonPhrase_rareThoughItsPairsAreCommon();
    void optionsOutOfRange_refusedWithoutFile_data();
    void optionsOutOfRange_refusedWithoutFile();

private:
    void addCollectionRows();
    QString collection() const;

    TestFolder m_folder;
    QMap<QString, QString> m_collections; // data row name -> file
};
