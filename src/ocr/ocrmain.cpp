// zettora-ocr: the child that reads the text in pictures for the program's window, one picture after another.
#include "recognitionprocess.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return Ocr::runRecognitionCommand();
}
