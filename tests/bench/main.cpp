#include "generatortest.h"
#include "runnertest.h"
#include "testmain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    // Pictures are encoded through Qt's image plugins, which need a GUI application.
    return runTestClasses<QGuiApplication, GeneratorTest, RunnerTest>(argc, argv);
}
