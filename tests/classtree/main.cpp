#include "favouritestest.h"
#include "folderimporttest.h"
#include "form2test.h"
#include "form4test.h"
#include "testmain.h"
#include "treerowstest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, TreeRowsTest, Form4Test, Form2Test, FavouritesTest, FolderImportTest>(argc,
                                                                                                              argv);
}
