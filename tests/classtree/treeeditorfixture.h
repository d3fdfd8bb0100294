#pragma once

#include "classtree/treeeditor.h"
#include "classtree/treerows.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/query.h"
#include "fakeuserdialogs.h"
#include "testcollection.h"
#include "web/webpagesource.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>

struct FakeWebPage final : WebPageSource {
    QString url = QStringLiteral("https://example.jp/news?id=1");
    QString title = QStringLiteral("例のニュース");
    QString currentUrl() const override { return url; }
    QString currentTitle() const override { return title; }
};

// A tree editor on a collection of its own, with scripted dialogs and a web page to add.
struct EditorFixture {
    TestFolder folder;
    FakeUserDialogs dialogs;
    FakeWebPage web;
    Session session;
    std::unique_ptr<TreeEditor> window;
    std::unique_ptr<QSignalSpy> closed;

    EditorFixture()
    {
        const QString path = folder.newCollection();
        session.adoptDatabase(Connection::openExisting(path), path, QStringLiteral("Zettora"), DatabaseKind::Scrap);
    }
    Connection& db() const { return *session.connection(); }

    TreeEditor& open(TreeKind kind = TreeKind::Classes, bool withWebPage = true)
    {
        window = std::make_unique<TreeEditor>(session, dialogs, withWebPage ? &web : nullptr, kind);
        closed = std::make_unique<QSignalSpy>(window.get(), &TreeEditor::closed);
        window->show();
        return *window;
    }
    QTreeWidget* tree() const { return window->findChild<QTreeWidget*>(QStringLiteral("fg")); }
    QTreeWidgetItem* node(int row) const { return TreeRows::itemAt(tree(), row); }
    void select(int row) const { Q_EMIT tree()->itemClicked(node(row), 0); }
    void press(const QString& key) const
    {
        QAction* button = window->toolbarButton(key);
        QVERIFY2(button, qPrintable(key));
        button->trigger();
    }
    void press(const char16_t* key) const { press(QString::fromUtf16(key)); }
    // A key pressed in the tree, as a user at the keyboard presses the toolbar's buttons.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        tree()->setFocus();
        QTest::keyClick(tree(), key, modifiers);
    }
    // Renames the node at row in place, as a user does: "Alt", type, then Enter (or Tab, Shift+Tab: Qt::Key_Backtab).
    void rename(int row, const QString& text, Qt::Key ending = Qt::Key_Return) const
    {
        select(row);
        press(u"Alt");
        auto* editor = tree()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(text);
        QTest::keyClick(editor, ending, ending == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        // The view stores the text from the event loop, and the window carries it out from there after it.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // "key|caption|tooltip" of each button, the tooltip only where it is not the caption, joined by ",".
    QString toolbar() const
    {
        QStringList all;
        for (const QAction* action : window->findChild<QToolBar*>(QStringLiteral("Toolbar1"))->actions())
            all << action->objectName() + u'|' + action->text() +
                       (action->toolTip() != action->text() ? u'|' + action->toolTip() : QString());
        return all.join(u',');
    }
    QStringList gridTexts() const
    {
        QStringList texts;
        for (int row = 1; row <= TreeRows::count(tree()); ++row)
            texts << QString(TreeRows::levelOf(node(row)) - 1, u'-') + node(row)->text(0);
        return texts;
    }
    QStringList rows(const QString& sql) const
    {
        Query query(db(), sql);
        QStringList all;
        while (query.next()) {
            QStringList fields;
            for (int c = 0; c < query.columnCount(); ++c)
                fields << query.text(c);
            all << fields.join(u'|');
        }
        return all;
    }
    QStringList storedTree() const
    {
        return rows(QStringLiteral("SELECT ndP, nName, ndMEMO FROM extraNodeMEMO ORDER BY rowid"));
    }
    QStringList scraps() const
    {
        return rows(QStringLiteral("SELECT DocNo, a04, a05, a06, LevNo FROM MEMO_IDX ORDER BY DocNo"));
    }
    QString levNos() const { return rows(QStringLiteral("SELECT LevNo FROM MEMO_IDX ORDER BY DocNo")).join(u','); }
    void addPicture(int skID) const
    {
        Query insert(db(), QStringLiteral("INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, ?, ?)"));
        insert.bindAll({skID, QStringLiteral("写真"), QByteArray("jpeg")});
        insert.run();
    }
    void scrap(int docNo, const QString& major, const QString& middle, const QString& minor, int levNo,
               int skID = 0) const
    {
        TestScrap s = numberedScrap(docNo, levNo, {major, middle, minor});
        s.skID = skID;
        addScrap(db(), s);
        addBody(db(), docNo, QStringLiteral("本文%1").arg(docNo));
        addMark(db(), docNo, false, 0, 2);
        if (skID)
            addPicture(skID);
    }
};

// 政治(2) > 国内(3) > 選挙(4); 政治 > 国際(5) > 選挙(6); 経済(7) > 金融(8); a scrap in each class and one at
// the root; the scraps of 国内/選挙 (3) and 国内 (2) have pictures.
struct ClassesFixture : EditorFixture {
    ClassesFixture()
    {
        const QList<QPair<int, QString>> classes{{1, u"政治"_qs}, {2, u"国内"_qs}, {3, u"選挙"_qs}, {2, u"国際"_qs},
                                                 {5, u"選挙"_qs}, {1, u"経済"_qs}, {7, u"金融"_qs}};
        for (int i = 0; i < classes.size(); ++i)
            addClass(db(), classes[i].first, classes[i].second, i + 2);
        scrap(1, u"政治"_qs, {}, {}, 2);
        scrap(2, u"政治"_qs, u"国内"_qs, {}, 3, 12);
        scrap(3, u"政治"_qs, u"国内"_qs, u"選挙"_qs, 4, 13);
        scrap(4, u"政治"_qs, u"国際"_qs, u"選挙"_qs, 6);
        scrap(5, u"経済"_qs, {}, {}, 7);
        scrap(6, u"経済"_qs, u"金融"_qs, {}, 8);
        scrap(7, {}, {}, {}, 1);
    }
};

inline QStringList items(const QString& commaSeparated)
{
    return commaSeparated.split(u',');
}

// length classes, each under the one before, the first under row top, named name with its row.
inline void addChain(Connection& connection, int top, const QString& name, int length)
{
    Query insert(connection,
                 QStringLiteral("WITH RECURSIVE chain(row) AS (SELECT ? UNION ALL SELECT row + 1 FROM chain "
                                "WHERE row < ?) INSERT INTO extraNodeMEMO (ndP, nName, ndMEMO) "
                                "SELECT row, ? || (row + 1), row + 1 FROM chain"));
    insert.bindAll({top, top + length - 1, name});
    if (length > 0)
        insert.run();
}

inline qint64 count(Connection& connection, const QString& table)
{
    return scalar(connection, QStringLiteral("SELECT count(*) FROM ") + table);
}
