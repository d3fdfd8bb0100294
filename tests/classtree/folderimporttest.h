#pragma once

#include <QObject>

class FolderImportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void lastPathPart_takesTheLastName_data();
    void lastPathPart_takesTheLastName();
    void newTree_takesThreeLevelsInNameOrder_data();
    void newTree_takesThreeLevelsInNameOrder();
    void cancel_changesNothingAndAsksNothing_data();
    void cancel_changesNothingAndAsksNothing();
    void newTreeWithClasses_answerAppendsOrDiscards_data();
    void newTreeWithClasses_answerAppendsOrDiscards();
    void storedTree_importRenumbersEveryScrap_data();
    void storedTree_importRenumbersEveryScrap();
    void storedTree_folderNamedAsAClass_joinsIt_data();
    void storedTree_folderNamedAsAClass_joinsIt();
    void unlistableFolder_isPassedOver_data();
    void unlistableFolder_isPassedOver();
};
