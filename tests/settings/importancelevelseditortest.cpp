#include "importancelevelseditortest.h"

#include "common/colourvalue.h"
#include "common/images.h"
#include "database/connection.h"
#include "database/query.h"
#include "fakeuserdialogs.h"
#include "openedcollection.h"
#include "registration/registrationsheet.h"
#include "settings/importancelevelseditor.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include <memory>

using Kind = FakeUserDialogs::Kind;
Q_DECLARE_METATYPE(FakeUserDialogs::Kind)

namespace {

// Keys far from 1, 2, 3, ..., so that any rewrite of the table shows.
const QString kSpreadKeys = u"UPDATE Status SET \"99Kana\" = \"99Kana\" * 10"_qs;
const QStringList kLevels{u"重要"_qs, u"要注意"_qs, u"発表済み"_qs, u"進行中"_qs, u"普通"_qs};
const QColor kChosen(0x12, 0x34, 0x56);

// ImportanceLevelsEditor shown on a new collection whose five default levels have the keys 10 to 50.
struct Fixture {
    OpenedCollection collection;
    FakeUserDialogs dialogs;
    std::unique_ptr<ImportanceLevelsEditor> window;
    std::unique_ptr<QSignalSpy> changed;

    explicit Fixture(QStringList setup = {})
        : collection(setup << kSpreadKeys)
    {
        window = std::make_unique<ImportanceLevelsEditor>(collection.session, dialogs);
        changed = std::make_unique<QSignalSpy>(window.get(), &ImportanceLevelsEditor::levelsChanged);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QTableWidget* grid() const { return window->findChild<QTableWidget*>(u"fg"_qs); }
    QString cell(int row, int column) const { return grid()->item(row, column)->text(); }
    void press(int row) const
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualItemRect(grid()->item(row, 1)).center());
    }
    void key(const QString& name) const { window->findChild<QAction*>(name)->trigger(); }
    // Steps as a user takes them: "press N" on a row, "select N" by keyboard, "edit N C text", "type N C text" (its
    // editor left open, as a toolbar press finds it), or a toolbar key.
    void run(const QStringList& steps) const
    {
        for (const QString& step : steps) {
            const QStringList words = step.split(u' ');
            if (words[0] == u"press")
                press(words[1].toInt());
            else if (words[0] == u"select")
                grid()->setCurrentCell(words[1].toInt(), 1);
            else if (words[0] == u"edit")
                grid()->item(words[1].toInt(), words[2].toInt())->setText(words.mid(3).join(u' '));
            else if (words[0] == u"type") {
                grid()->setCurrentCell(words[1].toInt(), words[2].toInt());
                grid()->editItem(grid()->currentItem());
                grid()->viewport()->findChild<QLineEdit*>()->setText(words.mid(3).join(u' '));
            } else if (words[0] == u"Insert" || words[0].startsWith(u"Ctrl+")) {
                // The toolbar from the keyboard, the grid having the focus.
                window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(window.get()));
                grid()->setFocus();
                QTest::keySequence(grid(), QKeySequence(words[0]));
            } else
                key(words[0]);
        }
    }
    // name|colour|key of every stored level, in key order.
    QStringList stored() const
    {
        Query query(collection.connection(),
                    u"SELECT \"01iName\", \"02BackColor\", \"99Kana\" FROM Status ORDER BY \"99Kana\", rowid"_qs);
        QStringList rows;
        while (query.next())
            rows << query.text(0) + u'|' + query.text(1) + u'|' + query.text(2);
        return rows;
    }
};

QStringList defaultsWithKeys(const QStringList& names, int step)
{
    static const QHash<QString, QString> colours{{u"重要"_qs, u"16761087"_qs},
                                                 {u"要注意"_qs, u"12648447"_qs},
                                                 {u"発表済み"_qs, u"14737632"_qs},
                                                 {u"進行中"_qs, u"16777152"_qs},
                                                 {u"普通"_qs, u"-2147483629"_qs}};
    QStringList rows;
    for (int i = 0; i < names.size(); ++i)
        rows << names[i] + u'|' + colours.value(names[i]) + u'|' + QString::number((i + 1) * step);
    return rows;
}

} // namespace

void ImportanceLevelsEditorTest::initTestCase()
{
    Images::installIconTheme();
}

void ImportanceLevelsEditorTest::opening_showsTheLevelsInTheirOrder()
{
    Fixture f;
    ImportanceLevelsEditor& w = *f.window;
    QCOMPARE(w.objectName(), u"Form11"_qs);
    QCOMPARE(w.windowTitle(), u"スクラップ重要度"_qs);
    QCOMPARE(w.helpTopic(), 13);
    QCOMPARE(w.findChild<QLabel*>(u"StatusSimple"_qs)->text(), u"ヘルプ：　F1キー"_qs);

    QStringList keys, captions, tips;
    for (QAction* action : w.findChild<QToolBar*>(u"Toolbar1"_qs)->actions()) {
        keys << action->objectName();
        captions << action->text();
        tips << action->toolTip();
    }
    QCOMPARE(keys, (QStringList{u"ph1"_qs, u"add"_qs, u"del"_qs, u"up"_qs, u"down"_qs, u"backcolor"_qs, u"reg"_qs,
                                u"cancel"_qs}));
    QCOMPARE(captions.mid(1), (QStringList{u"行追加"_qs, u"行削除"_qs, u"行移動"_qs, u"行移動"_qs, u"背景色"_qs,
                                           u"登録"_qs, u"キャンセル"_qs}));
    QCOMPARE(tips[1], u"最下段に１行追加"_qs);
    QCOMPARE(tips[2], u"選択行を削除"_qs);
    QCOMPARE(tips[5], u"進捗段階の背景色"_qs);
    QCOMPARE(tips[6], u"編集結果を登録"_qs);

    QCOMPARE(f.grid()->rowCount(), 6);
    QCOMPARE(f.cell(0, 1), u"スクラップ重要度"_qs);
    QCOMPARE(f.cell(0, 2), u"背景色"_qs);
    QVERIFY(f.grid()->isColumnHidden(3));
    QStringList shown;
    for (int row = 1; row <= 5; ++row)
        shown << f.cell(row, 1) + u'|' + f.cell(row, 2) + u'|' + f.cell(row, 3);
    QCOMPARE(shown, defaultsWithKeys(kLevels, 10));
    QVERIFY(!w.isDirty());
}

void ImportanceLevelsEditorTest::reg_withoutAChange_leavesTheTableUntouched_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("nothing done") << QStringList{};
    QTest::newRow("a row added and left empty") << QStringList{u"add"_qs};
    QTest::newRow("up on the first row") << QStringList{u"press 1"_qs, u"up"_qs};
    QTest::newRow("down on the last row") << QStringList{u"select 5"_qs, u"down"_qs};
    QTest::newRow("up and down with nothing selected") << QStringList{u"up"_qs, u"down"_qs};
    QTest::newRow("colour dialog cancelled") << QStringList{u"press 2"_qs, u"backcolor"_qs};
}

void ImportanceLevelsEditorTest::reg_withoutAChange_leavesTheTableUntouched()
{
    QFETCH(QStringList, steps);

    Fixture f;
    const QByteArray before = TestFolder::read(f.collection.path);
    f.run(steps);
    QVERIFY(!f.window->isDirty());
    for (int row = 1; row <= 5; ++row)
        QCOMPARE(f.cell(row, 1), kLevels[row - 1]);

    f.key(u"reg"_qs);

    QCOMPARE(TestFolder::read(f.collection.path), before);
    QCOMPARE(f.stored(), defaultsWithKeys(kLevels, 10));
    QVERIFY(f.window->isHidden());
    QCOMPARE(f.window->result(), int(QDialog::Accepted));
    QCOMPARE(f.changed->count(), 0);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void ImportanceLevelsEditorTest::reg_storesTheGridInItsOrderWithKeysFromOne_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("third up") << QStringList{u"press 3"_qs, u"up"_qs}
                              << defaultsWithKeys({u"重要"_qs, u"発表済み"_qs, u"要注意"_qs, u"進行中"_qs, u"普通"_qs},
                                                  1);
    QTest::newRow("first down twice, the selection going along")
        << QStringList{u"select 1"_qs, u"Ctrl+Down"_qs, u"down"_qs}
        << defaultsWithKeys({u"要注意"_qs, u"発表済み"_qs, u"重要"_qs, u"進行中"_qs, u"普通"_qs}, 1);
    QTest::newRow("last up") << QStringList{u"select 5"_qs, u"up"_qs}
                             << defaultsWithKeys({u"重要"_qs, u"要注意"_qs, u"発表済み"_qs, u"普通"_qs, u"進行中"_qs},
                                                 1);
    QTest::newRow("second deleted") << QStringList{u"press 2"_qs, u"del"_qs}
                                    << defaultsWithKeys({u"重要"_qs, u"発表済み"_qs, u"進行中"_qs, u"普通"_qs}, 1);
    QTest::newRow("a pressed row moved down, then deleted")
        << QStringList{u"press 2"_qs, u"down"_qs, u"del"_qs}
        << defaultsWithKeys({u"重要"_qs, u"発表済み"_qs, u"進行中"_qs, u"普通"_qs}, 1);
    QTest::newRow("a row pressed, another highlighted by the keys, deleted")
        << QStringList{u"press 1"_qs, u"select 3"_qs, u"del"_qs}
        << defaultsWithKeys({u"重要"_qs, u"要注意"_qs, u"進行中"_qs, u"普通"_qs}, 1);
    QTest::newRow("the remembered row stays for the next del")
        << QStringList{u"press 4"_qs, u"del"_qs, u"del"_qs}
        << defaultsWithKeys({u"重要"_qs, u"要注意"_qs, u"発表済み"_qs}, 1);
    QTest::newRow("renamed") << QStringList{u"edit 2 1 要確認"_qs}
                             << QStringList{u"重要|16761087|1"_qs, u"要確認|12648447|2"_qs, u"発表済み|14737632|3"_qs,
                                            u"進行中|16777152|4"_qs, u"普通|-2147483629|5"_qs};
    QTest::newRow("added and named") << QStringList{u"Insert"_qs, u"edit 6 1 保留"_qs, u"edit 6 2 255"_qs}
                                     << defaultsWithKeys(kLevels, 1) + QStringList{u"保留|255|6"_qs};
    QTest::newRow("added, left empty, stored as another change sets the flag")
        << QStringList{u"add"_qs, u"press 5"_qs, u"up"_qs}
        << defaultsWithKeys({u"重要"_qs, u"要注意"_qs, u"発表済み"_qs, u"普通"_qs, u"進行中"_qs}, 1) +
               QStringList{u"||6"_qs};
    // A toolbar button takes no focus: the cell being typed in hands its text over first. The name's 20 characters,
    // one of them outside the BMP, are what the column holds.
    const QString twenty = QString(19, u'重') + u"𠮷"_qs;
    QTest::newRow("typed, 登録 pressed with the cell open")
        << QStringList{u"type 2 1 "_qs + twenty}
        << QStringList{u"重要|16761087|1"_qs, twenty + u"|12648447|2"_qs, u"発表済み|14737632|3"_qs,
                       u"進行中|16777152|4"_qs, u"普通|-2147483629|5"_qs};
    QTest::newRow("colour chosen") << QStringList{u"press 1"_qs, u"backcolor"_qs}
                                   << QStringList{u"重要|"_qs + QString::number(ColourValue::fromColour(kChosen)) +
                                                      u"|1"_qs,
                                                  u"要注意|12648447|2"_qs, u"発表済み|14737632|3"_qs,
                                                  u"進行中|16777152|4"_qs, u"普通|-2147483629|5"_qs};
}

void ImportanceLevelsEditorTest::reg_storesTheGridInItsOrderWithKeysFromOne()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, stored);

    Fixture f;
    f.dialogs.colours << kChosen;
    f.run(steps);
    QVERIFY(f.window->isDirty() || steps.last().startsWith(u"type"));
    f.key(u"reg"_qs);

    QCOMPARE(f.stored(), stored);
    QVERIFY(f.window->isHidden());
    QCOMPARE(f.changed->count(), 1);
    QVERIFY(f.dialogs.messages().isEmpty());
}

void ImportanceLevelsEditorTest::deletingEveryRow_andRegistering_emptiesTheTable()
{
    Fixture f;
    f.press(1);
    for (int i = 0; i < 6; ++i) // the last press finds no row left and does nothing
        f.key(u"del"_qs);
    QCOMPARE(f.grid()->rowCount(), 1);
    f.key(u"up"_qs);
    f.key(u"reg"_qs);

    QVERIFY(f.stored().isEmpty());
    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(f.changed->count(), 1);
}

void ImportanceLevelsEditorTest::withoutAPressedRow_delAndColour_sayWhatIsMissing_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("message");

    const QString del = u"削除行を選択してください。"_qs;
    const QString colour = u"背景色を変更する行を選択してください。"_qs;
    QTest::newRow("del, nothing pressed") << QStringList{u"select 2"_qs, u"del"_qs} << Kind::Information << del;
    QTest::newRow("del, header pressed") << QStringList{u"press 0"_qs, u"del"_qs} << Kind::Information << del;
    QTest::newRow("del, pressed before a row was added")
        << QStringList{u"press 2"_qs, u"add"_qs, u"del"_qs} << Kind::Information << del;
    QTest::newRow("背景色, nothing pressed") << QStringList{u"backcolor"_qs} << Kind::Exclamation << colour;
    QTest::newRow("背景色, header pressed")
        << QStringList{u"press 0"_qs, u"backcolor"_qs} << Kind::Exclamation << colour;
}

void ImportanceLevelsEditorTest::withoutAPressedRow_delAndColour_sayWhatIsMissing()
{
    QFETCH(QStringList, steps);
    QFETCH(Kind, kind);
    QFETCH(QString, message);

    Fixture f;
    const int rows = f.grid()->rowCount() + int(steps.contains(u"add"_qs));
    f.run(steps);

    QCOMPARE(f.dialogs.texts(), QStringList{message});
    QCOMPARE(f.dialogs.messages().constFirst().kind, kind);
    QVERIFY(f.dialogs.colourInitials.isEmpty());
    QCOMPARE(f.grid()->rowCount(), rows);
    QVERIFY(!f.window->isDirty());
    QVERIFY(f.window->isVisible());
}

void ImportanceLevelsEditorTest::reg_refusesACellTheTableCannotHold_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("message");

    QTest::newRow("colour in words")
        << u"edit 2 2 赤"_qs
        << u"上から2行目の背景色「赤」は色の値ではありません。　「背景色」で色を選んでください。"_qs;
    QTest::newRow("colour beyond 0xFFFFFF") << u"edit 3 2 16777216"_qs
                                            << u"上から3行目の背景色「16777216」は色の値ではありません。　"
                                               "「背景色」で色を選んでください。"_qs;
    QTest::newRow("name of 21 characters") << u"edit 1 1 "_qs + QString(21, u'重')
                                           << u"上から1行目の重要度名が長すぎます。　20文字以内にしてください。"_qs;
}

void ImportanceLevelsEditorTest::reg_refusesACellTheTableCannotHold()
{
    QFETCH(QString, edit);
    QFETCH(QString, message);

    Fixture f;
    const QByteArray before = TestFolder::read(f.collection.path);
    f.run({u"press 5"_qs, u"up"_qs, edit, u"reg"_qs});

    QCOMPARE(f.dialogs.texts(), QStringList{message});
    QCOMPARE(f.dialogs.messages().constFirst().kind, Kind::Exclamation);
    QCOMPARE(TestFolder::read(f.collection.path), before);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.window->isDirty());
    QCOMPARE(f.changed->count(), 0);
}

void ImportanceLevelsEditorTest::reg_thatFails_keepsTheEditsOpenAndTheOldLevelsStored()
{
    Fixture f({u"CREATE TRIGGER refuse AFTER INSERT ON Status WHEN NEW.\"01iName\" = '進行中' "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END"_qs});
    f.run({u"press 3"_qs, u"up"_qs, u"reg"_qs});

    QCOMPARE(f.stored(), defaultsWithKeys(kLevels, 10));
    // The edits stay on the screen with the reason, to be registered again.
    QVERIFY(f.window->isVisible());
    QVERIFY(f.dialogs.lastText().startsWith(u"スクラップ重要度を登録できませんでした。\n"_qs));
    QCOMPARE(f.cell(2, 1), u"発表済み"_qs);
    QCOMPARE(f.changed->count(), 0);
}

void ImportanceLevelsEditorTest::levelsThatCannotBeRead_areNeverReplacedByTheEmptyGrid()
{
    OpenedCollection collection(QStringList{kSpreadKeys});
    FakeUserDialogs dialogs;
    // Another program holds the file while the editor reads it.
    auto other = Connection::openExisting(collection.path);
    other->execute(u"BEGIN EXCLUSIVE"_qs);
    ImportanceLevelsEditor window(collection.session, dialogs);
    other->execute(u"ROLLBACK"_qs);
    window.findChild<QAction*>(u"add"_qs)->trigger();
    window.findChild<QAction*>(u"reg"_qs)->trigger();

    QCOMPARE(dialogs.texts().size(), 2);
    QVERIFY(dialogs.texts().constFirst().startsWith(u"スクラップ重要度を読み込めませんでした。\n"_qs));
    QVERIFY(dialogs.lastText().startsWith(u"スクラップ重要度を登録できませんでした。\n"_qs));
    Query count(collection.connection(), u"SELECT count(*) FROM Status"_qs);
    QVERIFY(count.next());
    QCOMPARE(count.integer(0), 5);
}

void ImportanceLevelsEditorTest::colourDialog_startsFromTheColourChosenLast()
{
    Fixture f;
    f.dialogs.colours << kChosen << std::nullopt;
    f.run({u"press 2"_qs, u"backcolor"_qs, u"press 4"_qs, u"backcolor"_qs});

    QCOMPARE(f.dialogs.colourInitials, (QList<QColor>{QColor(Qt::black), kChosen}));
    QCOMPARE(f.cell(2, 2), QString::number(ColourValue::fromColour(kChosen)));
    QCOMPARE(f.cell(4, 2), u"16777152"_qs);
}

void ImportanceLevelsEditorTest::registrationSheet_offersTheLevelsInTheirNewOrder()
{
    Fixture f;
    f.run({u"press 3"_qs, u"up"_qs, u"reg"_qs});

    RegistrationSheet sheet(f.collection.session, f.dialogs, [] { return u"本文"_qs; }, QString(), 1, {});
    sheet.show();
    auto* grid = sheet.findChild<QTableWidget*>(u"fg"_qs);
    grid->setCurrentCell(1, 2);
    auto* box = grid->viewport()->findChild<QComboBox*>();
    QVERIFY(box);
    QStringList offered;
    for (int i = 0; i < box->count(); ++i)
        offered << box->itemText(i);
    QCOMPARE(offered, (QStringList{u"重要"_qs, u"発表済み"_qs, u"要注意"_qs, u"進行中"_qs, u"普通"_qs}));
}
