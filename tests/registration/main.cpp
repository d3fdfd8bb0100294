#include "registrationsheettest.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, RegistrationSheetTest>(argc, argv);
}
