#include "form1liststest.h"
#include "form1test.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, Form1Test, Form1ListsTest>(argc, argv);
}
