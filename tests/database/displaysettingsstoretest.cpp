#include "settings/displaysettingsstore.h"

#include "database/connection.h"
#include "databasetests.h"
#include "testcollection.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kDefaultFontName = u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"_s;

std::unique_ptr<Connection> changedCollection(const TestFolder& folder, const QStringList& changes)
{
    const QString path = folder.newCollection();
    for (const QString& change : changes)
        alterCollection(path, change);
    return Connection::openExisting(path);
}

} // namespace

void DisplaySettingsStoreTest::readDisplayFont_data()
{
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("keptOld");

    QTest::newRow("new collection") << QStringList() << kDefaultFontName << 14 << false;
    QTest::newRow("empty table gives defaults")
        << QStringList{u"DELETE FROM FontSize"_s} << kDefaultFontName << 11 << false;
    QTest::newRow("stored, bold and italic set")
        << QStringList{u"UPDATE FontSize SET \"01Font_Name\" = 'Noto Sans CJK JP', \"02Font_Size\" = 20, "
                       "\"03Font_Bold\" = -1, \"04Font_Italic\" = -1"_s}
        << u"Noto Sans CJK JP"_s << 20 << false;
    QTest::newRow("first row only") << QStringList{u"INSERT INTO FontSize VALUES ('Second', 30, 0, 0)"_s}
                                    << kDefaultFontName << 14 << false;
    // Sizes from a damaged or foreign file: list and sheet rows are sized from them.
    for (const auto& [label, stored] : {std::pair{"size 0", "0"},
                                        {"negative size", "-3"},
                                        {"size past int", "5e9"},
                                        {"size of millions of points", "82595526"}})
        QTest::newRow(label) << QStringList{u"UPDATE FontSize SET \"02Font_Size\" = "_s + QLatin1StringView(stored)}
                             << kDefaultFontName << 11 << false;
    QTest::newRow("unreadable keeps old") << QStringList{u"DROP TABLE FontSize"_s} << u"Old"_s << 9 << true;
}

void DisplaySettingsStoreTest::readDisplayFont()
{
    QFETCH(QStringList, changes);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(bool, keptOld);
    TestFolder folder;
    auto connection = changedCollection(folder, changes);
    DisplayFont font{u"Old"_s, 9, true, true};
    ReadDisplayFont(*connection, font);
    QCOMPARE(font.name, name);
    QCOMPARE(font.size, size);
    QCOMPARE(font.bold, keptOld);
    QCOMPARE(font.italic, keptOld);
}

void DisplaySettingsStoreTest::readBackColor_data()
{
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<quint32>("stress");
    QTest::addColumn<quint32>("seek");

    QTest::newRow("new collection") << QStringList() << quint32(0xFF0000) << quint32(0x80FFFF);
    QTest::newRow("empty table gives defaults")
        << QStringList{u"DELETE FROM Marker"_s} << quint32(0xFF80FF) << quint32(0x80FFFF);
    QTest::newRow("stored") << QStringList{u"UPDATE Marker SET \"01Stress\" = 255, \"02Seek\" = 65280"_s}
                            << quint32(0x0000FF) << quint32(0x00FF00);
    QTest::newRow("unreadable keeps old")
        << QStringList{u"DROP TABLE Marker"_s} << quint32(0x123456) << quint32(0x654321);
}

void DisplaySettingsStoreTest::readBackColor()
{
    QFETCH(QStringList, changes);
    QFETCH(quint32, stress);
    QFETCH(quint32, seek);
    TestFolder folder;
    auto connection = changedCollection(folder, changes);
    MarkerColours markers{0x123456, 0x654321};
    ReadBackColor(*connection, markers);
    QCOMPARE(markers.stress, stress);
    QCOMPARE(markers.seek, seek);
}
