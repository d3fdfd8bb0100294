#pragma once

#include <QObject>

class FullTextSearchDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opening_showsTheControlsAndSearchesNothing();
    void search_marksEveryHitOrSaysItIsNotThere_data();
    void search_marksEveryHitOrSaysItIsNotThere();
    void blanksOnly_doNothingAndKeepTheEarlierWord_data();
    void blanksOnly_doNothingAndKeepTheEarlierWord();
    void marks_takeTheSessionsMarkerColourAndDisplayFont();
    void step_marksTheNextBodySilently();
    void closing_endsTheMarkingButKeepsTheMarksShown_data();
    void closing_endsTheMarkingButKeepsTheMarksShown();
};
