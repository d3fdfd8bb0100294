#pragma once

#include <QObject>

class ToolbarButtonsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filling_namesEveryActionAndBindsItsHandler_data();
    void filling_namesEveryActionAndBindsItsHandler();
    void refilling_deletesTheOldButtons();
    void handlerThatRefillsTheToolbar_survivesItsOwnButtonsDeletion();
};
