#include "failingwritestest.h"

#include "common/images.h"
#include "treeeditorfixture.h"

#include <QDir>

namespace {

const QString kRefused = u"\n値がデータベースの決まりに合いません。"_qs;
const QString kTreeFailed = u"分類ツリーの登録に失敗しました。"_qs;
const QString kCloseAnyway = u"\n移動した結果を登録せずに閉じますか？　「いいえ」を選ぶと画面に戻ります。"_qs;

QString refuse(const QString& when)
{
    return u"CREATE TRIGGER t "_qs + when + u" BEGIN SELECT RAISE(ABORT, 'no'); END"_qs;
}

// Every row either tree's writes may touch.
QStringList snapshot(const EditorFixture& f)
{
    return f.storedTree() + f.scraps() +
           f.rows(u"SELECT ndWEB, ndID, fvName, fvAddress FROM extraNodeWEB ORDER BY rowid"_qs) +
           f.rows(u"SELECT * FROM IDno"_qs);
}

// Steps, separated by ",": a number selects that row, "3=name" renames row 3, "@" offers a folder to take in
// ("@a/b" the folder a holding b), anything else presses that button.
void play(EditorFixture& f, const QString& steps)
{
    for (const QString& step : steps.split(u',', Qt::SkipEmptyParts)) {
        bool isRow = false;
        const int row = step.toInt(&isRow);
        if (isRow) {
            f.select(row);
        } else if (step.contains(u'=')) {
            f.rename(step.section(u'=', 0, 0).toInt(), step.section(u'=', 1));
        } else if (step.startsWith(u'@')) {
            const QString folders = step.size() > 1 ? step.mid(1) : u"Photos/2001"_qs;
            QDir().mkpath(f.folder.path(u"disk/"_qs + folders));
            f.dialogs.paths.enqueue(f.folder.path(u"disk/"_qs + folders.section(u'/', 0, 0)));
        } else {
            f.press(step);
        }
    }
}

} // namespace

void FailingWritesTest::initTestCase()
{
    Images::installIconTheme();
}

void FailingWritesTest::failingWrite_isToldWithItsCause_andLosesNothing_data()
{
    QTest::addColumn<int>("tree"); // 0 favourites, 1 a stored class tree, 2 a new class tree
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("workKept"); // the grid still shows what the user did

    const QString classRows = refuse(u"BEFORE INSERT ON extraNodeMEMO"_qs);
    const QString moves = u"Mode2SCR,7,moveUP_SCR"_qs;
    QTest::newRow("moves closed in move mode, No: the window stays")
        << 1 << classRows << moves + u",CloseSCR"_qs << QList<bool>{false}
        << QStringList{kTreeFailed + kRefused + kCloseAnyway} << false << true;
    QTest::newRow("moves closed in move mode, Yes: closed without them")
        << 1 << classRows << moves + u",CloseSCR"_qs << QList<bool>{true}
        << QStringList{kTreeFailed + kRefused + kCloseAnyway} << true << true;
    QTest::newRow("a move that did not happen writes nothing")
        << 1 << classRows << u"Mode2SCR,2,moveUP_SCR,Mode1SCR"_qs << QList<bool>{} << QStringList{} << false << false;
    QTest::newRow("a class added") << 1 << classRows << u"7,AddSCR"_qs << QList<bool>{}
                                   << QStringList{kTreeFailed + kRefused} << false << false;
    QTest::newRow("a class added to a read-only file")
        << 1 << u"PRAGMA query_only = ON"_qs << u"7,AddSCR"_qs << QList<bool>{}
        << QStringList{kTreeFailed + u"\n書き込みできない場所か、書き込みの許可がありません。"_qs} << false << false;
    QTest::newRow("folders taken in") << 1 << classRows << u"@,IntakeHD"_qs << QList<bool>{true}
                                      << QStringList{u"既存分類ツリーの下に追加します。　実行しますか？"_qs,
                                                     kTreeFailed + kRefused}
                                      << false << false;
    QTest::newRow("folders taken in under a class of the same name")
        << 1 << classRows << u"@政治/地方,IntakeHD"_qs << QList<bool>{true}
        << QStringList{u"既存分類ツリーの下に追加します。　実行しますか？"_qs, kTreeFailed + kRefused} << false
        << false;
    QTest::newRow("a new tree registered") << 2 << classRows << u"AddSCR_NEW,Mode2SCR,RecNew"_qs << QList<bool>{}
                                           << QStringList{kTreeFailed + kRefused} << false << true;

    const QString positions = refuse(u"BEFORE UPDATE OF ndWEB ON extraNodeWEB"_qs);
    const QString favouriteMoves = u"Mode2WEB,10,moveUP_WEB"_qs;
    QTest::newRow("favourites moved, back to toolbar 1")
        << 0 << positions << favouriteMoves + u",Mode1WEB"_qs << QList<bool>{}
        << QStringList{u"お気に入りの並び順の登録に失敗しました。"_qs + kRefused} << false << true;
    QTest::newRow("favourites moved and closed, Yes: closed without them")
        << 0 << positions << favouriteMoves + u",CloseWEB"_qs << QList<bool>{true}
        << QStringList{u"お気に入りの並び順の登録に失敗しました。"_qs + kRefused + kCloseAnyway} << true << true;
    QTest::newRow("a favourite added") << 0 << refuse(u"BEFORE INSERT ON extraNodeWEB"_qs) << u"AddWEB"_qs
                                       << QList<bool>{}
                                       << QStringList{u"お気に入りの追加に失敗しました。"_qs + kRefused} << false
                                       << false;
    QTest::newRow("a favourite added with no identifier left")
        << 0 << u"UPDATE IDno SET ndID = 9223372036854775807"_qs << u"AddWEB"_qs << QList<bool>{}
        << QStringList{u"お気に入りの追加に失敗しました。\n番号を使い切りました。"_qs} << false << false;
    QTest::newRow("a favourite renamed") << 0 << refuse(u"BEFORE UPDATE OF fvName ON extraNodeWEB"_qs) << u"3=朝刊"_qs
                                         << QList<bool>{}
                                         << QStringList{u"お気に入りの名前の変更に失敗しました。"_qs + kRefused}
                                         << false << false;
}

void FailingWritesTest::failingWrite_isToldWithItsCause_andLosesNothing()
{
    QFETCH(int, tree);
    QFETCH(QString, setup);
    QFETCH(QString, steps);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, messages);
    QFETCH(bool, closes);
    QFETCH(bool, workKept);

    std::unique_ptr<EditorFixture> f =
        tree == 1 ? std::make_unique<ClassesFixture>() : std::make_unique<EditorFixture>();
    f->db().execute(setup);
    const QStringList before = snapshot(*f);
    TreeEditor& w = f->open(tree == 0 ? TreeKind::Favourites : TreeKind::Classes);
    const QStringList grid = f->gridTexts();
    for (bool answer : answers)
        f->dialogs.yesNo.enqueue(answer);
    play(*f, steps);

    QCOMPARE(f->dialogs.texts(), messages);
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(f->closed->count(), closes ? 1 : 0);
    f->db().execute(u"PRAGMA query_only = OFF"_qs);
    QCOMPARE(snapshot(*f), before);
    QCOMPARE(f->gridTexts() != grid, workKept);
}
