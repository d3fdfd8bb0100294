#include "form1test.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, Form1Test>(argc, argv);
}
