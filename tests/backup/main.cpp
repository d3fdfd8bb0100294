#include "backuptest.h"
#include "readonlytest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, BackupTest, ReadOnlyOpeningTest>(argc, argv);
}
