#include "colourvaluetest.h"
#include "helppagestest.h"
#include "quitonsignaltest.h"
#include "sessiontest.h"
#include "testmain.h"
#include "toolbarbuttonstest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, ColourValueTest, HelpPagesTest, QuitOnSignalTest, SessionTest,
                          ToolbarButtonsTest>(argc, argv);
}
