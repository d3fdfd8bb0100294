#include "colourvaluetest.h"

#include "common/colourvalue.h"
#include "common/helptopics.h"
#include "common/twips.h"

#include <QTest>

#include <optional>

using ColourValue::parse;

void ColourValueTest::storedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("value");

    QTest::newRow("pink level") << QStringLiteral("16761087") << true << quint32(0xFFC0FF);
    QTest::newRow("system colour 19 as signed text") << QStringLiteral("-2147483629") << true << quint32(0x80000013);
    QTest::newRow("black") << QStringLiteral("0") << true << quint32(0);
    QTest::newRow("white") << QStringLiteral("16777215") << true << quint32(0xFFFFFF);
    QTest::newRow("surrounding blanks") << QStringLiteral(" 255 ") << true << quint32(0xFF);
    QTest::newRow("beyond 24 bits, not a system colour") << QStringLiteral("16777216") << false << quint32(0);
    QTest::newRow("words") << QStringLiteral("赤") << false << quint32(0);
    QTest::newRow("empty") << QString() << false << quint32(0);
    QTest::newRow("fraction") << QStringLiteral("12.5") << false << quint32(0);
    QTest::newRow("below int32") << QStringLiteral("-2147483649") << false << quint32(0);
}

void ColourValueTest::storedText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(quint32, value);

    const std::optional<quint32> parsed = parse(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(*parsed, value);
        QCOMPARE(parse(ColourValue::toText(value)), parsed);
    }
}

void ColourValueTest::rgbColours_roundTrip_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QColor>("colour");

    // Red sits in the lowest byte.
    QTest::newRow("pure blue marker") << quint32(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("seek yellow") << quint32(0x80FFFF) << QColor(255, 255, 128);
    QTest::newRow("pink") << quint32(0xFFC0FF) << QColor(255, 192, 255);
    QTest::newRow("pale cyan") << quint32(0xFFFFC0) << QColor(192, 255, 255);
}

void ColourValueTest::rgbColours_roundTrip()
{
    QFETCH(quint32, value);
    QFETCH(QColor, colour);
    QCOMPARE(ColourValue::toColour(value), colour);
    QCOMPARE(ColourValue::fromColour(colour), value);
}

void ColourValueTest::systemColours_areFixed()
{
    QCOMPARE(ColourValue::toColour(ColourValue::kWindow), QColor(Qt::white));
    QVERIFY(ColourValue::toColour(ColourValue::k3DLight) != QColor(Qt::white));
    QVERIFY(ColourValue::toColour(ColourValue::kInactiveCaptionText).isValid());
}

void ColourValueTest::twips_convertAtNinetySixDpi_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one pixel") << 15 << 1;
    QTest::newRow("left pane") << 2800 << 187;
    QTest::newRow("window width") << 15000 << 1000;
    QTest::newRow("rounds half up") << 8 << 1;
    QTest::newRow("negative") << -9800 << -653;
}

void ColourValueTest::twips_convertAtNinetySixDpi()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixels(twips), pixels);
}

void ColourValueTest::helpTopics_leadToTheirAnchor()
{
    QCOMPARE(HelpTopic::url(HelpTopic::kSearch).fragment(), QStringLiteral("topic9"));
    QCOMPARE(HelpTopic::url(HelpTopic::kSupport).fileName(), QStringLiteral("support.html"));
    QCOMPARE(HelpTopic::url(123456).fileName(), QStringLiteral("index.html"));
    QVERIFY(!HelpTopic::url(123456).hasFragment());
}
