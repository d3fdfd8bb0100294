#include "ocr/recognitionprocess.h"
#include "ocrtest.h"
#include "testmain.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char* argv[])
{
    // The engine's child is this program: a picture carrying the marker crashes it, as a hostile one might.
    if (Ocr::isRecognitionCommand(argc, argv)) {
        QGuiApplication app(argc, argv);
        return Ocr::runRecognitionCommand([](const QByteArray& picture) {
            if (picture.contains(OcrTest::kCrashMarker))
                std::abort();
            if (picture.contains(OcrTest::kHangMarker))
                std::this_thread::sleep_for(std::chrono::hours(1));
            if (picture.contains(OcrTest::kOtherVersionMarker))
                qputenv("TESSDATA_PREFIX", qgetenv(OcrTest::kOtherDataVariable));
        });
    }
    return runTestClasses<QGuiApplication, OcrTest>(argc, argv);
}
