#include "sourcestoretest.h"
#include "testmain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QGuiApplication, SourceStoreTest>(argc, argv);
}
