#include "fulltextmatchtest.h"

#include "mainwindow/bodymarks.h"
#include "search/fulltextmarker.h"
#include "search/fulltextmatch.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using FullText::Hit;
using Hits = QList<Hit>;
Q_DECLARE_METATYPE(Hits)

namespace FullText {
char* toString(const Hit& hit)
{
    return QTest::toString(QStringLiteral("(%1, %2)").arg(hit.start).arg(hit.length));
}
} // namespace FullText

namespace {

const QColor kSeek(0x80, 0xFF, 0xFF);
const QColor kStress(0xFF, 0x00, 0xFF);
const FullTextMarker::Style kStyle{kSeek, QStringLiteral("Noto Sans CJK JP")};

// Each character's format, so that two looks of a document compare character by character.
QList<QTextCharFormat> formatsOf(const QTextDocument& document)
{
    QList<QTextCharFormat> formats;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            for (int i = 0; i < it.fragment().length(); ++i)
                formats << it.fragment().charFormat();
        }
    }
    return formats;
}

QTextCharFormat formatAt(QTextDocument& document, int position)
{
    QTextCursor cursor(&document);
    cursor.setPosition(position + 1); // the format of the character before the cursor
    return cursor.charFormat();
}

bool looksMarked(const QTextCharFormat& format)
{
    return format.fontWeight() == QFont::Bold && format.foreground().color() == QColor(Qt::black) &&
           format.background().color() == kSeek && format.fontFamilies().toStringList() == QStringList{kStyle.fontName};
}

// An underline mark as record view lays it on and takes it off.
void toggleUnderline(QTextDocument& document, int start, int length)
{
    QTextCursor cursor(&document);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    BodyMarks::toggle(cursor, kStress);
}

} // namespace

void FullTextMatchTest::findAll_findsEveryHitWithoutOverlap_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("word");
    QTest::addColumn<Hits>("hits");

    QTest::newRow("ab in abab: both") << u"abab"_qs << u"ab"_qs << Hits{{0, 2}, {2, 2}};
    QTest::newRow("aa in aaa: the first two only") << u"aaa"_qs << u"aa"_qs << Hits{{0, 2}};
    QTest::newRow("upper-case word, lower-case body") << u"xabcx"_qs << u"ABC"_qs << Hits{{1, 3}};
    QTest::newRow("full-width word, half-width body") << u"xab"_qs << u"ＡＢ"_qs << Hits{{1, 2}};
    QTest::newRow("half-width word, full-width body") << u"ｘＡｂ"_qs << u"ab"_qs << Hits{{1, 2}};
    QTest::newRow("full-width digits and signs") << u"価格は1,000円"_qs << u"１，０００"_qs << Hits{{3, 5}};
    QTest::newRow("Greek, beyond ASCII folding") << u"ΣΟΦΙΑ σοφια"_qs << u"σοφια"_qs << Hits{{0, 5}, {6, 5}};
    QTest::newRow("Japanese") << u"全文検索の本文、全文。"_qs << u"全文"_qs << Hits{{0, 2}, {8, 2}};
    QTest::newRow("kana of the other script is another word") << u"カタカナ"_qs << u"かた"_qs << Hits{};
    QTest::newRow("positions after a pair count two units") << u"😀ab😀AB"_qs << u"ab"_qs << Hits{{2, 2}, {6, 2}};
    QTest::newRow("across a line break") << u"a\nb ab"_qs << u"ab"_qs << Hits{{4, 2}};
    QTest::newRow("half-width katakana, full-width word") << u"xｶﾀｶﾅ"_qs << u"カタ"_qs << Hits{{1, 2}};
    QTest::newRow("a hit inside what one character folds into takes it whole")
        << u"5㌔先"_qs << u"キ"_qs << Hits{{1, 1}};
    QTest::newRow("half-width voiced katakana, full-width word") << u"xｶﾞｽ"_qs << u"ガス"_qs << Hits{{1, 3}};
    QTest::newRow("full-width body, half-width semi-voiced word") << u"xパン"_qs << u"ﾊﾟﾝ"_qs << Hits{{1, 2}};
    QTest::newRow("a kana and its mark apart, word in one") << u"か\u3099いこく"_qs << u"がい"_qs << Hits{{0, 3}};
    QTest::newRow("a mark no kana takes stays a character") << u"ｱﾞア"_qs << u"ア"_qs << Hits{{0, 1}, {2, 1}};
    QTest::newRow("a variation selector goes with its character")
        << u"葛\U000E0100飾 ❤\uFE0F"_qs << u"葛飾"_qs << Hits{{0, 4}};
    QTest::newRow("not there") << u"abc"_qs << u"abd"_qs << Hits{};
    QTest::newRow("empty word") << u"abc"_qs << QString() << Hits{};
}

void FullTextMatchTest::findAll_findsEveryHitWithoutOverlap()
{
    QFETCH(QString, body);
    QFETCH(QString, word);
    QFETCH(Hits, hits);

    QCOMPARE(FullText::findAll(body, word), hits);
}

void FullTextMatchTest::FindInBody_givesTheFirstHitFromTheStart_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("position");

    QTest::newRow("from 1") << u"abab"_qs << u"ab"_qs << 1 << 1;
    QTest::newRow("from inside the first hit") << u"abab"_qs << u"AB"_qs << 2 << 3;
    QTest::newRow("past the last hit") << u"abab"_qs << u"ab"_qs << 4 << -1;
    QTest::newRow("full-width body") << u"ＡＢab"_qs << u"ab"_qs << 2 << 3;
    QTest::newRow("after a pair") << u"😀ab"_qs << u"b"_qs << 1 << 4;
    QTest::newRow("start 0 is outside") << u"abab"_qs << u"ab"_qs << 0 << -1;
    QTest::newRow("not there") << u"abab"_qs << u"ba b"_qs << 1 << -1;
    QTest::newRow("empty word") << u"abab"_qs << QString() << 1 << -1;
}

void FullTextMatchTest::FindInBody_givesTheFirstHitFromTheStart()
{
    QFETCH(QString, body);
    QFETCH(QString, word);
    QFETCH(int, start);
    QFETCH(int, position);

    QCOMPARE(FullText::FindInBody(body, word, start), position);
}

void FullTextMatchTest::marking_givesHitsTheMarkerAndLeavesTheRest()
{
    QTextDocument document(u"ab-ab\nxcd"_qs);
    // Two words' hits, gathered word by word as record view does: those of the word typed first come later.
    const QString text = document.toPlainText();
    FullTextMarker::markHits(&document, FullText::findAll(text, u"CD"_qs) + FullText::findAll(text, u"AB"_qs), kStyle);

    const QString marked = u"xx-xx\n-xx"_qs;
    for (int i = 0; i < marked.size(); ++i) {
        if (marked.at(i) == u'\n')
            continue;
        QVERIFY2(looksMarked(formatAt(document, i)) == (marked.at(i) == u'x'), qPrintable(QString::number(i)));
    }
    QCOMPARE(FullTextMarker::markedLength(&document), 6);
    QCOMPARE(document.toPlainText(), text);
}

void FullTextMatchTest::marking_keepsUnderlineMarks_andClearingRestoresThePreviousLook_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("searches");

    // The body "0123456789abcdef" carries an underline mark on 4..9.
    QTest::newRow("hit inside a mark") << u"56"_qs << 1;
    QTest::newRow("hit across the mark's start") << u"345"_qs << 1;
    QTest::newRow("hit across the mark's end") << u"89ab"_qs << 1;
    QTest::newRow("hit covering the mark") << u"23456789ab"_qs << 1;
    QTest::newRow("hit beside the mark") << u"cd"_qs << 1;
    QTest::newRow("searched twice") << u"345"_qs << 2;
}

void FullTextMatchTest::marking_keepsUnderlineMarks_andClearingRestoresThePreviousLook()
{
    QFETCH(QString, word);
    QFETCH(int, searches);

    QTextDocument document(u"0123456789abcdef"_qs);
    BodyMarks::replay(&document, {{false, 4, 6}}, kStress);
    const QList<QTextCharFormat> before = formatsOf(document);

    const Hits hits = FullText::findAll(document.toPlainText(), word);
    QCOMPARE(hits.size(), 1);
    for (int i = 0; i < searches; ++i)
        FullTextMarker::markHits(&document, hits, kStyle);
    for (int i = 0; i < document.characterCount() - 1; ++i) {
        const bool hit = i >= hits[0].start && i < hits[0].start + hits[0].length;
        // The marker alone shows on a hit, an underline mark included.
        QCOMPARE(formatAt(document, i).fontUnderline(), i >= 4 && i < 10 && !hit);
        QCOMPARE(looksMarked(formatAt(document, i)), hit);
    }

    FullTextMarker::clearMarks(&document);
    QCOMPARE(formatsOf(document), before);
    QCOMPARE(FullTextMarker::markedLength(&document), 0);
}

void FullTextMatchTest::marking_isNeitherAnUndoStepNorAModification()
{
    QTextDocument document(u"abab"_qs);
    document.setModified(false);
    FullTextMarker::markHits(&document, FullText::findAll(document.toPlainText(), u"ab"_qs), kStyle);
    QVERIFY(!document.isModified());
    QVERIFY(!document.isUndoAvailable());
    FullTextMarker::clearMarks(&document);
    QVERIFY(!document.isModified());
    QVERIFY(!document.isUndoAvailable());
}

void FullTextMatchTest::underlineToggledOnAMarkedHit_keepsItsColourWhenTheMarkerGoes()
{
    QTextDocument document(u"abab"_qs);
    FullTextMarker::markHits(&document, {{0, 2}}, kStyle);
    toggleUnderline(document, 0, 2);
    FullTextMarker::clearMarks(&document);
    QVERIFY(formatAt(document, 1).fontUnderline());
    QCOMPARE(formatAt(document, 1).foreground().color(), kStress);
    QVERIFY(formatAt(document, 1).fontWeight() != QFont::Bold);
    QVERIFY(!formatAt(document, 1).hasProperty(QTextFormat::BackgroundBrush));
}

void FullTextMatchTest::MarkRange_isCutToTheEndOfTheText()
{
    QTextDocument document(u"abc"_qs);
    FullTextMarker::MarkRange(&document, 1, 10, kStyle);
    QCOMPARE(FullTextMarker::markedLength(&document), 2);
    FullTextMarker::MarkRange(&document, 5, 2, kStyle);
    FullTextMarker::MarkRange(&document, 0, 0, kStyle);
    QCOMPARE(FullTextMarker::markedLength(&document), 2);
    QVERIFY(!looksMarked(formatAt(document, 0)));
}
