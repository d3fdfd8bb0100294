#pragma once

#include <QObject>

class IndexSearchFormsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textSearchWindow_showsTheFieldsCaptionAndFindsQuotedText_data();
    void textSearchWindow_showsTheFieldsCaptionAndFindsQuotedText();
    void dateWindow_sameDateInBothLists_findsThatDay();
    void dateWindow_notADate_isRefusedAndChangesNothing_data();
    void dateWindow_notADate_isRefusedAndChangesNothing();
    void levelFilter_narrowsAndRestoresTheResults();
};
