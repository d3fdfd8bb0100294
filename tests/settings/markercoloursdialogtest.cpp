#include "markercoloursdialogtest.h"

#include "common/colourvalue.h"
#include "common/fonts.h"
#include "fakeuserdialogs.h"
#include "openedcollection.h"
#include "settings/markercoloursdialog.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString kNoMarkerRow = QStringLiteral("DELETE FROM Marker");
const QString kTwoMarkerRows = QStringLiteral("INSERT INTO Marker VALUES (1, 2), (3, 4)");
const QColor kRed(0xFF, 0, 0);
const QColor kGreen(0, 0xFF, 0);
const QColor kChosen(0x12, 0x34, 0x56);
const QColor kOther(0xAB, 0xCD, 0xEF);

// MarkerColoursDialog shown on a collection whose underline colour is red and full-text marker colour green.
struct Fixture {
    OpenedCollection collection;
    FakeUserDialogs dialogs;
    std::unique_ptr<MarkerColoursDialog> window;

    explicit Fixture(
        const QStringList& setup = {QStringLiteral("UPDATE Marker SET \"01Stress\" = 255, \"02Seek\" = 65280")})
        : collection(setup)
        , window(std::make_unique<MarkerColoursDialog>(collection.session, dialogs))
    {
        window->show();
    }
    template <typename T> T* child(const QString& name) const { return window->findChild<T*>(name); }
    QColor underlineShown() const
    {
        return child<QLabel>(QStringLiteral("Label2_0"))->palette().color(QPalette::WindowText);
    }
    QColor markerShown() const { return child<QLabel>(QStringLiteral("Label2_1"))->palette().color(QPalette::Window); }
    void click(int button) const { child<QPushButton>(QStringLiteral("Command1_%1").arg(button))->click(); }
    qint64 stored(int which) const
    {
        return collection.value(which == 0 ? QStringLiteral("SELECT \"01Stress\" FROM Marker ORDER BY rowid")
                                           : QStringLiteral("SELECT \"02Seek\" FROM Marker ORDER BY rowid"));
    }
};

} // namespace

void MarkerColoursDialogTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
}

void MarkerColoursDialogTest::opening_showsTheCurrentColours()
{
    Fixture f;
    MarkerColoursDialog& w = *f.window;

    QCOMPARE(w.objectName(), QStringLiteral("Form6"));
    QCOMPARE(w.windowTitle(), QStringLiteral("マーカー色"));
    QCOMPARE(w.helpTopic(), 10065);
    QCOMPARE(f.child<QLabel>(QStringLiteral("Label2_0"))->text(), QStringLiteral("下線文字列色"));
    QCOMPARE(f.child<QLabel>(QStringLiteral("Label2_1"))->text(), QStringLiteral("全文検索文字列　マーカー色"));
    QCOMPARE(f.child<QLabel>(QStringLiteral("Label2_2"))->text(), QStringLiteral(" ヘルプ： F1キー"));
    for (int button = 0; button < 3; ++button) {
        QCOMPARE(f.child<QPushButton>(QStringLiteral("Command1_%1").arg(button))->text(),
                 button < 2 ? QStringLiteral("色選択") : QStringLiteral("閉じる"));
    }
    QCOMPARE(f.underlineShown(), kRed);
    QCOMPARE(f.markerShown(), kGreen);
}

void MarkerColoursDialogTest::choosing_showsStoresAndReloadsTheColour_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<int>("which");
    QTest::addColumn<QColor>("underline");
    QTest::addColumn<QColor>("marker");
    QTest::addColumn<qint64>("otherStored");

    const QStringList twoRows = {kNoMarkerRow, kTwoMarkerRows};
    QTest::newRow("underline, two rows") << twoRows << 0 << kChosen << ColourValue::toColour(2) << qint64(2);
    QTest::newRow("marker, two rows") << twoRows << 1 << ColourValue::toColour(1) << kChosen << qint64(1);
    QTest::newRow("underline, no row") << QStringList{kNoMarkerRow} << 0 << kChosen << ColourValue::toColour(0x80FFFF)
                                       << qint64(0x80FFFF);
    QTest::newRow("marker, no row") << QStringList{kNoMarkerRow} << 1 << ColourValue::toColour(0xFF80FF) << kChosen
                                    << qint64(0xFF80FF);
    // Another program's file with one colour left empty: its default shows, not black; the file keeps it empty.
    QTest::newRow("underline, the marker empty")
        << QStringList{kNoMarkerRow, QStringLiteral("INSERT INTO Marker VALUES (5, NULL)")} << 0 << kChosen
        << ColourValue::toColour(0x80FFFF) << qint64(0);
}

void MarkerColoursDialogTest::choosing_showsStoresAndReloadsTheColour()
{
    QFETCH(QStringList, setup);
    QFETCH(int, which);
    QFETCH(QColor, underline);
    QFETCH(QColor, marker);
    QFETCH(qint64, otherStored);

    Fixture f(setup);
    const qint64 rowsBefore = qMax<qint64>(1, f.collection.value(QStringLiteral("SELECT count(*) FROM Marker")));
    f.dialogs.colours << kChosen;
    f.click(which);

    QCOMPARE(f.underlineShown(), underline);
    QCOMPARE(f.markerShown(), marker);
    QCOMPARE(f.stored(which), qint64(ColourValue::fromColour(kChosen)));
    QCOMPARE(f.stored(1 - which), otherStored);
    QCOMPARE(f.collection.value(QStringLiteral("SELECT count(*) FROM Marker")), rowsBefore);
    if (rowsBefore == 2)
        QCOMPARE(
            f.collection.value(QStringLiteral("SELECT \"01Stress\" * 10 + \"02Seek\" FROM Marker ORDER BY rowid DESC")),
            34);
    QCOMPARE(ColourValue::toColour(f.collection.session.markers.stress), underline);
    QCOMPARE(ColourValue::toColour(f.collection.session.markers.seek), marker);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void MarkerColoursDialogTest::cancel_changesNothing_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("underline") << 0;
    QTest::newRow("marker") << 1;
}

void MarkerColoursDialogTest::cancel_changesNothing()
{
    QFETCH(int, which);

    Fixture f;
    const QByteArray before = TestFolder::read(f.collection.path);
    f.click(which);

    QCOMPARE(f.dialogs.colourInitials.size(), 1);
    QCOMPARE(f.underlineShown(), kRed);
    QCOMPARE(f.markerShown(), kGreen);
    QCOMPARE(f.collection.session.markers.stress, 255u);
    QCOMPARE(f.collection.session.markers.seek, 65280u);
    QCOMPARE(TestFolder::read(f.collection.path), before);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void MarkerColoursDialogTest::nextChoice_startsFromTheColourChosenLast_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<QColor>("firstStart");

    QTest::newRow("underline first") << 0 << kRed;
    QTest::newRow("marker first") << 1 << kGreen;
}

void MarkerColoursDialogTest::nextChoice_startsFromTheColourChosenLast()
{
    QFETCH(int, first);
    QFETCH(QColor, firstStart);

    Fixture f;
    f.dialogs.colours << kChosen << std::nullopt << kOther;
    f.click(first);
    f.click(1 - first); // cancelled: the last colour chosen stays
    f.click(first);
    f.click(1 - first);

    const QList<QColor> starts{firstStart, kChosen, kChosen, kOther};
    QCOMPARE(f.dialogs.colourInitials, starts);
}

void MarkerColoursDialogTest::writeFailure_isToldAndTheSampleKeepsTheColourInUse()
{
    Fixture f({QStringLiteral("DROP TABLE Marker")});
    const MarkerColours held = f.collection.session.markers;
    f.dialogs.colours << kChosen;
    f.click(1);

    QVERIFY(f.dialogs.lastText().startsWith(QStringLiteral("マーカー色を保存できませんでした。\n")));
    QCOMPARE(f.markerShown(), ColourValue::toColour(held.seek));
    QCOMPARE(f.collection.session.markers.seek, held.seek);
    QVERIFY(f.window->isVisible());
}

void MarkerColoursDialogTest::closeButton_closesTheWindow()
{
    Fixture f;
    f.click(2);
    QVERIFY(!f.window->isVisible());
    QVERIFY(f.dialogs.colourInitials.isEmpty());
}
