#include "backuptest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, BackupTest>(argc, argv);
}
