#pragma once

#include <QObject>

class BodyIndexTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void search_findsSubstringsAsTheMarkerDoes_data();
    void search_findsSubstringsAsTheMarkerDoes();
    void writesOfTheProgram_keepTheIndexInStep_data();
    void writesOfTheProgram_keepTheIndexInStep();
    void aFailedIndexWrite_leavesTheBodyFoundByItsNewText();
    void aFailedTransaction_leavesBodyAndIndexAsTheyWere();
    void changesMadeElsewhere_areFoundAndCaughtUp_data();
    void changesMadeElsewhere_areFoundAndCaughtUp();
    void aRebuildStoppedPartWay_goesOnWhereItStopped_data();
    void aRebuildStoppedPartWay_goesOnWhereItStopped();
    void theFile_staysWritableInThePlainShell();
    void aDamagedIndex_isMadeAnewByTheWorker();
    void pictureText_isFoundAsBodiesAre_data();
    void pictureText_isFoundAsBodiesAre();
    void anIndexOfAnEarlierVersion_isMadeAnew();
    void indexLookups_readOnlyTheIndexTables_data();
    void indexLookups_readOnlyTheIndexTables();
};
