#include "savededitiontest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, SavedEditionTest>(argc, argv);
}
