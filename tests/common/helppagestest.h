#pragma once

#include <QObject>

class HelpPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void page_linksPicturesAndAnchorsResolve_data();
    void page_linksPicturesAndAnchorsResolve();
    void topic_hasItsPageAndAnchor_data();
    void topic_hasItsPageAndAnchor();
    void window_followsALinkBackAndForward_data();
    void window_followsALinkBackAndForward();
    void window_searchListsTheSectionsHoldingEveryWord_data();
    void window_searchListsTheSectionsHoldingEveryWord();
    void window_contentsOpenEverySectionOfEveryPage();
};
