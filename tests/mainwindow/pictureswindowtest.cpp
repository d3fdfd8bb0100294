#include "pictureswindowtest.h"

#include "common/fonts.h"
#include "mainwindow/scraplistmodel.h"
#include "pictures/picturearea.h"
#include "threescrapsfixture.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QTableWidget>
#include <QToolBar>

namespace {

// Scrap 2 of the three gets `pictures` pictures in set 7, captioned 説明1, 説明2, ...
struct PicturesFixture : ThreeScrapsFixture {
    explicit PicturesFixture(int pictures = 0)
    {
        if (pictures == 0)
            return;
        auto c = Connection::openExisting(dbPath());
        c->execute(u"UPDATE MEMO_IDX SET skID = 7 WHERE DocNo = 2"_s);
        c->execute(u"UPDATE IDno SET skID = 7"_s);
        for (int i = 1; i <= pictures; ++i) {
            Query insert(*c, u"INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (7, ?, ?)"_s);
            insert.bind(1, u"説明%1"_s.arg(i)).bind(2, encodedPicture({40 + i, 30}, "JPG")).run();
        }
    }
    QWidget* pictures() const { return visibleWindow(u"Form5"_s); }
    QAction* pictureButton(const QString& key) const
    {
        return pictures() ? pictures()->findChild<QToolBar*>(u"Toolbar1"_s)->findChild<QAction*>(key) : nullptr;
    }
    void pressPicture(const QString& key) const
    {
        QAction* button = pictureButton(key);
        QVERIFY2(button, qPrintable(key));
        button->trigger();
    }
    // A key of the pictures window, or of the main window's record view ("nextMEMO").
    void leaveBy(const QString& key) const { key == u"nextMEMO" ? press(key) : pressPicture(key); }
    QString position() const { return pictures()->findChild<QLabel*>(u"StatusPanel1"_s)->text(); }
    QPlainTextEdit* caption() const { return pictures()->findChild<QPlainTextEdit*>(u"Text1"_s); }
    PictureArea* area() const { return pictures()->findChild<PictureArea*>(u"imk"_s); }
};

} // namespace

void PicturesWindowTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutes();
}

void PicturesWindowTest::recordView_showsStepsWrapsAndKeepsCaptions()
{
    PicturesFixture f(3);
    f.start();
    f.showRecord(2);
    f.press(u"drawMEMO2"_s);
    QVERIFY(f.pictures());
    QCOMPARE(f.pictures()->windowTitle(), u"記事2"_s);
    QCOMPARE(f.position(), u"添付画像： 1/3"_s);
    QCOMPARE(f.caption()->toPlainText(), u"説明1"_s);
    QVERIFY(!f.area()->shownImage().isNull());

    f.caption()->setPlainText(u"書き直した説明"_s);
    f.pressPicture(u"next"_s);
    QCOMPARE(f.position(), u"添付画像： 2/3"_s);
    f.pressPicture(u"next"_s);
    f.pressPicture(u"next"_s);
    QCOMPARE(f.position(), u"添付画像： 1/3"_s);
    QCOMPARE(f.caption()->toPlainText(), u"書き直した説明"_s);
    f.pressPicture(u"prev"_s);
    QCOMPARE(f.position(), u"添付画像： 3/3"_s);
    QCOMPARE(f.column(u"SELECT a01 FROM PHOTO_DRA ORDER BY rowid"_s),
             (QStringList{u"書き直した説明"_s, u"説明2"_s, u"説明3"_s}));

    // Stepping to another scrap closes the window.
    f.press(u"nextMEMO"_s);
    QVERIFY(!f.pictures());
}

void PicturesWindowTest::recordView_scrapWithoutPictures_showsNothing()
{
    PicturesFixture f;
    f.start();
    f.showRecord(1);
    f.press(u"drawMEMO2"_s);
    QCOMPARE(f.position(), QString());
    QVERIFY(f.area()->shownImage().isNull());
    f.pressPicture(u"next"_s);
    QCOMPARE(f.position(), QString());
}

void PicturesWindowTest::recordView_damagedPicture_showsItsCaptionAndStepsOn()
{
    PicturesFixture f(2);
    alterCollection(f.dbPath(), u"UPDATE PHOTO_DRA SET a02 = x'FFD8FF00112233' WHERE a01 = '説明1'"_s);
    f.start();
    f.showRecord(2);
    f.press(u"drawMEMO2"_s);
    QCOMPARE(f.position(), u"添付画像： 1/2"_s);
    QCOMPARE(f.caption()->toPlainText(), u"説明1"_s);
    QVERIFY(f.area()->shownImage().isNull());
    f.pressPicture(u"next"_s);
    QCOMPARE(f.position(), u"添付画像： 2/2"_s);
    QVERIFY(!f.area()->shownImage().isNull());
}

void PicturesWindowTest::deletingTheLastPicture_listsTheScrapWithout()
{
    PicturesFixture f(1);
    f.start();
    f.showRecord(2);
    QCOMPARE(f.child<QTableWidget>(u"fg1")->item(8, 2)->text(), u"あり"_s);
    f.press(u"drawMEMO2"_s);
    f.dialogs.yesNo.enqueue(true);
    f.pressPicture(u"del"_s);

    QCOMPARE(f.column(u"SELECT skID FROM MEMO_IDX WHERE DocNo = 2"_s), QStringList{u"0"_s});
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA"_s), QStringList{u"0"_s});
    QCOMPARE(f.position(), QString());
    QCOMPARE(f.child<QTableWidget>(u"fg1")->item(8, 2)->text(), u"なし"_s);
    QCOMPARE(f.window->scrapListModel()->cellText(1, 7), u"なし"_s);
}

void PicturesWindowTest::afterRegistering_pastesAndStores_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("stored");

    QTest::newRow("a picture") << u"image"_s << u"表示中の画像を登録しました。 "_s << 1;
    QTest::newRow("text") << u"text"_s
                          << u"クリップボードにはテキストがあります。　WEBページ上の何処か余白をクリックし、"
                             u"クリップボードをクリアしてから画像をコピーしてください。"_s
                          << 0;
    QTest::newRow("nothing") << QString()
                             << u"クリップボードには画像がコピーされていません。 "
                                u"Windowsエキスプローラからはドラッグ＆ドロップで貼り付けてください。"_s
                             << 0;
}

void PicturesWindowTest::afterRegistering_pastesAndStores()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, message);
    QFETCH(int, stored);
    PicturesFixture f;
    f.start();
    f.registerInEntryPane(u"画像付きの記事"_s);
    f.press(u"drawMEMO"_s);
    QVERIFY(f.pictureButton(u"PastPic"_s) && !f.pictureButton(u"del"_s));

    // "登録" before anything was pasted stores nothing.
    f.dialogs.clear();
    f.pressPicture(u"record"_s);
    QVERIFY(f.dialogs.messages().isEmpty());

    if (clipboard == u"image")
        QApplication::clipboard()->setImage(QImage(120, 80, QImage::Format_RGB32));
    else if (clipboard == u"text")
        QApplication::clipboard()->setText(u"文字"_s);
    else
        QApplication::clipboard()->clear();
    f.pressPicture(u"PastPic"_s);
    f.caption()->setPlainText(QString(300, u'長'));
    f.pressPicture(u"record"_s);

    QCOMPARE(f.dialogs.lastText(), message);
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA"_s), QStringList{QString::number(stored)});
    QCOMPARE(f.column(u"SELECT skID FROM MEMO_IDX WHERE DocNo = 4"_s), QStringList{stored ? u"1"_s : u"0"_s});
    const QMimeData* left = QApplication::clipboard()->mimeData();
    QVERIFY(!left || (!left->hasText() && !left->hasImage()));
    if (stored)
        QCOMPARE(f.column(u"SELECT length(a01) FROM PHOTO_DRA"_s), QStringList{u"255"_s});
}

void PicturesWindowTest::pastedPictureNotStored_isOfferedOnLeaving_data()
{
    QTest::addColumn<QString>("leaveBy");
    QTest::addColumn<int>("answer"); // -1: nothing is asked
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("stays");

    QTest::newRow("閉じる, はい") << u"quit"_s << 0 << 1 << false;
    QTest::newRow("閉じる, いいえ") << u"quit"_s << 1 << 0 << false;
    QTest::newRow("閉じる, キャンセル") << u"quit"_s << 2 << 0 << true;
    QTest::newRow("閲覧モードへ, はい") << u"ViewMode"_s << 0 << 1 << true;
    // Stepping to the next scrap closes the window: it is offered too, and キャンセル stays on the scrap.
    QTest::newRow("next scrap, はい") << u"nextMEMO"_s << 0 << 1 << false;
    QTest::newRow("next scrap, キャンセル") << u"nextMEMO"_s << 2 << 0 << true;
}

void PicturesWindowTest::pastedPictureNotStored_isOfferedOnLeaving()
{
    QFETCH(QString, leaveBy);
    QFETCH(int, answer);
    QFETCH(int, stored);
    QFETCH(bool, stays);
    PicturesFixture f(1);
    f.start();
    f.showRecord(2);
    f.press(u"drawMEMO2"_s);
    f.pressPicture(u"RecMode"_s);
    QApplication::clipboard()->setImage(QImage(120, 80, QImage::Format_RGB32));
    f.pressPicture(u"PastPic"_s);

    f.dialogs.clear();
    f.dialogs.choices.enqueue(answer);
    f.leaveBy(leaveBy);

    QCOMPARE(f.dialogs.choiceButtons.size(), answer < 0 ? 0 : 1);
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA"_s), QStringList{QString::number(1 + stored)});
    QCOMPARE(f.pictures() != nullptr, stays);
    if (leaveBy == u"nextMEMO")
        QCOMPARE(f.window->resultPosition(), stays ? 2 : 3);
}

void PicturesWindowTest::droppedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("byteForByte");

    QTest::newRow("JPEG kept as it is") << encodedPicture({64, 48}, "JPG") << true << true;
    QTest::newRow("PNG stored as JPEG") << encodedPicture({64, 48}, "PNG") << true << false;
    QTest::newRow("not a picture") << "これは画像ではない"_ba << false << false;
}

void PicturesWindowTest::droppedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, stored);
    QFETCH(bool, byteForByte);
    PicturesFixture f;
    f.start();
    f.registerInEntryPane(u"画像付きの記事"_s);
    f.press(u"drawMEMO"_s);
    const QString path = f.folder.writeFile(u"dropped.bin"_s, file);

    Q_EMIT f.area()->fileDropped(path);
    f.pressPicture(u"record"_s);

    auto c = Connection::openExisting(f.dbPath());
    Query q(*c, u"SELECT a02 FROM PHOTO_DRA"_s);
    QCOMPARE(q.next(), stored);
    if (!stored) {
        QCOMPARE(f.dialogs.lastText(), u"画像登録に失敗しました。 JPG形式でない可能性があります。"_s);
        return;
    }
    const QByteArray bytes = q.blob(0);
    QCOMPARE(bytes == file, byteForByte);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(64, 48));
}

void PicturesWindowTest::webPicture_waitsAndIsStoredWithTheRegistration()
{
    PicturesFixture f;
    f.start();
    f.registerInEntryPane(u"先の記事"_s);
    QApplication::clipboard()->setImage(QImage(30, 20, QImage::Format_RGB32));
    f.window->openPicturesForWebPicture();
    QCOMPARE(f.tabs()->currentIndex(), int(MainWindow::TabEntry));
    const QString waits = u"ウェブから取り込んだ画像が登録を待っています。　スクラップ作成で登録するか、"
                          "画像の画面を閉じてから開いてください。"_s;
    // The pictures of the scrap registered before would take the window's place.
    f.press(u"drawMEMO"_s);
    QCOMPARE(f.dialogs.lastText(), waits);
    f.showRecord(1);
    // Stepping through the scraps of record view and going back to the list keep the waiting picture.
    f.press(u"nextMEMO"_s);
    QVERIFY(f.pictures());
    f.dialogs.clear();
    f.press(u"drawMEMO2"_s);
    QCOMPARE(f.dialogs.lastText(), waits);
    f.press(u"Back2Search"_s);
    QVERIFY(f.pictures());
    f.tabs()->setCurrentIndex(MainWindow::TabEntry);
    // No scrap yet: "登録" keeps the picture waiting.
    f.pressPicture(u"record"_s);
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA"_s), QStringList{u"0"_s});

    f.child<QPlainTextEdit>(u"mData")->setPlainText(u"ウェブの記事"_s);
    f.clickClass(3);
    QCOMPARE(f.visibleWindow(u"Form3"_s)->findChild<QTableWidget*>(u"fg"_s)->item(8, 2)->text(), u"あり"_s);
    f.visibleWindow(u"Form3"_s)->findChild<QPushButton*>(u"Command1_0"_s)->click();

    QCOMPARE(f.column(u"SELECT skID FROM MEMO_IDX WHERE DocNo = 5"_s), QStringList{u"1"_s});
    QCOMPARE(f.column(u"SELECT skID FROM PHOTO_DRA"_s), QStringList{u"1"_s});
    QVERIFY(!f.pictures());
}

void PicturesWindowTest::captionThatCannotBeStored_staysOnItsPicture_data()
{
    QTest::addColumn<QStringList>("change");
    QTest::addColumn<QString>("leaveBy");
    const QStringList refusing{
        u"CREATE TRIGGER t BEFORE UPDATE OF a01 ON PHOTO_DRA BEGIN SELECT RAISE(ABORT, 'no'); END"_s};
    QTest::newRow("the store refuses, 次へ") << refusing << u"next"_s;
    QTest::newRow("the store refuses, 閉じる") << refusing << u"quit"_s;
    QTest::newRow("the store refuses, next scrap") << refusing << u"nextMEMO"_s;
    // Its scrap deleted meanwhile (its class deleted), its row number taken by another scrap's picture.
    QTest::newRow("the picture gone, its row taken")
        << QStringList{u"DELETE FROM PHOTO_DRA"_s,
                       u"INSERT INTO PHOTO_DRA (rowid, skID, a01) VALUES (1, 99, 'よその説明')"_s}
        << u"next"_s;
}

void PicturesWindowTest::captionThatCannotBeStored_staysOnItsPicture()
{
    QFETCH(QStringList, change);
    QFETCH(QString, leaveBy);
    PicturesFixture f(2);
    f.start();
    f.showRecord(2);
    f.press(u"drawMEMO2"_s);
    // After the opening, which takes a file with triggers of another tool as read-only.
    for (const QString& statement : change)
        alterCollection(f.dbPath(), statement);
    f.caption()->setPlainText(u"書き換え"_s);
    f.leaveBy(leaveBy);
    QVERIFY(f.dialogs.lastText().startsWith(u"画像の説明を保存できませんでした。"_s));
    QVERIFY(f.pictures());
    QCOMPARE(f.caption()->toPlainText(), u"書き換え"_s);
    QCOMPARE(f.window->resultPosition(), 2);
    QCOMPARE(f.column(u"SELECT count(*) FROM PHOTO_DRA WHERE a01 = '書き換え'"_s), QStringList{u"0"_s});
}

void PicturesWindowTest::savedEdition_writesNothing()
{
    PicturesFixture f(2);
    alterCollection(f.dbPath(), u"UPDATE DBID SET dbid = -2"_s);
    f.start();
    f.showRecord(2);
    f.press(u"drawMEMO2"_s);
    QVERIFY(!f.pictureButton(u"del"_s) && !f.pictureButton(u"RecMode"_s));
    QVERIFY(f.caption()->isReadOnly());
    f.caption()->setPlainText(u"書き換え"_s);
    f.pressPicture(u"next"_s);
    f.pressPicture(u"quit"_s);
    QCOMPARE(f.column(u"SELECT a01 FROM PHOTO_DRA ORDER BY rowid"_s), (QStringList{u"説明1"_s, u"説明2"_s}));
}
