#include "crashtrialstest.h"
#include "testmain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QCoreApplication, CrashTrialsTest>(argc, argv);
}
