#include "treeeditortest.h"

#include "classtree/classtreeloader.h"
#include "common/images.h"
#include "database/scrapsources.h"
#include "treeeditorfixture.h"

namespace {

const QString kScr2 =
    u"ph1|,CloseSCR|閉じる,Mode1SCR|ツールバー1|ツールバー1 表示,ph2|,moveUP_SCR|移動,moveDN_SCR|移動"_qs;
const QString kBaseLevNos = u"2,3,4,6,7,8,1"_qs;
const QStringList kBaseTree = items(u"1|政治|2,2|国内|3,3|選挙|4,2|国際|5,5|選挙|6,1|経済|7,7|金融|8"_qs);
// Every failure names what failed and, on its second line, why; a trigger's refusal reads as a broken rule.
const QString kRefused = u"\n値がデータベースの決まりに合いません。"_qs;
const QString kLevNoFailed = u"PHOTO_PIC->LevNo 訂正に失敗しました。"_qs + kRefused;

// Everything a class command may touch, to compare before and after.
QStringList snapshot(const EditorFixture& f)
{
    return f.storedTree() + f.scraps() +
           f.rows(u"SELECT 'pictures', skID FROM PHOTO_DRA UNION ALL SELECT 'bodies', pfID FROM MEMO_DAT "
                  "UNION ALL SELECT 'marks', pfID FROM MEMO_UNDERLINE"_qs);
}

} // namespace

void TreeEditorTest::initTestCase()
{
    Images::installIconTheme();
}

void TreeEditorTest::opening_buildsToolbarsAndStatusForTheTree_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("withClasses");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("toolbar1");
    QTest::addColumn<QString>("status1");
    QTest::addColumn<QString>("modeKey");
    QTest::addColumn<QString>("toolbar2");
    QTest::addColumn<QString>("status2");

    const QString help = u"ヘルプ：F1キー"_qs;
    const QString hint = u"編集が全部終った段階でツールバー２「登録ボタン」で登録してください。"_qs;
    QTest::newRow("favourites")
        << 1 << false << u"お気に入り整理"_qs
        << u"ph1|,CloseWEB|閉じる,Mode2WEB|ツールバー２|お気に入り移動モードへ,ph2|,"
           "AddWEB|追加|表示中のページをお気に入りに登録,Alt|名前変更,DelWEB|削除"_qs
        << help << u"Mode2WEB"_qs
        << u"ph1|,CloseWEB|閉じる,Mode1WEB|ツールバー１|ツールバー１へ戻る,ph2|,moveUP_WEB|移動,moveDN_WEB|移動"_qs
        << help;
    QTest::newRow("stored tree") << 3 << true << u"スクラップ分類ツリー"_qs
                                 << u"ph1|,CloseSCR|閉じる,Mode2SCR|ツールバー２|分類ツリー移動モードへ,"
                                    "AddSCR|追加|選択分類の下に下位分類を追加,Alt|名前変更|分類名を変更,Del_SCR|削除,"
                                    "IntakeHD|HDから取込"_qs
                                 << help << u"Mode2SCR"_qs << kScr2
                                 << u"編集後は必ず登録ボタンで登録して下さい。　ヘルプ：F1キー"_qs;
    QTest::newRow("empty table: new tree")
        << 2 << false << u"スクラップ分類ツリー"_qs
        << u"ph1|,CloseSCR|閉じる,Mode2SCR|ツールバー２|分類ツリー移動モードへ,ph2|,"
           "AddSCR_NEW|追加|選択分類の下に下位分類を追加,Alt|名前変更|分類名を変更,Del_NEW|削除,IntakeHD|HDから取込"_qs
        << hint << u"Mode2SCR"_qs << kScr2 + u",RecNew|登録"_qs << hint;
}

void TreeEditorTest::opening_buildsToolbarsAndStatusForTheTree()
{
    QFETCH(int, mode);
    QFETCH(bool, withClasses);
    QFETCH(QString, title);
    QFETCH(QString, toolbar1);
    QFETCH(QString, status1);
    QFETCH(QString, modeKey);
    QFETCH(QString, toolbar2);
    QFETCH(QString, status2);

    std::unique_ptr<EditorFixture> f =
        withClasses ? std::make_unique<ClassesFixture>() : std::make_unique<EditorFixture>();
    TreeEditor& w = f->open(mode == 1 ? TreeKind::Favourites : TreeKind::Classes);
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(w.helpTopic(), mode == 1 ? 7 : 18);
    QCOMPARE(w.newTreeFlag(), mode != 1 && !withClasses);
    QCOMPARE(f->toolbar(), toolbar1);
    QCOMPARE(w.statusText(), status1);
    f->press(modeKey);
    QCOMPARE(w.mode(), TreeEditor::Mode::Move);
    QCOMPARE(f->toolbar(), toolbar2);
    QCOMPARE(w.statusText(), status2);
}

void TreeEditorTest::newTree_closing_asksTwoLineQuestionAndWritesNothing_data()
{
    QTest::addColumn<int>("classesAdded");
    QTest::addColumn<QString>("leaveBy"); // a toolbar key, Escape, or the program's own close
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");

    QTest::newRow("classes, Yes closes") << 2 << u"CloseSCR"_qs << true << true << true;
    QTest::newRow("classes, No stays open") << 2 << u"CloseSCR"_qs << false << true << false;
    QTest::newRow("no class: closes unasked") << 0 << u"CloseSCR"_qs << false << false << true;
    QTest::newRow("closed by the program: closes unasked") << 2 << u"program"_qs << false << false << true;
    QTest::newRow("Escape, No stays open") << 2 << u"Escape"_qs << false << true << false;
    QTest::newRow("Escape, Yes closes") << 2 << u"Escape"_qs << true << true << true;
}

void TreeEditorTest::newTree_closing_asksTwoLineQuestionAndWritesNothing()
{
    QFETCH(int, classesAdded);
    QFETCH(QString, leaveBy);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closes);

    EditorFixture f;
    TreeEditor& w = f.open(TreeKind::Classes);
    f.press(u"AddSCR_NEW");
    f.select(2);
    for (int i = 1; i < classesAdded; ++i)
        f.press(u"AddSCR_NEW");
    if (classesAdded == 0)
        f.press(u"Del_NEW");
    f.dialogs.yesNo.enqueue(answer);
    if (leaveBy == u"program")
        w.close();
    else if (leaveBy == u"Escape")
        QTest::keyClick(&w, Qt::Key_Escape);
    else
        f.press(leaveBy);

    QCOMPARE(f.dialogs.texts(),
             asked ? QStringList{u"分類ツリー編集結果を登録せずにこの画面を閉じますか？　編集結果はツールバー２「登録」"
                                 "ボタンで登録します。\n登録しない場合は「はい」を、する場合は「いいえ」をクリックして"
                                 "ください。"_qs}
                   : QStringList());
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(f.closed->count(), closes ? 1 : 0);
    QCOMPARE(count(f.db(), u"extraNodeMEMO"_qs), 0);
}

void TreeEditorTest::newTree_defaultNameTwice_refusedByRegistrationUntilRenamed()
{
    EditorFixture f;
    // A scrap of another program's file already filed under a name the new tree gives, its empty names NULL.
    f.scrap(1, u"経済"_qs, QString(), QString(), 9);
    f.db().execute(u"UPDATE MEMO_IDX SET a05 = NULL, a06 = NULL"_qs);
    TreeEditor& w = f.open(TreeKind::Classes);
    f.press(u"AddSCR_NEW");
    f.press(u"AddSCR_NEW");
    QCOMPARE(f.gridTexts(), items(u"スクラップ分類,-新しい大分類,-新しい大分類"_qs));
    QVERIFY(f.dialogs.messages().isEmpty());

    f.press(u"Mode2SCR");
    f.press(u"RecNew");
    QCOMPARE(f.dialogs.lastText(),
             u"スクラップ分類　フォルダ下に同一の分類名が２個または２個以上あります。　訂正してください。"_qs);
    QCOMPARE(w.selectedNode(), f.node(1));
    QVERIFY(w.isVisible());
    QCOMPARE(count(f.db(), u"extraNodeMEMO"_qs), 0);

    f.press(u"Mode1SCR");
    f.rename(3, u"経済"_qs);
    f.select(2);
    f.press(u"AddSCR_NEW");
    QCOMPARE(count(f.db(), u"extraNodeMEMO"_qs), 0);
    f.press(u"Mode2SCR");
    f.press(u"RecNew");
    QCOMPARE(f.storedTree(), items(u"1|新しい大分類|2,2|新しい中分類|3,1|経済|4"_qs));
    QCOMPARE(f.levNos(), u"4"_qs);
    QCOMPARE(f.closed->count(), 1);
}

void TreeEditorTest::rename_carriesIntoTheScrapsOfExactlyThatClass_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ending"); // Tab and Shift+Tab open the next row's editor before the rename is carried out
    QTest::addColumn<QString>("scraps"); // the first five; those of 経済 and the root never change

    const QString middle = u"1|政治|||2,2|政治|内政||3,3|政治|内政|選挙|4,4|政治|国際|選挙|6,5|経済|||7"_qs;
    const QString minor = u"1|政治|||2,2|政治|国内||3,3|政治|国内|総選挙|4,4|政治|国際|選挙|6,5|経済|||7"_qs;
    QTest::newRow("major: every scrap under it")
        << 2 << u"国政"_qs << int(Qt::Key_Return)
        << u"1|国政|||2,2|国政|国内||3,3|国政|国内|選挙|4,4|国政|国際|選挙|6,5|経済|||7"_qs;
    QTest::newRow("middle") << 3 << u"内政"_qs << int(Qt::Key_Return) << middle;
    QTest::newRow("minor: the exact path only") << 4 << u"総選挙"_qs << int(Qt::Key_Return) << minor;
    QTest::newRow("minor, ended by Tab") << 4 << u"総選挙"_qs << int(Qt::Key_Tab) << minor;
    QTest::newRow("minor, ended by Shift+Tab onto its parent") << 4 << u"総選挙"_qs << int(Qt::Key_Backtab) << minor;
    QTest::newRow("middle, ended by Tab onto its child") << 3 << u"内政"_qs << int(Qt::Key_Tab) << middle;
}

void TreeEditorTest::rename_carriesIntoTheScrapsOfExactlyThatClass()
{
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(int, ending);
    QFETCH(QString, scraps);

    ClassesFixture f;
    f.open();
    f.rename(row, name, Qt::Key(ending));
    QVERIFY(f.dialogs.messages().isEmpty());
    QCOMPARE(f.scraps(), items(scraps + u",6|経済|金融||8,7||||1"_qs));
    QStringList tree = kBaseTree;
    tree[row - 2] = tree[row - 2].section(u'|', 0, 0) + u'|' + name + u'|' + QString::number(row);
    QCOMPARE(f.storedTree(), tree);
}

void TreeEditorTest::rename_refusedOrFailing_leavesDatabaseAndNameAsTheyWere_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");

    QTest::newRow("an emptied name") << QString() << 2 << QString() << QString();
    QTest::newRow("a sibling's name") << QString() << 5 << u"国内"_qs
                                      << u"国内　は同一フォルダ下に既にあります。　他の名前にしてください。"_qs;
    QTest::newRow("a scrap row refuses after others took the name")
        << u"CREATE TRIGGER t BEFORE UPDATE OF a04 ON MEMO_IDX WHEN OLD.DocNo = 3 BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << 2 << u"国政"_qs << u"MEMO_IDX　分類訂正に失敗しました。"_qs + kRefused;
    QTest::newRow("the tree row refuses")
        << u"CREATE TRIGGER t BEFORE INSERT ON extraNodeMEMO BEGIN SELECT RAISE(ABORT, 'no'); END"_qs << 2 << u"国政"_qs
        << u"分類名の変更に失敗しました。"_qs + kRefused;
}

void TreeEditorTest::rename_refusedOrFailing_leavesDatabaseAndNameAsTheyWere()
{
    QFETCH(QString, setup);
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(QString, message);

    ClassesFixture f;
    if (!setup.isEmpty())
        f.db().execute(setup);
    const QStringList before = snapshot(f);
    f.open();
    const QString oldName = f.node(row)->text(0);
    f.rename(row, name);
    QCOMPARE(f.dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(snapshot(f), before);
    // The refused name must not linger for the next save to store without its scraps.
    QCOMPARE(f.node(row)->text(0), oldName);
}

void TreeEditorTest::move_writtenOnLeavingMoveMode_renumbersEveryScrap_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("moveKey");
    QTest::addColumn<QString>("leaveKey");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("levNos");

    QTest::newRow("major above its sibling, back to toolbar 1")
        << 7 << u"moveUP_SCR"_qs << u"Mode1SCR"_qs
        << items(u"1|経済|2,2|金融|3,1|政治|4,4|国内|5,5|選挙|6,4|国際|7,7|選挙|8"_qs) << u"4,5,6,8,2,3,1"_qs;
    QTest::newRow("middle below its sibling, closed in move mode")
        << 3 << u"moveDN_SCR"_qs << u"CloseSCR"_qs
        << items(u"1|政治|2,2|国際|3,3|選挙|4,2|国内|5,5|選挙|6,1|経済|7,7|金融|8"_qs) << u"2,5,6,4,7,8,1"_qs;
    QTest::newRow("the first cannot go up") << 2 << u"moveUP_SCR"_qs << u"Mode1SCR"_qs << kBaseTree << kBaseLevNos;
    QTest::newRow("the close box drops the move") << 7 << u"moveUP_SCR"_qs << QString() << kBaseTree << kBaseLevNos;
}

void TreeEditorTest::move_writtenOnLeavingMoveMode_renumbersEveryScrap()
{
    QFETCH(int, row);
    QFETCH(QString, moveKey);
    QFETCH(QString, leaveKey);
    QFETCH(QStringList, tree);
    QFETCH(QString, levNos);

    ClassesFixture f;
    TreeEditor& w = f.open(TreeKind::Classes);
    f.press(u"Mode2SCR");
    f.select(row);
    f.press(moveKey);
    QCOMPARE(f.storedTree(), kBaseTree);
    if (leaveKey.isEmpty())
        w.close();
    else
        f.press(leaveKey);

    QCOMPARE(f.storedTree(), tree);
    QCOMPARE(f.levNos(), levNos);
    QCOMPARE(f.closed->count(), leaveKey == u"Mode1SCR" ? 0 : 1);
    // The main window's pane is rebuilt from the file with the same loader.
    QTreeWidget pane;
    loadClassTree(&pane, f.db());
    for (int r = 2; r <= tree.size() + 1; ++r)
        QCOMPARE(TreeRows::itemAt(&pane, r)->text(0), tree[r - 2].section(u'|', 1, 1));
}

void TreeEditorTest::failingSave_keepsPreviousTreeAndLevNos_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("tree rows refused")
        << u"CREATE TRIGGER t BEFORE INSERT ON extraNodeMEMO BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << QStringList{u"分類ツリーの登録に失敗しました。"_qs + kRefused};
    QTest::newRow("a LevNo refused after others were renumbered")
        << u"CREATE TRIGGER t BEFORE UPDATE OF LevNo ON MEMO_IDX WHEN NEW.LevNo = 3 "
           "BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << QStringList{kLevNoFailed};
}

void TreeEditorTest::failingSave_keepsPreviousTreeAndLevNos()
{
    QFETCH(QString, trigger);
    QFETCH(QStringList, messages);

    ClassesFixture f;
    f.db().execute(trigger);
    TreeEditor& w = f.open();
    f.press(u"Mode2SCR");
    f.select(7);
    f.press(u"moveUP_SCR");
    f.press(u"Mode1SCR");

    QCOMPARE(f.dialogs.texts(), messages);
    QCOMPARE(f.storedTree(), kBaseTree);
    QCOMPARE(f.levNos(), kBaseLevNos);
    // The move stays on screen, still to be stored, until the file takes it.
    QCOMPARE(w.mode(), TreeEditor::Mode::Move);
    QCOMPARE(f.node(2)->text(0), u"経済"_qs);
    f.db().execute(u"DROP TRIGGER t"_qs);
    f.press(u"Mode1SCR");
    QCOMPARE(w.mode(), TreeEditor::Mode::Edit);
    QCOMPARE(f.storedTree().constFirst(), u"1|経済|2"_qs);
    QCOMPARE(f.levNos(), u"4,5,6,8,2,3,1"_qs);
}

void TreeEditorTest::deleteMiddleClass_removesItsSubtreeAndEveryRowOfItsScraps()
{
    ClassesFixture f;
    f.addPicture(99); // a picture set of no scrap of the class
    for (const qint64 docNo : {2, 4})
        ScrapSources::save(f.db(), docNo, {u"https://news.example.jp/"_qs, u"記事"_qs, QDateTime::currentDateTime()});
    const QStringList before = snapshot(f);
    f.open();
    f.select(3);
    f.dialogs.yesNo << false << true;
    f.press(u"Del_SCR");
    QCOMPARE(snapshot(f), before);

    f.press(u"Del_SCR");
    QCOMPARE(f.dialogs.texts().last(), u"国内 フォルダとこのフォルダに含まれる全フォルダ・スクラップを削除します。。"
                                       "　削除後は復活できません。　実行しますか？"_qs);
    QCOMPARE(f.storedTree(), items(u"1|政治|2,2|国際|3,3|選挙|4,1|経済|5,5|金融|6"_qs));
    QCOMPARE(f.scraps(), items(u"1|政治|||2,4|政治|国際|選挙|4,5|経済|||5,6|経済|金融||6,7||||1"_qs));
    QCOMPARE(f.rows(u"SELECT skID FROM PHOTO_DRA"_qs), QStringList{u"99"_qs});
    const QStringList kept = items(u"1,4,5,6,7"_qs);
    QCOMPARE(f.rows(u"SELECT pfID FROM MEMO_DAT ORDER BY pfID"_qs), kept);
    QCOMPARE(f.rows(u"SELECT pfID FROM MEMO_UNDERLINE ORDER BY pfID"_qs), kept);
    QCOMPARE(f.rows(u"SELECT DocNo FROM zettora_sources"_qs), QStringList{u"4"_qs});
    QCOMPARE(f.node(3)->text(0), u"国際"_qs);
}

void TreeEditorTest::deleteClass_failing_leavesEveryRow_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("a scrap refuses after another went")
        << u"CREATE TRIGGER t BEFORE DELETE ON MEMO_IDX WHEN OLD.DocNo = 3 BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << QStringList{u"MEMO_IDX 削除に失敗しました。"_qs + kRefused};
    QTest::newRow("tree rows refused")
        << u"CREATE TRIGGER t BEFORE INSERT ON extraNodeMEMO BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << QStringList{u"分類の削除に失敗しました。"_qs + kRefused};
    QTest::newRow("LevNo refused")
        << u"CREATE TRIGGER t BEFORE UPDATE OF LevNo ON MEMO_IDX BEGIN SELECT RAISE(ABORT, 'no'); END"_qs
        << QStringList{kLevNoFailed};
}

void TreeEditorTest::deleteClass_failing_leavesEveryRow()
{
    QFETCH(QString, trigger);
    QFETCH(QStringList, messages);

    ClassesFixture f;
    f.db().execute(trigger);
    const QStringList before = snapshot(f);
    f.open();
    f.select(3);
    f.dialogs.yesNo.enqueue(true);
    f.press(u"Del_SCR");
    QCOMPARE(f.dialogs.texts().mid(1), messages);
    QCOMPARE(snapshot(f), before);
    QCOMPARE(f.node(3)->text(0), u"国内"_qs);
}

void TreeEditorTest::addClass_defaultNamePerLevel_secondRefused_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("levNos");

    QTest::newRow("under the root") << 1 << u"1|新しい大分類|9"_qs << kBaseLevNos;
    QTest::newRow("under a major class") << 7 << u"7|新しい中分類|9"_qs << kBaseLevNos;
    QTest::newRow("under a middle class, rows below shift") << 3 << u"3|新しい小分類|5"_qs << u"2,3,4,7,8,9,1"_qs;
    QTest::newRow("under a minor class: too deep") << 4 << QString() << kBaseLevNos;
}

void TreeEditorTest::addClass_defaultNamePerLevel_secondRefused()
{
    QFETCH(int, row);
    QFETCH(QString, added);
    QFETCH(QString, levNos);

    ClassesFixture f;
    f.open();
    f.select(row);
    f.press(u"AddSCR");
    QStringList tree = f.storedTree();
    if (added.isEmpty()) {
        QCOMPARE(f.dialogs.texts(), QStringList{u"これ以上深く作成できません。"_qs});
        QCOMPARE(tree, kBaseTree);
    } else {
        QVERIFY(f.dialogs.messages().isEmpty());
        QCOMPARE(tree.size(), kBaseTree.size() + 1);
        QCOMPARE(tree[added.section(u'|', 2).toInt() - 2], added);
    }
    QCOMPARE(f.levNos(), levNos);

    f.select(row);
    f.press(u"AddSCR");
    if (!added.isEmpty())
        QCOMPARE(f.dialogs.lastText(), added.section(u'|', 1, 1) + u"　は同一フォルダ下に既にあります。"_qs);
    QCOMPARE(f.storedTree(), tree);
}

void TreeEditorTest::incompleteTree_askedBeforeItIsWrittenOver_data()
{
    QTest::addColumn<QString>("setup"); // empty: a chain of classes under 金融, two of them too deep to show
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("storedRows");

    const QString tooDeep =
        u"分類ツリーの一部を表示できません。\n%1 階層より深い分類が 2 件あります。"_qs.arg(kDeepestShownLevel);
    const QString question =
        u"\n表示できる分類だけで分類ツリーを登録し直しますか？　「いいえ」を選ぶと何も変更せずに閉じます。"_qs;
    QTest::newRow("too deep, Yes stores what is shown")
        << QString() << true << QStringList{tooDeep + question} << false << 7 + kDeepestShownLevel - 3;
    QTest::newRow("too deep, No closes") << QString() << false << QStringList{tooDeep + question} << true
                                         << 7 + kDeepestShownLevel - 1;
    QTest::newRow("a missing parent, Yes stores what is shown")
        << u"UPDATE extraNodeMEMO SET ndP = 40 WHERE nName = '国際'"_qs << true
        << QStringList{u"分類ツリーの一部を表示できません。\n親の分類が見つからない分類が 4 件あります。"
                       u"\n表示できる分類だけで登録すると、3 件のスクラップが分類のないまま残ります。"_qs +
                       question}
        << false << 3;
    QTest::newRow("unreadable: closes")
        << u"ALTER TABLE extraNodeMEMO RENAME TO gone"_qs << true
        << QStringList{u"分類ツリーを読み込めませんでした。\nデータベースの処理でエラーが起きました（コード 1）。"_qs}
        << true << -1;
}

void TreeEditorTest::incompleteTree_askedBeforeItIsWrittenOver()
{
    QFETCH(QString, setup);
    QFETCH(bool, answer);
    QFETCH(QStringList, messages);
    QFETCH(bool, closes);
    QFETCH(int, storedRows);

    ClassesFixture f;
    if (setup.isEmpty()) {
        addChain(f.db(), 8, u"深"_qs, kDeepestShownLevel - 1);
    } else {
        f.db().execute(setup);
    }
    f.dialogs.yesNo.enqueue(answer);
    TreeEditor& w = f.open();
    QCoreApplication::processEvents();

    QCOMPARE(f.dialogs.texts(), messages);
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(f.closed->count(), closes ? 1 : 0);
    if (storedRows >= 0)
        QCOMPARE(count(f.db(), u"extraNodeMEMO"_qs), storedRows);
    QCOMPARE(f.levNos(), kBaseLevNos);
}

void TreeEditorTest::deleteClassBelowTheMinorClasses_takesOnlyItsRows()
{
    EditorFixture f;
    const QStringList names = items(u"政治,国内,選挙,地方,町"_qs);
    for (int i = 0; i < names.size(); ++i)
        addClass(f.db(), i + 1, names[i], i + 2);
    f.scrap(1, u"政治"_qs, u"国内"_qs, u"選挙"_qs, 4);
    f.open();
    f.select(5);
    f.dialogs.yesNo.enqueue(true);
    f.press(u"Del_SCR");

    QCOMPARE(f.dialogs.texts().size(), 1);
    QCOMPARE(f.storedTree(), items(u"1|政治|2,2|国内|3,3|選挙|4"_qs));
    QCOMPARE(f.scraps(), items(u"1|政治|国内|選挙|4"_qs));
    QCOMPARE(f.gridTexts(), items(u"スクラップ分類,-政治,--国内,---選挙"_qs));
}

void TreeEditorTest::anotherProgramsTree_renameAndDeleteTouchThatClassOnly_data()
{
    QTest::addColumn<QString>("stored"); // ndP|nName|ndMEMO in the order of the file's rows
    QTest::addColumn<QString>("filed");  // DocNo|a04|a05|a06|LevNo, as scraps() reads them
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("newName"); // empty: the class is deleted
    QTest::addColumn<QString>("scraps");
    QTest::addColumn<QString>("tree");

    // A middle class with an empty name: its minor class's scraps are not those of the whole major class.
    const QString emptyMiddle = u"1|A|2,2||3,3|m|4,2|x|5"_qs;
    const QString emptyFiled = u"1|A|||2,2|A||m|4,3|A|x||5"_qs;
    QTest::newRow("empty middle name, minor deleted")
        << emptyMiddle << emptyFiled << 4 << QString() << u"1|A|||2,3|A|x||4"_qs << u"1|A|2,2||3,2|x|4"_qs;
    QTest::newRow("empty middle name, minor renamed")
        << emptyMiddle << emptyFiled << 4 << u"n"_qs << u"1|A|||2,2|A||n|4,3|A|x||5"_qs << u"1|A|2,2||3,3|n|4,2|x|5"_qs;
    // The empty-named middle class shares its path with A itself: A's own scrap is A's.
    QTest::newRow("empty middle name, deleted")
        << emptyMiddle << emptyFiled << 3 << QString() << u"1|A|||2,3|A|x||3"_qs << u"1|A|2,2|x|3"_qs;
    QTest::newRow("empty middle name, renamed") << emptyMiddle << emptyFiled << 3 << u"n"_qs
                                                << u"1|A|||2,2|A|n|m|4,3|A|x||5"_qs << u"1|A|2,2|n|3,3|m|4,2|x|5"_qs;
    // Twin majors: the scraps of their one path are the upper one's.
    QTest::newRow("twin majors, the lower deleted")
        << u"1|A|2,1|A|3"_qs << u"1|A|||2"_qs << 3 << QString() << u"1|A|||2"_qs << u"1|A|2"_qs;
    QTest::newRow("twin majors, the lower renamed")
        << u"1|A|2,1|A|3"_qs << u"1|A|||2"_qs << 3 << u"B"_qs << u"1|A|||2"_qs << u"1|A|2,1|B|3"_qs;
    // Rows stored out of tree order: the grid shows A, A1, B; renaming B must not rename A1's row.
    QTest::newRow("rows out of tree order, renamed")
        << u"1|A|2,1|B|3,2|A1|4"_qs << u"1|A|A1||4,2|B|||3"_qs << 4 << u"B2"_qs << u"1|A|A1||3,2|B2|||4"_qs
        << u"1|A|2,2|A1|3,1|B2|4"_qs;
}

void TreeEditorTest::anotherProgramsTree_renameAndDeleteTouchThatClassOnly()
{
    QFETCH(QString, stored);
    QFETCH(QString, filed);
    QFETCH(int, row);
    QFETCH(QString, newName);
    QFETCH(QString, scraps);
    QFETCH(QString, tree);

    EditorFixture f;
    for (const QString& line : items(stored))
        addClass(f.db(), line.section(u'|', 0, 0).toInt(), line.section(u'|', 1, 1), line.section(u'|', 2, 2).toInt());
    for (const QString& line : items(filed)) {
        const QStringList v = line.split(u'|');
        f.scrap(v[0].toInt(), v[1], v[2], v[3], v[4].toInt());
    }
    f.open();
    if (newName.isEmpty()) {
        f.select(row);
        f.dialogs.yesNo.enqueue(true);
        f.press(u"Del_SCR");
    } else {
        f.rename(row, newName);
    }
    QCOMPARE(f.scraps(), items(scraps));
    QCOMPARE(f.storedTree(), items(tree));
}
