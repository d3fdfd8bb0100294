#pragma once

#include <QObject>

class OcrTest final : public QObject {
    Q_OBJECT
public:
    // Bytes that make the engine's child crash when a picture holds them.
    static constexpr char kCrashMarker[] = "zettora-test-crash";
    // Bytes that make it never answer.
    static constexpr char kHangMarker[] = "zettora-test-hang";

private Q_SLOTS:
    void pictureWords_foundByBodySearch_data();
    void pictureWords_foundByBodySearch();
    void removal_takesThePictureTextWithIt_data();
    void removal_takesThePictureTextWithIt();
    void savedEdition_carriesTheTextAndReadsNothing();
    void turnedOff_readsNothing();
    void badPicture_skippedWithReasonAndWorkerGoesOn_data();
    void badPicture_skippedWithReasonAndWorkerGoesOn();
};
