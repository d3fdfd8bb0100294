#pragma once

#include <QTest>

// One executable per source folder runs several test classes, one after the other.
template <typename Test> int runTestClass(int argc, char* argv[])
{
    Test test;
    return QTest::qExec(&test, argc, argv);
}

template <typename App, typename... Tests> int runTestClasses(int argc, char* argv[])
{
    App app(argc, argv);
    int failures = 0;
    ((failures += runTestClass<Tests>(argc, argv)), ...);
    return failures == 0 ? 0 : 1;
}
