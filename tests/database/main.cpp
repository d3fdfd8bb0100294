#include "testmain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QCoreApplication>(argc, argv);
}
