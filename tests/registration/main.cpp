#include "form3test.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, Form3Test>(argc, argv);
}
