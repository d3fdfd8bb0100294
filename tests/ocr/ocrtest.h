#pragma once

#include <QObject>

class OcrTest final : public QObject {
    Q_OBJECT
public:
    // Bytes that make the engine's child crash when a picture holds them.
    static constexpr char kCrashMarker[] = "zettora-test-crash";
    // Bytes that make it never answer.
    static constexpr char kHangMarker[] = "zettora-test-hang";
    // A picture carrying it is read by a child that reports another engine version, as a half-done upgrade would.
    static constexpr char kOtherVersionMarker[] = "zettora-test-other-version";
    static constexpr char kOtherDataVariable[] = "ZETTORA_TEST_OTHER_TESSDATA";

private Q_SLOTS:
    void pictureWords_foundByBodySearch_data();
    void pictureWords_foundByBodySearch();
    void removal_takesThePictureTextWithIt_data();
    void removal_takesThePictureTextWithIt();
    void savedEdition_carriesTheTextAndReadsNothing();
    void turnedOff_readsNothing();
    void turnedOffWhileReading_stopsAfterThePictureInHand();
    void aReaderThatCannotRun_givesUpNoPicture_data();
    void aReaderThatCannotRun_givesUpNoPicture();
    void badPicture_skippedWithReasonAndWorkerGoesOn_data();
    void badPicture_skippedWithReasonAndWorkerGoesOn();
};
