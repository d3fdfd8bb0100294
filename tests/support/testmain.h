#pragma once

#include <QTest>

#include <initializer_list>

// One executable per source folder runs several test classes, one after the other.
template <typename App, typename... Tests>
int runTestClasses(int argc, char* argv[])
{
    App app(argc, argv);
    int failures = 0;
    ((failures += [&] {
         Tests test;
         return QTest::qExec(&test, argc, argv);
     }()),
     ...);
    return failures == 0 ? 0 : 1;
}
