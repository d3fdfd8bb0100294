#pragma once

#include <QObject>

class TreeEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opening_buildsToolbarsAndStatusForTheTree_data();
    void opening_buildsToolbarsAndStatusForTheTree();
    void newTree_closing_asksTwoLineQuestionAndWritesNothing_data();
    void newTree_closing_asksTwoLineQuestionAndWritesNothing();
    void newTree_defaultNameTwice_refusedByRegistrationUntilRenamed();
    void rename_carriesIntoTheScrapsOfExactlyThatClass_data();
    void rename_carriesIntoTheScrapsOfExactlyThatClass();
    void rename_refusedOrFailing_leavesDatabaseAndNameAsTheyWere_data();
    void rename_refusedOrFailing_leavesDatabaseAndNameAsTheyWere();
    void move_writtenOnLeavingMoveMode_renumbersEveryScrap_data();
    void move_writtenOnLeavingMoveMode_renumbersEveryScrap();
    void failingSave_keepsPreviousTreeAndLevNos_data();
    void failingSave_keepsPreviousTreeAndLevNos();
    void deleteMiddleClass_removesItsSubtreeAndEveryRowOfItsScraps();
    void deleteClass_failing_leavesEveryRow_data();
    void deleteClass_failing_leavesEveryRow();
    void addClass_defaultNamePerLevel_secondRefused_data();
    void addClass_defaultNamePerLevel_secondRefused();
    void incompleteTree_askedBeforeItIsWrittenOver_data();
    void incompleteTree_askedBeforeItIsWrittenOver();
    void deleteClassBelowTheMinorClasses_takesOnlyItsRows();
    void anotherProgramsTree_renameAndDeleteTouchThatClassOnly_data();
    void anotherProgramsTree_renameAndDeleteTouchThatClassOnly();
};
