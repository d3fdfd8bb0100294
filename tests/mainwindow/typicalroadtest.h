#pragma once

#include <QObject>

// The road a user takes every day: write a scrap, file it under a class, mark it, find it again, read,
// step, correct and delete it; the file is checked after each step.
class TypicalRoadTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void registerMarkFindEditAndDelete();
};
