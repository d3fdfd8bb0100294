#include "form1liststest.h"
#include "form1recordtest.h"
#include "form1test.h"
#include "testmain.h"
#include "typicalroadtest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, Form1Test, Form1ListsTest, Form1RecordTest, TypicalRoadTest>(argc, argv);
}
