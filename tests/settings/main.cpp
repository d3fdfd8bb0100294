#include "displayfonttest.h"
#include "importancelevelseditortest.h"
#include "markercoloursdialogtest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, DisplayFontTest, MarkerColoursDialogTest, ImportanceLevelsEditorTest>(argc,
                                                                                                              argv);
}
