#include "helppagestest.h"

#include "common/helptopics.h"
#include "common/helpwindow.h"

#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QString resourceText(const QUrl& url)
{
    QFile file(u':' + url.path());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList attributeValues(const QString& html, const QString& attribute)
{
    QStringList values;
    const QRegularExpression pattern(u"\\b"_s + attribute + u"=\"([^\"]*)\""_s);
    for (const QRegularExpressionMatch& match : pattern.globalMatch(html))
        values << match.captured(1);
    return values;
}

// Clicks the first link of the shown page that points at href, where a reader would.
bool clickLink(QTextBrowser* browser, const QString& href)
{
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(cursor).center());
            return true;
        }
    }
    return false;
}

template <typename T> T* child(const HelpWindow& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        qWarning() << "no" << name;
    return found;
}

} // namespace

void HelpPagesTest::page_linksPicturesAndAnchorsResolve_data()
{
    QTest::addColumn<QUrl>("page");
    for (QDirIterator it(u":/help"_s, {u"*.html"_s}); it.hasNext();) {
        const QString path = it.next();
        QTest::newRow(qPrintable(path)) << QUrl(u"qrc"_s + path);
    }
}

void HelpPagesTest::page_linksPicturesAndAnchorsResolve()
{
    QFETCH(QUrl, page);
    QVERIFY2(HelpWindow::pages().contains(page), "every page is in the table of contents");
    const QString html = resourceText(page);
    const QStringList ids = attributeValues(html, u"id"_s);
    QCOMPARE(QSet<QString>(ids.cbegin(), ids.cend()).size(), ids.size());
    for (const QString& href : attributeValues(html, u"href"_s) + attributeValues(html, u"src"_s)) {
        const QUrl target = page.resolved(QUrl(href));
        if (target.scheme() != u"qrc"_s)
            continue;
        const QString text = resourceText(target);
        QVERIFY2(!text.isEmpty(), qPrintable(href));
        if (target.hasFragment())
            QVERIFY2(attributeValues(text, u"id"_s).contains(target.fragment()), qPrintable(href));
    }
}

void HelpPagesTest::topic_hasItsPageAndAnchor_data()
{
    QTest::addColumn<int>("topic");
    for (int topic : HelpTopic::all())
        QTest::addRow("topic %d", topic) << topic;
}

void HelpPagesTest::topic_hasItsPageAndAnchor()
{
    QFETCH(int, topic);
    const QUrl url = HelpTopic::url(topic);
    QCOMPARE(url.fragment(), u"topic"_s + QString::number(topic));
    QVERIFY(attributeValues(resourceText(url), u"id"_s).contains(url.fragment()));
}

void HelpPagesTest::window_followsALinkBackAndForward_data()
{
    QTest::addColumn<bool>("byKeys");
    QTest::newRow("buttons") << false;
    QTest::newRow("Alt+Left and Alt+Right") << true;
}

void HelpPagesTest::window_followsALinkBackAndForward()
{
    QFETCH(bool, byKeys);
    HelpWindow window;
    window.showTopic(HelpTopic::kMainWindow);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* browser = child<QTextBrowser>(window, u"helpBrowser"_s);
    auto* back = child<QToolButton>(window, u"helpBack"_s);
    auto* forward = child<QToolButton>(window, u"helpForward"_s);
    const QUrl start(u"qrc:/help/index.html#topic1"_s);
    const QUrl linked(u"qrc:/help/search.html#bodysearch"_s);
    QCOMPARE(window.currentUrl(), start);
    QVERIFY(!back->isEnabled());

    QVERIFY(clickLink(browser, u"search.html#bodysearch"_s));
    QCOMPARE(window.currentUrl(), linked);
    QVERIFY(browser->toPlainText().contains(u"本文を検索"_s));

    const auto go = [&](QToolButton* button, Qt::Key key) {
        if (byKeys)
            QTest::keyClick(browser, key, Qt::AltModifier);
        else
            QTest::mouseClick(button, Qt::LeftButton);
    };
    go(back, Qt::Key_Left);
    QCOMPARE(window.currentUrl(), start);
    QVERIFY(forward->isEnabled());
    go(forward, Qt::Key_Right);
    QCOMPARE(window.currentUrl(), linked);
    QVERIFY(!forward->isEnabled());
}

void HelpPagesTest::window_searchListsTheSectionsHoldingEveryWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QUrl>("expected"); // a section among the results, opened by clicking it; empty: none found

    QTest::newRow("the body search field") << u"本文を検索"_s << QUrl(u"qrc:/help/search.html#bodysearch"_s);
    QTest::newRow("two words, both on the section")
        << u"バックアップ 7 日分"_s << QUrl(u"qrc:/help/collections.html#topic41"_s);
    QTest::newRow("full-width space and small letters")
        << u"ctrl+shift+f　ヘルプ"_s << QUrl(u"qrc:/help/index.html#keys"_s);
    QTest::newRow("a word no page holds") << u"選挙 ペンギン"_s << QUrl();
}

void HelpPagesTest::window_searchListsTheSectionsHoldingEveryWord()
{
    QFETCH(QString, typed);
    QFETCH(QUrl, expected);
    HelpWindow window;
    window.showTopic(HelpTopic::kSupport);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* side = child<QTabWidget>(window, u"helpSide"_s);
    auto* field = child<QLineEdit>(window, u"helpSearchField"_s);
    auto* results = child<QListWidget>(window, u"helpSearchResults"_s);
    QTest::mouseClick(side->tabBar(), Qt::LeftButton, {}, side->tabBar()->tabRect(1).center());
    QVERIFY(field->isVisible());

    // Japanese reaches the field as an input method's committed text.
    QInputMethodEvent commit;
    commit.setCommitString(typed);
    QCoreApplication::sendEvent(field, &commit);
    QTest::keyClick(field, Qt::Key_Return);

    QListWidgetItem* hit = nullptr;
    for (int row = 0; row < results->count(); ++row) {
        if (results->item(row)->data(Qt::UserRole).toUrl() == expected)
            hit = results->item(row);
    }
    const QString note = child<QLabel>(window, u"helpSearchNote"_s)->text();
    if (expected.isEmpty()) {
        QCOMPARE(results->count(), 0);
        QVERIFY(note.contains(u"ありません"_s));
        return;
    }
    QVERIFY2(hit, qPrintable(note));
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, results->visualItemRect(hit).center());
    QCOMPARE(window.currentUrl(), expected);
}

void HelpPagesTest::window_contentsOpenEverySectionOfEveryPage()
{
    HelpWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* contents = child<QTreeWidget>(window, u"helpContents"_s);
    QCOMPARE(contents->topLevelItemCount(), HelpWindow::pages().size());
    int sections = 0;
    for (QTreeWidgetItemIterator it(contents); *it; ++it, ++sections) {
        contents->scrollToItem(*it);
        QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, contents->visualItemRect(*it).center());
        QCOMPARE(window.currentUrl(), (*it)->data(0, Qt::UserRole).toUrl());
        QVERIFY2(window.findChild<QTextBrowser*>()->toPlainText().contains((*it)->text(0)), qPrintable((*it)->text(0)));
        QCOMPARE(contents->currentItem(), *it);
    }
    QVERIFY(sections > contents->topLevelItemCount());
}
