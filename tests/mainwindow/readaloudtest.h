#pragma once

#include <QObject>

class ReadAloudTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noCharacterStored_everyReadSaysSo();
    void settings_storeLoadAndRead();
    void loading_failures_data();
    void loading_failures();
    void mode2_readsTheClipboardElseTheScrap();
};
