#include "databasetests.h"
#include "testmain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QCoreApplication, SchemaTest, CreationTest, QueryTest, ResultSetTest, OpeningTest,
                          DisplaySettingsStoreTest, RecordStoreTest>(argc, argv);
}
