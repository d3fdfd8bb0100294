#include "accessfiletest.h"
#include "fuzztest.h"
#include "importtest.h"
#include "testmain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QCoreApplication, AccessFileTest, ImportTest, ImportFuzzTest>(argc, argv);
}
