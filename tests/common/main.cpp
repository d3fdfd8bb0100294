#include "colourvaluetest.h"
#include "sessiontest.h"
#include "testmain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QGuiApplication, ColourValueTest, SessionTest>(argc, argv);
}
