#pragma once

#include <QObject>

class FullTextMatchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findAll_findsEveryHitWithoutOverlap_data();
    void findAll_findsEveryHitWithoutOverlap();
    void FindInBody_givesTheFirstHitFromTheStart_data();
    void FindInBody_givesTheFirstHitFromTheStart();
    void marking_givesHitsTheMarkerAndLeavesTheRest();
    void marking_keepsUnderlineMarks_andClearingRestoresThePreviousLook_data();
    void marking_keepsUnderlineMarks_andClearingRestoresThePreviousLook();
    void marking_isNeitherAnUndoStepNorAModification();
    void underlineToggledOnAMarkedHit_keepsItsColourWhenTheMarkerGoes();
    void MarkRange_isCutToTheEndOfTheText();
};
