#include "picturestoretest.h"
#include "testmain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTestClasses<QGuiApplication, PictureStoreTest>(argc, argv);
}
