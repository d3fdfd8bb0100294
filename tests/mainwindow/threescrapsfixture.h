#pragma once

#include "classtree/treerows.h"
#include "database/connection.h"
#include "database/query.h"
#include "mainwindowfixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// Three scraps under 政治 (tree row 2) and none under 経済 (row 3), numbered from `first`.
struct ThreeScrapsFixture : Fixture {
    explicit ThreeScrapsFixture(qint64 first = 1)
    {
        auto c = Connection::openExisting(dbPath());
        addClass(*c, 1, u"政治"_s, 2);
        addClass(*c, 1, u"経済"_s, 3);
        for (int i = 1; i <= 3; ++i) {
            TestScrap s;
            s.title = u"記事%1"_s.arg(i);
            s.major = u"政治"_s;
            s.levNo = 2;
            s.docNo = first + i - 1;
            s.pfID = first + i - 1;
            addScrap(*c, s);
            addBody(*c, s.pfID, u"本文%1"_s.arg(i));
        }
        c->execute(u"UPDATE IDno SET DocNo = %1, pfID = %1"_s.arg(first + 2));
    }
    QString dbPath() const { return folder.path(u"Zettora.mdb"_s); }
    void clickClass(int row) const
    {
        auto* tree = child<QTreeWidget>(u"fg0");
        Q_EMIT tree->itemClicked(TreeRows::itemAt(tree, row), 0);
    }
    void pressListRow(int row) const
    {
        auto* list = child<QTableView>(u"fr");
        Q_EMIT list->pressed(list->model()->index(row - 1, 0));
    }
    void press(const QString& key) const
    {
        auto* button = window->findChild<QAction*>(key);
        QVERIFY2(button && button->isEnabled(), qPrintable(key));
        button->trigger();
    }
    // Lists 政治 on the search tab and opens row `row` in record view.
    void showRecord(int row)
    {
        tabs()->setCurrentIndex(MainWindow::TabSearch);
        clickClass(2);
        pressListRow(row);
        QCOMPARE(window->mode(), MainWindow::Mode::RecordView);
    }
    // Writes text in the entry pane and clicks 経済: the registration sheet it opens, or null.
    QWidget* openSheet(const QString& text)
    {
        tabs()->setCurrentIndex(MainWindow::TabEntry);
        child<QPlainTextEdit>(u"mData")->setPlainText(text);
        clickClass(3);
        return visibleWindow(u"Form3"_s);
    }
    // Writes text in the entry pane, clicks 経済 and presses 登録 on the sheet.
    void registerInEntryPane(const QString& text)
    {
        QWidget* sheet = openSheet(text);
        QVERIFY(sheet);
        sheet->findChild<QPushButton*>(u"Command1_0"_s)->click();
        QCOMPARE(dialogs.lastText(), u"スクラップを登録しました。 画像添付、下線引きが可能です。"_s);
    }
    // A window closed earlier may wait for its deletion beside the one that is open.
    QWidget* visibleWindow(const QString& name) const
    {
        for (QWidget* found : window->findChildren<QWidget*>(name)) {
            if (found->isVisible())
                return found;
        }
        return nullptr;
    }
    QStringList column(const QString& sql) const
    {
        auto c = Connection::openExisting(dbPath());
        Query q(*c, sql);
        QStringList values;
        while (q.next())
            values << q.text(0);
        return values;
    }
};
