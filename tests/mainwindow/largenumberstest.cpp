#include "largenumberstest.h"

#include "common/fonts.h"
#include "database/resultset.h"
#include "threescrapsfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QToolBar>

namespace {

QList<qint64> listedDocNos(const Session& session)
{
    QList<qint64> docNos;
    const ResultSet* set = session.resultSet();
    for (int row = 0; set && row < set->recordCount(); ++row)
        docNos << set->valueAt(row, set->fieldIndex(u"DocNo"_s)).toLongLong();
    return docNos;
}

} // namespace

void LargeNumbersTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
}

void LargeNumbersTest::aScrapPastTheCounters_isRegisteredListedShownFoundPicturedAndDeleted_data()
{
    QTest::addColumn<qint64>("first");    // the three scraps in the file are numbered from here
    QTest::addColumn<qint64>("pictured"); // picture set number of the second one
    QTest::addColumn<QString>("counters");
    QTest::addColumn<qint64>("number");     // DocNo and pfID the new scrap must take
    QTest::addColumn<qint64>("pictureSet"); // skID its picture must take

    QTest::newRow("counters at 32,767") << 32765LL << 32767LL
                                        << u"UPDATE IDno SET DocNo = 32767, pfID = 32767, skID = 32767"_s << 32768LL
                                        << 32768LL;
    QTest::newRow("numbers past 2^32") << 5000000000LL << 4294967296LL
                                       << u"UPDATE IDno SET DocNo = 5000000002, pfID = 5000000002, skID = 4294967296"_s
                                       << 5000000003LL << 4294967297LL;
    QTest::newRow("counters behind the numbers in use")
        << 1LL << 9LL << u"UPDATE IDno SET DocNo = 1, pfID = 2, skID = 3"_s << 4LL << 10LL;
    QTest::newRow("counters empty") << 1LL << 9LL << u"UPDATE IDno SET DocNo = NULL, pfID = NULL, skID = NULL"_s << 4LL
                                    << 10LL;
}

void LargeNumbersTest::aScrapPastTheCounters_isRegisteredListedShownFoundPicturedAndDeleted()
{
    QFETCH(qint64, first);
    QFETCH(qint64, pictured);
    QFETCH(QString, counters);
    QFETCH(qint64, number);
    QFETCH(qint64, pictureSet);
    ThreeScrapsFixture f(first);
    {
        auto c = Connection::openExisting(f.dbPath());
        Query picture(*c, u"UPDATE MEMO_IDX SET skID = ? WHERE DocNo = ?"_s);
        picture.bind(1, pictured).bind(2, first + 1).run();
        Query row(*c, u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, '古い画像', ?)"_s);
        row.bind(1, pictured).bind(2, encodedPicture({40, 30}, "JPG")).run();
        c->execute(counters);
    }
    const QStringList before = f.column(u"SELECT DocNo || '|' || pfID || '|' || skID || '|' || "
                                        u"(SELECT a01 FROM MEMO_DAT d WHERE d.pfID = i.pfID) FROM MEMO_IDX i"_s);
    f.start();
    const QString n = QString::number(number);

    // Registered with the next numbers, whatever the counters said.
    f.registerInEntryPane(u"日銀が円安を警戒"_s);
    QCOMPARE(f.column(u"SELECT DocNo || '|' || pfID FROM MEMO_IDX WHERE a02 = '日銀が円安を警戒'"_s),
             QStringList{n + u'|' + n});
    QCOMPARE(f.column(u"SELECT a01 FROM MEMO_DAT WHERE pfID = "_s + n), QStringList{u"日銀が円安を警戒"_s});

    // A picture attached to it takes the next picture set, and the old scrap keeps its own.
    f.press(u"drawMEMO"_s);
    QWidget* pictures = f.visibleWindow(u"Form5"_s);
    QVERIFY(pictures);
    QApplication::clipboard()->setImage(QImage(120, 80, QImage::Format_RGB32));
    auto* toolbar = pictures->findChild<QToolBar*>(u"Toolbar1"_s);
    toolbar->findChild<QAction*>(u"PastPic"_s)->trigger();
    toolbar->findChild<QAction*>(u"record"_s)->trigger();
    QCOMPARE(f.dialogs.lastText(), u"表示中の画像を登録しました。 "_s);
    const QString set = QString::number(pictureSet);
    QCOMPARE(f.column(u"SELECT skID FROM MEMO_IDX WHERE DocNo = "_s + n), QStringList{set});
    QCOMPARE(f.column(u"SELECT skID FROM PHOTO_DRA ORDER BY skID"_s), (QStringList{QString::number(pictured), set}));
    pictures->close();

    // Listed under its class, shown in record view, found by a word of its body.
    f.tabs()->setCurrentIndex(MainWindow::TabSearch);
    f.clickClass(3);
    QCOMPARE(listedDocNos(f.session), QList<qint64>{number});
    f.pressListRow(1);
    QCOMPARE(f.window->mode(), MainWindow::Mode::RecordView);
    QCOMPARE(f.child<QPlainTextEdit>(u"rtBox")->toPlainText(), u"日銀が円安を警戒"_s);
    f.press(u"Back2Search"_s);
    auto* field = f.child<QLineEdit>(u"BodySearch");
    field->setText(u"円安"_s);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(listedDocNos(f.session), QList<qint64>{number});

    // Deleted with its body and picture; the three others stand as they were.
    f.pressListRow(1);
    f.dialogs.yesNo.enqueue(true);
    f.press(u"delMEMO"_s);
    QCOMPARE(f.window->mode(), MainWindow::Mode::Search);
    QCOMPARE(f.column(u"SELECT DocNo || '|' || pfID || '|' || skID || '|' || "
                      u"(SELECT a01 FROM MEMO_DAT d WHERE d.pfID = i.pfID) FROM MEMO_IDX i"_s),
             before);
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA WHERE skID = "_s + set), QStringList{u"0"_s});
    QCOMPARE(f.column(u"SELECT count(*) FROM MEMO_DAT WHERE pfID = "_s + n), QStringList{u"0"_s});
}
