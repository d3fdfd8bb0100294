#include "classpickertest.h"
#include "failingwritestest.h"
#include "favouritestest.h"
#include "folderimporttest.h"
#include "testmain.h"
#include "treeeditortest.h"
#include "treerowstest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, TreeRowsTest, ClassPickerTest, TreeEditorTest, FavouritesTest, FolderImportTest,
                          FailingWritesTest>(argc, argv);
}
