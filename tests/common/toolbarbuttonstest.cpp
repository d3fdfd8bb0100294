#include "toolbarbuttonstest.h"

#include "common/toolbarbuttons.h"
#include "common/twips.h"

#include <QAction>
#include <QPointer>
#include <QTest>
#include <QToolBar>

using namespace Qt::StringLiterals;

void ToolbarButtonsTest::filling_namesEveryActionAndBindsItsHandler_data()
{
    QTest::addColumn<int>("statusTips");
    QTest::addColumn<QString>("expectedStatusTip");

    QTest::newRow("tooltip only") << int(StatusTips::Off) << QString();
    QTest::newRow("tooltip also in the status bar") << int(StatusTips::On) << u"押す"_s;
}

void ToolbarButtonsTest::filling_namesEveryActionAndBindsItsHandler()
{
    QFETCH(int, statusTips);
    QFETCH(QString, expectedStatusTip);

    QToolBar toolbar;
    QStringList pressed;
    const ToolbarButton buttons[] = {
        ToolbarButton::gap(u"ph1"_s, 300),
        {u"one"_s, u"一"_s, u"blue"_s, u"押す"_s, [&pressed] { pressed << u"one"_s; }},
        {u"mute"_s, u"無"_s, u"red"_s, {}, {}},
    };
    fillToolbar(&toolbar, buttons, StatusTips(statusTips));

    QCOMPARE(toolbar.actions().size(), 3);
    QCOMPARE(toolbar.widgetForAction(findToolbarButton(&toolbar, u"ph1"_s))->maximumWidth(), twipsToPixels(300));
    QAction* one = findToolbarButton(&toolbar, u"one"_s);
    QCOMPARE(one->text(), u"一"_s);
    QCOMPARE(one->toolTip(), u"押す"_s);
    QCOMPARE(one->statusTip(), expectedStatusTip);
    one->trigger();
    findToolbarButton(&toolbar, u"mute"_s)->trigger();
    QCOMPARE(pressed, QStringList{u"one"_s});
    QVERIFY(!findToolbarButton(&toolbar, u"none"_s));
}

void ToolbarButtonsTest::refilling_deletesTheOldButtons()
{
    QToolBar toolbar;
    const ToolbarButton first[] = {ToolbarButton::gap(u"ph1"_s, 200), {u"a"_s, u"A"_s, {}, {}, {}}};
    fillToolbar(&toolbar, first);
    const QPointer<QAction> old = findToolbarButton(&toolbar, u"a"_s);
    const QPointer<QWidget> gap = toolbar.widgetForAction(findToolbarButton(&toolbar, u"ph1"_s));

    const ToolbarButton second[] = {{u"b"_s, u"B"_s, {}, {}, {}}};
    fillToolbar(&toolbar, second);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(old.isNull());
    QVERIFY(gap.isNull());
    QCOMPARE(toolbar.actions().size(), 1);
    QCOMPARE(toolbar.actions().constFirst()->objectName(), u"b"_s);
}

void ToolbarButtonsTest::handlerThatRefillsTheToolbar_survivesItsOwnButtonsDeletion()
{
    // A mode switch rebuilds the toolbar from the very button that was pressed.
    QToolBar toolbar;
    int after = 0;
    const ToolbarButton next[] = {{u"next"_s, u"次"_s, {}, {}, [&after] { ++after; }}};
    const std::function<void()> refill = [&] {
        fillToolbar(&toolbar, next);
        ++after;
    };
    const ToolbarButton first[] = {{u"switch"_s, u"切替"_s, {}, {}, refill}};
    fillToolbar(&toolbar, first);

    findToolbarButton(&toolbar, u"switch"_s)->trigger();
    findToolbarButton(&toolbar, u"next"_s)->trigger();

    QCOMPARE(after, 2);
    QVERIFY(!findToolbarButton(&toolbar, u"switch"_s));
}
