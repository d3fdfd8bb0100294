#include "colourvaluetest.h"
#include "helppagestest.h"
#include "sessiontest.h"
#include "testmain.h"
#include "toolbarbuttonstest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, ColourValueTest, HelpPagesTest, SessionTest, ToolbarButtonsTest>(argc, argv);
}
