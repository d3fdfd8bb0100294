#pragma once

#include <QObject>

// Pictures as stored: which bytes are kept, how they are fitted for showing, and the picture set of a scrap.
class PictureStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storableBytes_keepsJpegAndConvertsTheRest_data();
    void storableBytes_keepsJpegAndConvertsTheRest();
    void decodeToFit_keepsProportions_data();
    void decodeToFit_keepsProportions();
    void attach_takesANumberOnlyForTheFirstPicture_data();
    void attach_takesANumberOnlyForTheFirstPicture();
    void deletingTheLastPicture_clearsTheScrapsSet();
};
