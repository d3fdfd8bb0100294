#include "displayfonttest.h"
#include "form11test.h"
#include "form6test.h"
#include "testmain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, DisplayFontTest, Form6Test, Form11Test>(argc, argv);
}
