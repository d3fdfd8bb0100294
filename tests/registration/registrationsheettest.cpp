#include "registrationsheettest.h"

#include "classtree/classpicker.h"
#include "classtree/treerows.h"
#include "common/colourvalue.h"
#include "common/images.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/resultset.h"
#include "fakeuserdialogs.h"
#include "registration/registrationsheet.h"
#include "testcollection.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using Kind = FakeUserDialogs::Kind;
Q_DECLARE_METATYPE(FakeUserDialogs::Kind)

namespace {

const QString kStored = QStringLiteral("スクラップを登録しました。 画像添付、下線引きが可能です。");
const QString kFailed = QStringLiteral("スクラップ登録に失敗しました。");

// A new collection with the classes 政治(2) > 国内(3) > 選挙(4), open in a session, and the sheet on it.
struct SheetFixture {
    TestFolder folder;
    Session session;
    FakeUserDialogs dialogs;
    QString body = QStringLiteral("見出し\n本文の続き");
    std::unique_ptr<RegistrationSheet> sheet;
    std::unique_ptr<QSignalSpy> closed;

    explicit SheetFixture(const QStringList& setup = {})
    {
        const QString path = folder.newCollection();
        for (const QString& sql : setup)
            alterCollection(path, sql);
        session.adoptDatabase(Connection::openExisting(path), path, QStringLiteral("Zettora"), DatabaseKind::Scrap);
        addClass(*session.connection(), 1, QStringLiteral("政治"), 2);
        addClass(*session.connection(), 2, QStringLiteral("国内"), 3);
        addClass(*session.connection(), 3, QStringLiteral("選挙"), 4);
    }
    // Whether the pictures window holds a picture for the registration.
    bool picture = false;
    void open(const QString& date = {}, int levNo = 1, bool pendingPicture = false)
    {
        picture = pendingPicture;
        const auto waiting = [this]() -> std::optional<WaitingPicture> {
            if (!picture)
                return std::nullopt;
            return WaitingPicture{QStringLiteral("待っている画像"), QByteArray("\xFF\xD8\xFF\xD9", 4)};
        };
        sheet = std::make_unique<RegistrationSheet>(
            session, dialogs, [this] { return body; }, date, levNo, waiting);
        closed = std::make_unique<QSignalSpy>(sheet.get(), &RegistrationSheet::closedWith);
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
    }
    QTableWidget* grid() const { return sheet->findChild<QTableWidget*>(QStringLiteral("fg")); }
    QString value(int row) const { return grid()->item(row, 2)->text(); }
    void press(int row) const
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualItemRect(grid()->item(row, 2)).center());
    }
    void click(const char16_t* name) const { sheet->findChild<QPushButton*>(QString::fromUtf16(name))->click(); }
    template <typename Editor> Editor* edit(int row) const
    {
        grid()->setCurrentCell(row, 2);
        return grid()->viewport()->findChild<Editor*>();
    }
    void type(int row, const QString& text) const
    {
        auto* editor = edit<QLineEdit>(row);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits a Return from the event queue
    }
    QStringList row(const QString& sql) const
    {
        Query query(*session.connection(), sql);
        QStringList texts;
        if (query.next()) {
            for (int column = 0; column < query.columnCount(); ++column)
                texts << query.text(column);
        }
        return texts;
    }
    qint64 number(const QString& sql) const { return scalar(*session.connection(), sql); }
};

} // namespace

void RegistrationSheetTest::initTestCase()
{
    Images::installIconTheme();
}

void RegistrationSheetTest::title_isTheBodysFirstLineWithoutItsBreak_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("title");

    QTest::newRow("line break") << u"見出し\n本文"_qs << u"見出し"_qs;
    QTest::newRow("CR LF") << u"見出し\r\n本文"_qs << u"見出し"_qs;
    QTest::newRow("a line separator, Shift+Enter") << u"見出し\u2028本文"_qs << u"見出し"_qs;
    QTest::newRow("no line break") << u"本文だけ"_qs << u"本文だけ"_qs;
    QTest::newRow("no line break, 150 characters") << QString(150, u'字') << QString(100, u'字');
    QTest::newRow("first line of 120") << QString(120, u'題') + u"\n本文"_qs << QString(100, u'題');
    QTest::newRow("an emoji is one character at the cut")
        << QString(99, u'a') + u"😀b"_qs << QString(99, u'a') + u"😀"_qs;
    QTest::newRow("empty body") << QString() << QString();
}

void RegistrationSheetTest::title_isTheBodysFirstLineWithoutItsBreak()
{
    QFETCH(QString, body);
    QFETCH(QString, title);

    SheetFixture f;
    f.body = body;
    f.open();
    QCOMPARE(f.value(2), title);
    QCOMPARE(f.value(3), QDate::currentDate().toString(Qt::ISODate)); // no date given: today
}

void RegistrationSheetTest::register_storesIndexAndBodyWithNewNumbers_data()
{
    QTest::addColumn<bool>("pendingPicture");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("skID");
    QTest::addColumn<QString>("backC");

    QTest::newRow("no level, no picture: picture counter untouched") << false << QString() << u"0"_qs << QString();
    QTest::newRow("level and picture") << true << u"重要"_qs << u"1"_qs << QString::number(qint32(0xFFC0FF));
}

void RegistrationSheetTest::register_storesIndexAndBodyWithNewNumbers()
{
    QFETCH(bool, pendingPicture);
    QFETCH(QString, level);
    QFETCH(QString, skID);
    QFETCH(QString, backC);

    SheetFixture f;
    f.session.currentClass = {u"政治"_qs, u"国内"_qs, QString()};
    f.open(u"2024-03-15"_qs, 3, pendingPicture);
    QCOMPARE(f.value(8), pendingPicture ? u"あり"_qs : u"なし"_qs);
    if (!level.isEmpty()) {
        auto* box = f.edit<QComboBox>(1);
        box->setCurrentIndex(box->findText(level));
        Q_EMIT box->activated(box->currentIndex());
        for (int column = 0; column < 3; ++column)
            QCOMPARE(f.grid()->item(1, column)->background().color(), ColourValue::toColour(0xFFC0FF));
    }
    f.type(7, u"選挙"_qs);

    f.click(u"Command1_0");

    QCOMPARE(f.dialogs.texts(), QStringList{kStored});
    QCOMPARE(f.number(u"SELECT count(*) FROM MEMO_IDX"_qs), 1);
    QCOMPARE(f.row(u"SELECT a01, a02, a03, a04, a05, a06, a07, skID, pfID, backC, LevNo, DocNo FROM MEMO_IDX"_qs),
             (QStringList{level, u"見出し"_qs, u"2024-03-15"_qs, u"政治"_qs, u"国内"_qs, u""_qs, u"選挙"_qs, skID,
                          u"1"_qs, backC, u"3"_qs, u"1"_qs}));
    QCOMPARE(f.row(u"SELECT a01 FROM MEMO_DAT WHERE pfID = 1"_qs), QStringList{f.body});
    QCOMPARE(f.row(u"SELECT DocNo, pfID, skID FROM IDno"_qs), (QStringList{u"1"_qs, u"1"_qs, skID}));
    // The waiting picture is stored with the scrap, under its new picture set number.
    QCOMPARE(f.row(u"SELECT skID, a01, length(a02) FROM PHOTO_DRA"_qs),
             pendingPicture ? (QStringList{skID, u"待っている画像"_qs, u"4"_qs}) : QStringList());
    ResultSet* shared = f.session.resultSet();
    QVERIFY(shared && !shared->isEditing());
    QCOMPARE(shared->rowid(), f.number(u"SELECT rowid FROM MEMO_IDX"_qs));
    QCOMPARE(shared->integer(u"DocNo"_qs), 1);
    QVERIFY(f.sheet->justRegistered());
    QCOMPARE(*f.closed, QList<QVariantList>{{true}});
    QVERIFY(f.sheet->isHidden());
}

void RegistrationSheetTest::refusedRegistration_storesNothing_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("pendingPicture");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("message");
    // A refused registration hands out no number: the counters as they are afterwards.
    QTest::addColumn<QStringList>("counters");

    const QStringList untouched{u"0"_qs, u"0"_qs, u"0"_qs};
    const QString notADate = u"作成年月日が日付ではありません。"_qs;
    QTest::newRow("no such day") << QStringList{} << u"2023-02-29"_qs << false << Kind::Exclamation << notADate
                                 << untouched;
    QTest::newRow("month without zero") << QStringList{} << u"2024-1-05"_qs << false << Kind::Exclamation << notADate
                                        << untouched;
    QTest::newRow("slashes") << QStringList{} << u"2024/01/05"_qs << false << Kind::Exclamation << notADate
                             << untouched;
    QTest::newRow("document numbers used up")
        << QStringList{u"UPDATE IDno SET DocNo = 9223372036854775807"_qs} << QString() << false << Kind::Critical
        << kFailed << QStringList{u"9223372036854775807"_qs, u"0"_qs, u"0"_qs};
    QTest::newRow("body numbers used up")
        << QStringList{u"UPDATE IDno SET pfID = 9223372036854775807"_qs} << QString() << false << Kind::Critical
        << kFailed << QStringList{u"0"_qs, u"9223372036854775807"_qs, u"0"_qs};
    QTest::newRow("picture numbers used up")
        << QStringList{u"UPDATE IDno SET skID = 9223372036854775807"_qs} << QString() << true << Kind::Critical
        << kFailed << QStringList{u"0"_qs, u"0"_qs, u"9223372036854775807"_qs};
    QTest::newRow("counter row gone") << QStringList{u"DELETE FROM IDno"_qs} << QString() << false << Kind::Critical
                                      << u"Critical Error DB broken"_qs << QStringList{};
    QTest::newRow("body cannot be written")
        << QStringList{u"DROP TABLE MEMO_DAT"_qs} << QString() << false << Kind::Critical << kFailed << untouched;
}

void RegistrationSheetTest::refusedRegistration_storesNothing()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, date);
    QFETCH(bool, pendingPicture);
    QFETCH(Kind, kind);
    QFETCH(QString, message);
    QFETCH(QStringList, counters);

    SheetFixture f(setup);
    f.open(date, 1, pendingPicture);
    f.click(u"Command1_0");

    QCOMPARE(f.dialogs.messages().size(), 1);
    QCOMPARE(f.dialogs.messages()[0].kind, kind);
    // A failure says on a second line why; a refused date needs no reason.
    const QString text = f.dialogs.messages()[0].text;
    QCOMPARE(text.section(u'\n', 0, 0), message);
    QCOMPARE(text.contains(u'\n'), kind == Kind::Critical);
    QCOMPARE(f.number(u"SELECT count(*) FROM MEMO_IDX"_qs), 0);
    // No phantom of the rolled-back row may stay in the shared set.
    const ResultSet* shared = f.session.resultSet();
    QVERIFY(!shared || (shared->recordCount() == 0 && !shared->isEditing()));
    QVERIFY(!f.sheet->justRegistered());
    QCOMPARE(f.row(u"SELECT DocNo, pfID, skID FROM IDno"_qs), counters);
    // A wrong date, or the cause of a failed write, can be put right on the open sheet with nothing retyped.
    QVERIFY(f.sheet->isVisible());
    QVERIFY(f.closed->isEmpty());
}

void RegistrationSheetTest::pictureTakenOrDroppedMeanwhile_isShownBeforeAnythingIsStored()
{
    for (const bool pendingAtOpening : {true, false}) {
        SheetFixture f;
        f.open(u"2024-03-15"_qs, 1, pendingAtOpening);
        f.picture = !pendingAtOpening;
        f.click(u"Command1_0");
        QCOMPARE(f.number(u"SELECT count(*) FROM MEMO_IDX"_qs), 0);
        QCOMPARE(f.value(8), pendingAtOpening ? u"なし"_qs : u"あり"_qs);
        // Asked again, it stores what the sheet now says.
        f.click(u"Command1_0");
        QCOMPARE(f.number(u"SELECT count(*) FROM PHOTO_DRA"_qs), pendingAtOpening ? 0 : 1);
    }
}

void RegistrationSheetTest::cancel_writesNothingAndReportsNoRegistration()
{
    SheetFixture f;
    f.open();
    f.type(7, u"選挙"_qs);

    f.click(u"Command1_1");

    QCOMPARE(*f.closed, QList<QVariantList>{{false}});
    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(f.number(u"SELECT count(*) FROM MEMO_IDX"_qs), 0);
    QCOMPARE(f.row(u"SELECT DocNo, pfID, skID FROM IDno"_qs), (QStringList{u"0"_qs, u"0"_qs, u"0"_qs}));
}

void RegistrationSheetTest::typedCells_takeAtMost255Characters_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("insertedAtStart");
    QTest::addColumn<QString>("kept");

    const QString rare = u"𠮷"_qs; // one character, two UTF-16 units
    QTest::newRow("title") << 2 << QString(300, u'字') << QString() << QString(255, u'字');
    QTest::newRow("title of rare kanji") << 2 << rare.repeated(300) << QString() << rare.repeated(255);
    QTest::newRow("title, a pair over the count")
        << 2 << QString(254, u'字') + rare + rare << QString() << QString(254, u'字') + rare;
    QTest::newRow("title full, typed at its start") << 2 << QString(255, u'字') << u"新"_qs << QString(255, u'字');
    QTest::newRow("keyword") << 7 << QString(300, u'字') << QString() << QString(255, u'字');
    QTest::newRow("date") << 3 << QString() << QString() << QString();
    QTest::newRow("major class") << 4 << QString() << QString() << QString();
    QTest::newRow("minor class") << 6 << QString() << QString() << QString();
    QTest::newRow("picture") << 8 << QString() << QString() << QString();
}

void RegistrationSheetTest::typedCells_takeAtMost255Characters()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, insertedAtStart);
    QFETCH(QString, kept);

    SheetFixture f;
    f.open();
    if (typed.isEmpty()) {
        QVERIFY(!f.edit<QLineEdit>(row));
        return;
    }
    auto* editor = f.edit<QLineEdit>(row);
    editor->setText(typed);
    if (!insertedAtStart.isEmpty()) {
        editor->setCursorPosition(0);
        editor->insert(insertedAtStart);
    }
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(f.value(row), kept);
}

void RegistrationSheetTest::leavingTheLevelDropDown_choosesNoLevel()
{
    SheetFixture f;
    f.open();
    QVERIFY(f.edit<QComboBox>(1));
    f.grid()->setCurrentCell(2, 2);

    QCOMPARE(f.value(1), QString());
    QCOMPARE(f.grid()->item(1, 1)->background().color(), ColourValue::toColour(ColourValue::k3DLight));
}

void RegistrationSheetTest::calendarClick_writesTheDateAndHidesTheCalendar()
{
    SheetFixture f;
    f.open(u"2020-01-01"_qs);
    auto* calendar = f.sheet->findChild<QCalendarWidget*>(QStringLiteral("Calendar"));
    QVERIFY(calendar->isHidden());
    f.press(3);
    QVERIFY(calendar->isVisible());

    Q_EMIT calendar->clicked(QDate(2024, 2, 29));

    QCOMPARE(f.value(3), u"2024-02-29"_qs);
    QVERIFY(calendar->isHidden());
    f.press(3);
    f.press(7);
    QVERIFY(calendar->isHidden());
}

void RegistrationSheetTest::pickedClass_fillsTheClassRowsAndLevNo()
{
    SheetFixture f;
    f.open();
    f.press(5);
    f.press(4);
    const QList<ClassPicker*> pickers = f.sheet->findChildren<ClassPicker*>();
    QCOMPARE(pickers.size(), 1);
    QPointer<ClassPicker> picker = pickers[0];
    QCOMPARE(picker->opener(), PickerOpener::RegistrationSheet);
    auto* tree = picker->findChild<QTreeWidget*>(QStringLiteral("fg"));

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(TreeRows::itemAt(tree, 4)).center());

    QCOMPARE((QStringList{f.value(4), f.value(5), f.value(6)}), (QStringList{u"政治"_qs, u"国内"_qs, u"選挙"_qs}));
    QCOMPARE(f.session.currentClass.minor, u"選挙"_qs);
    QCOMPARE(f.sheet->levNo(), 4);
    QTRY_VERIFY(picker.isNull());
    // Pressing any row outside the classes closes a picker left open.
    f.press(6);
    picker = f.sheet->findChild<ClassPicker*>();
    f.press(2);
    QTRY_VERIFY(picker.isNull());
}
