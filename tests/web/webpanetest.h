#pragma once

#include <QObject>

class WebPaneTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startPage_escapesAndLinksOnlyWebAddresses_data();
    void startPage_escapesAndLinksOnlyWebAddresses();
    void navigate_opensOnlyWebAndFileAddresses_data();
    void navigate_opensOnlyWebAndFileAddresses();
    void startPage_readsNoFileNorOtherOrigin_data();
    void startPage_readsNoFileNorOtherOrigin();
    void startUp_engineAfterTheFirstFrame_thenTheStartPage();
    void addressBox_loadsThePageAndFollowsIt();
    void favourite_keepsItsPageAcrossTabs_homeAfterAnotherCollection();
    void addWEB_storesTheShownPage();
    void contextMenu_textSelection_fillsTheEntryPane();
    void contextMenu_picture_waitsForTheRegisteredScrap();
    void pictureFetch_dropsAPictureOverTheLimit_data();
    void pictureFetch_dropsAPictureOverTheLimit();
    void popup_opensInTheSameView();
    void print_withoutAPrinter_savesAPdfAndSaysWhere();
    void download_isOfferedAndSaysWhereItWent();
};
