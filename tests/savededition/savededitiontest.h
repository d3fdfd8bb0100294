#pragma once

#include <QObject>

class SavedEditionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mReseveDo_copiesTheListedScraps_data();
    void mReseveDo_copiesTheListedScraps();
    void mReseveDo_failures_leaveNothingBehind_data();
    void mReseveDo_failures_leaveNothingBehind();
    void mReseveDo_columnsInAnotherOrder_copiedByName();
    void mReseveDo_whatWouldCloseTheListWaitsForIt_data();
    void mReseveDo_whatWouldCloseTheListWaitsForIt();
    void mReseveDo_acrossReadBatches_data();
    void mReseveDo_acrossReadBatches();
    void edition_opensReadOnlyInDepth();
};
