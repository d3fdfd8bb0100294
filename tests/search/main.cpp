#include "form7test.h"
#include "fulltextmatchtest.h"
#include "indexsearchformstest.h"
#include "searchstatementstest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, FullTextMatchTest, Form7Test, SearchStatementsTest, IndexSearchFormsTest>(argc,
                                                                                                                  argv);
}
