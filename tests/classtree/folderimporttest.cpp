#include "folderimporttest.h"

#include "classtree/folderimport.h"
#include "common/images.h"
#include "treeeditorfixture.h"

#include <QDir>
#include <QFile>

namespace {

const QString kPrompt = u"分類階層のルートフォルダを指定してください。"_qs;

// Makes each folder under the test folder; a name ending in ".txt" becomes a file instead.
QString makeFolders(const EditorFixture& f, const QStringList& paths)
{
    const QString base = f.folder.path(u"disk"_qs);
    for (const QString& path : paths) {
        if (path.endsWith(u".txt"))
            f.folder.writeFile(u"disk/"_qs + path, "text");
        else
            QDir().mkpath(base + u'/' + path);
    }
    return base;
}

QStringList photos()
{
    return items(u"Photos/2001/Summer,Photos/2001/Spring/Deep/Deeper,Photos/2001/autumn,Photos/notes.txt"_qs);
}

} // namespace

void FolderImportTest::initTestCase()
{
    Images::installIconTheme();
}

void FolderImportTest::lastPathPart_takesTheLastName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("part");

    QTest::newRow("a nested folder") << u"/home/user/写真 アルバム"_qs << u"写真 アルバム"_qs;
    QTest::newRow("no separator") << u"Photos"_qs << u"Photos"_qs;
    QTest::newRow("a trailing separator") << u"/home/user/Photos/"_qs << u"Photos"_qs;
    QTest::newRow("the file system's root") << u"/"_qs << u"/"_qs;
}

void FolderImportTest::lastPathPart_takesTheLastName()
{
    QFETCH(QString, path);
    QFETCH(QString, part);
    QCOMPARE(LastPathPart(path), part);
}

void FolderImportTest::newTree_takesThreeLevelsInNameOrder_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("grid");

    QTest::newRow("Photos, 2001, seasons; deeper folders and files left out")
        << photos() << u"Photos"_qs << items(u"スクラップ分類,-Photos,--2001,---autumn,---Spring,---Summer"_qs);
    QTest::newRow("Japanese names with spaces")
        << items(u"写真 アルバム/2001年/春 の旅/奥,写真 アルバム/2001年/夏"_qs) << u"写真 アルバム"_qs
        << items(u"スクラップ分類,-写真 アルバム,--2001年,---夏,---春 の旅"_qs);
}

void FolderImportTest::newTree_takesThreeLevelsInNameOrder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, chosen);
    QFETCH(QStringList, grid);

    EditorFixture f;
    const QString base = makeFolders(f, folders);
    TreeEditor& w = f.open(TreeKind::Classes);
    f.dialogs.paths.enqueue(QDir::toNativeSeparators(base + u'/' + chosen));
    f.press(u"IntakeHD");

    QCOMPARE(f.dialogs.dialogTitles(), QStringList{kPrompt});
    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(f.gridTexts(), grid);
    for (int row = 2; row <= grid.size(); ++row)
        QCOMPARE(f.node(row)->data(0, Qt::UserRole).toString(), u"yPHOTO"_qs);
    QCOMPARE(count(f.db(), u"extraNodeMEMO"_qs), 0);

    f.press(u"Mode2SCR");
    f.press(u"RecNew");
    QCOMPARE(f.storedTree().size(), grid.size() - 1);
    QCOMPARE(f.storedTree().constLast(), u"3|"_qs + grid.constLast().mid(3) + u'|' + QString::number(grid.size()));
    QVERIFY(!w.isVisible());
}

void FolderImportTest::cancel_changesNothingAndAsksNothing_data()
{
    QTest::addColumn<bool>("storedTree");

    QTest::newRow("new tree with a class") << false;
    QTest::newRow("stored tree") << true;
}

void FolderImportTest::cancel_changesNothingAndAsksNothing()
{
    QFETCH(bool, storedTree);

    std::unique_ptr<EditorFixture> f =
        storedTree ? std::make_unique<ClassesFixture>() : std::make_unique<EditorFixture>();
    f->open(TreeKind::Classes);
    if (!storedTree)
        f->press(u"AddSCR_NEW");
    f->select(2);
    const QStringList grid = f->gridTexts();
    const QStringList tree = f->storedTree();
    f->press(u"IntakeHD");

    QCOMPARE(f->dialogs.dialogTitles(), QStringList{kPrompt});
    QVERIFY(f->dialogs.messages().isEmpty());
    QCOMPARE(f->gridTexts(), grid);
    QCOMPARE(f->storedTree(), tree);
    QCOMPARE(f->window->selectedNode(), f->node(2));
}

void FolderImportTest::newTreeWithClasses_answerAppendsOrDiscards_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("grid");

    const QString imported = u",-Photos,--2001,---autumn,---Spring,---Summer"_qs;
    QTest::newRow("Yes appends") << true << items(u"スクラップ分類,-新しい大分類,--新しい中分類"_qs + imported);
    QTest::newRow("No discards") << false << items(u"スクラップ分類"_qs + imported);
}

void FolderImportTest::newTreeWithClasses_answerAppendsOrDiscards()
{
    QFETCH(bool, answer);
    QFETCH(QStringList, grid);

    EditorFixture f;
    const QString base = makeFolders(f, photos());
    f.open(TreeKind::Classes);
    f.press(u"AddSCR_NEW");
    f.select(2);
    f.press(u"AddSCR_NEW");
    f.dialogs.paths.enqueue(base + u"/Photos"_qs);
    f.dialogs.yesNo.enqueue(answer);
    f.press(u"IntakeHD");

    QCOMPARE(f.dialogs.texts(),
             QStringList{u"作成済み分類ツリーの下に追加しますか？　または作成済み分類ツリーを破棄し、"
                         "新たに作成しますか？　\n追加する場合は「はい」を、破棄・新規作成の場合は"
                         "「いいえ」を選択してください。"_qs});
    QCOMPARE(f.gridTexts(), grid);
    QCOMPARE(count(f.db(), u"extraNodeMEMO"_qs), 0);
}

void FolderImportTest::storedTree_importRenumbersEveryScrap_data()
{
    QTest::addColumn<bool>("answer");

    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void FolderImportTest::storedTree_importRenumbersEveryScrap()
{
    QFETCH(bool, answer);

    ClassesFixture f;
    const QString base = makeFolders(f, photos());
    // Filed under the folder's path before the tree had it, and one LevNo gone stale.
    f.scrap(8, u"Photos"_qs, u"2001"_qs, u"Summer"_qs, 1);
    f.db().execute(u"UPDATE MEMO_IDX SET LevNo = 99 WHERE DocNo = 5"_qs);
    const QStringList before = f.storedTree();
    f.open();
    f.dialogs.paths.enqueue(base + u"/Photos"_qs);
    f.dialogs.yesNo.enqueue(answer);
    f.press(u"IntakeHD");

    QCOMPARE(f.dialogs.texts(), QStringList{u"既存分類ツリーの下に追加します。　実行しますか？"_qs});
    if (!answer) {
        QCOMPARE(f.storedTree(), before);
        QCOMPARE(f.levNos(), u"2,3,4,6,99,8,1,1"_qs);
        return;
    }
    QCOMPARE(f.storedTree(), before + items(u"1|Photos|9,9|2001|10,10|autumn|11,10|Spring|12,10|Summer|13"_qs));
    QCOMPARE(f.levNos(), u"2,3,4,6,7,8,1,13"_qs);
}

void FolderImportTest::storedTree_folderNamedAsAClass_joinsIt_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("levNos");

    QTest::newRow("a major's name, with a middle's and a minor's")
        << items(u"政治/国内/選挙,政治/国内/予算,政治/地方"_qs) << u"政治"_qs
        << items(u"1|政治|2,2|国内|3,3|選挙|4,3|予算|5,2|国際|6,6|選挙|7,2|地方|8,1|経済|9,9|金融|10"_qs)
        << u"2,3,4,7,9,10,1"_qs;
    QTest::newRow("a middle's name at the major level stays apart")
        << items(u"国内/選挙"_qs) << u"国内"_qs
        << items(u"1|政治|2,2|国内|3,3|選挙|4,2|国際|5,5|選挙|6,1|経済|7,7|金融|8,1|国内|9,9|選挙|10"_qs)
        << u"2,3,4,6,7,8,1"_qs;
}

void FolderImportTest::storedTree_folderNamedAsAClass_joinsIt()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, chosen);
    QFETCH(QStringList, tree);
    QFETCH(QString, levNos);

    ClassesFixture f;
    const QString base = makeFolders(f, folders);
    f.open();
    f.dialogs.paths.enqueue(base + u'/' + chosen);
    f.dialogs.yesNo.enqueue(true);
    f.press(u"IntakeHD");

    QCOMPARE(f.dialogs.texts(), QStringList{u"既存分類ツリーの下に追加します。　実行しますか？"_qs});
    QCOMPARE(f.storedTree(), tree);
    QCOMPARE(f.levNos(), levNos);
}

void FolderImportTest::unlistableFolder_isPassedOver_data()
{
    QTest::addColumn<QString>("unlistable");
    QTest::addColumn<QStringList>("grid");

    QTest::newRow("a middle folder") << u"2001"_qs << items(u"スクラップ分類,-Photos,--2001,--2002,---Winter"_qs);
    QTest::newRow("the chosen folder") << u"Photos"_qs << items(u"スクラップ分類,-Photos"_qs);
}

void FolderImportTest::unlistableFolder_isPassedOver()
{
    QFETCH(QString, unlistable);
    QFETCH(QStringList, grid);

    EditorFixture f;
    const QString base = makeFolders(f, items(u"Photos/2001/Spring,Photos/2002/Winter"_qs));
    TreeEditor& w = f.open(TreeKind::Classes);
    w.setFolderLister([unlistable](const QString& path) -> std::optional<QStringList> {
        if (LastPathPart(path) == unlistable)
            return std::nullopt;
        return listSubfolders(path);
    });
    f.dialogs.paths.enqueue(base + u"/Photos"_qs);
    f.press(u"IntakeHD");
    QCOMPARE(f.gridTexts(), grid);
    QVERIFY(f.dialogs.messages().isEmpty());
}
