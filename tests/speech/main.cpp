#include "speechtest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, SpeechTest>(argc, argv);
}
