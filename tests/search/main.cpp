#include "bodyindextest.h"
#include "fulltextmatchtest.h"
#include "fulltextsearchdialogtest.h"
#include "indexsearchformstest.h"
#include "searchstatementstest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, BodyIndexTest, FullTextMatchTest, FullTextSearchDialogTest,
                          SearchStatementsTest, IndexSearchFormsTest>(argc, argv);
}
