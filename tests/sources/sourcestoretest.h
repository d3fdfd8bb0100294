#pragma once

#include <QObject>

class SourceStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keptAddress_dropsCredentialsAndScripts_data();
    void keptAddress_dropsCredentialsAndScripts();
    void paste_keepsThePageTheClipboardNames_data();
    void paste_keepsThePageTheClipboardNames();
    void pageCopy_readsBackOnlyWhatItWrote_data();
    void pageCopy_readsBackOnlyWhatItWrote();
    void deletion_takesTheSourceAlong_data();
    void deletion_takesTheSourceAlong();
    void savedEdition_carriesTheSourcesOfItsScraps();
    void bodySearch_findsTheSourcesTitleAndAddress_data();
    void bodySearch_findsTheSourcesTitleAndAddress();
};
