#include "bodysearchtest.h"
#include "collectionownertest.h"
#include "importwindowtest.h"
#include "largenumberstest.h"
#include "listlayouttest.h"
#include "mainwindowliststest.h"
#include "mainwindowrecordtest.h"
#include "mainwindowtest.h"
#include "pictureswindowtest.h"
#include "questionstest.h"
#include "readaloudtest.h"
#include "resultsownertest.h"
#include "testmain.h"
#include "typicalroadtest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, MainWindowTest, MainWindowListsTest, MainWindowRecordTest, TypicalRoadTest,
                          ResultsOwnerTest, ListLayoutTest, PicturesWindowTest, ReadAloudTest, BodySearchTest,
                          ImportWindowTest, QuestionsTest, CollectionOwnerTest, LargeNumbersTest>(argc, argv);
}
