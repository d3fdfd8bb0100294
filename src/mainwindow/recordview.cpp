#include "recordview.h"

#include "bodymarks.h"
#include "classtree/classpicker.h"
#include "common/colourvalue.h"
#include "common/session.h"
#include "common/typedtext.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/transaction.h"
#include "mainwindowlog.h"
#include "pictures/pictureswindow.h"
#include "scrap/fieldcaptions.h"
#include "scrap/importancelevels.h"
#include "scrap/scrapfields.h"
#include "scrap/scrapsheet.h"
#include "search/fulltextmarker.h"
#include "search/fulltextsearchdialog.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

constexpr int kRowLevel = ScrapSheet::LevelRow, kRowDate = ScrapSheet::DateRow;
constexpr int kRowMajor = ScrapSheet::MajorRow, kRowMinor = ScrapSheet::MinorRow;

const QString kDateRefused = QStringLiteral("作成年月日は 2024-01-31 のような年-月-日の日付で入力してください。");
const QString kNotStored = QStringLiteral("この値は登録できませんでした。元の値に戻します。");
const QString kSaveFailed = QStringLiteral("スクラップを保存できませんでした。");
const QString kAskSave = QStringLiteral("スクラップ内容が変更されています。　登録しますか？");
const QString kBodyUnread = QStringLiteral("本文を読み込めませんでした。");
const QString kBodyCut = QStringLiteral("この本文は長すぎるため、先頭の一部だけを長い行を折り返して表示しています。"
                                        "　ここでは編集も下線引きもできません。");
constexpr qsizetype kLongestLineShown = 10'000;
constexpr qsizetype kMostShown = 1'000'000;

QList<ImportanceLevel> readLevels(Connection* connection)
{
    if (!connection)
        return {};
    try {
        return readImportanceLevels(*connection);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the importance levels:" << e.message();
    }
    return {};
}

QString picturesText(qint64 skID)
{
    return skID == 0 ? QStringLiteral("なし") : QStringLiteral("あり");
}

} // namespace

RecordView::RecordView(Session& session, UserDialogs& dialogs, ChildWindows& children, ScrapSheet* sheet,
                       QPlainTextEdit* body, QWidget* calendarParent, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_children(children)
    , m_sheet(sheet)
    , m_body(body)
    , m_calendarParent(calendarParent)
{
    // Format changes (marks, search words) replace text by itself and move nothing; only characters that differ are
    // an edit.
    connect(m_body->document(), &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        QString now = typedText(m_body);
        const BodyMarks::BodyEdit edit =
            BodyMarks::narrowedEdit(m_editedBody, now, position, removed, added, m_body->textCursor().position());
        if (edit.removed != edit.added)
            m_bodyEdits.append(edit);
        m_editedBody = std::move(now);
    });
    connect(m_sheet, &QTableWidget::cellPressed, this, &RecordView::onSheetCellPressed);
    connect(m_sheet, &ScrapSheet::valueEdited, this, [this](int row) { onSheetValueEdited(row); });
    connect(&m_session, &Session::resultsReplaced, this, &RecordView::onResultsReplaced);
    m_sheet->installEventFilter(this);
}

ResultSet* RecordView::setOnShownScrap() const
{
    ResultSet* set = m_session.resultSet();
    if (!set || !m_shown || m_session.resultsGeneration() != m_generation)
        return nullptr;
    const int position = set->positionOfRowid(m_shown->rowid);
    if (position == 0)
        return nullptr;
    if (set->absolutePosition() != position)
        set->setAbsolutePosition(position);
    return set;
}

bool RecordView::takeShownScrap()
{
    const ResultSet* set = m_session.resultSet();
    if (!set || set->bof() || set->eof())
        return false;
    try {
        m_shown =
            ScrapIdentity{set->rowid(), qint64(set->integer(QStringLiteral("DocNo"))),
                          qint64(set->integer(QStringLiteral("pfID"))), qint64(set->integer(QStringLiteral("skID")))};
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot show the current scrap:" << e.message();
        return false;
    }
    m_generation = m_session.resultsGeneration();
    return true;
}

bool RecordView::show(int position)
{
    ResultSet* set = m_session.resultSet();
    if (!set || position < 1 || position > set->recordCount())
        return false;
    set->setAbsolutePosition(position);
    if (!takeShownScrap())
        return false;
    m_position = position;
    m_count = set->recordCount();
    const bool readOnly = m_session.isReadOnly();
    m_body->setReadOnly(readOnly);
    reloadLevels();
    m_sheet->setReadOnly(readOnly);
    m_sheet->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                      : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                            QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_sheet->setValueFontSize(m_session.displayFont.size);
    fill();
    return true;
}

void RecordView::reloadLevels()
{
    QStringList levelNames;
    for (const ImportanceLevel& level : readLevels(m_session.connection()))
        levelNames << level.name;
    m_sheet->setLevelNames(levelNames);
}

void RecordView::fill()
{
    fillSheet();
    loadBody();
    replayMarks();
    markSearchWords();
    Q_EMIT shown(m_position, m_count);
}

void RecordView::setSheetValue(int row, const QString& text)
{
    m_sheet->setValue(row, text);
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void RecordView::fillSheet()
{
    QApplication::clipboard()->clear();
    const ResultSet* set = m_session.resultSet();
    if (!set || set->bof() || set->eof())
        return;
    m_sheetValues = QStringList(m_sheet->rowCount(), QString());
    std::optional<QColor> levelColour;
    try {
        for (int i = 0; i <= Field::backC; ++i)
            setSheetValue(i + 1, set->value(i).toString());
        setSheetValue(ScrapSheet::PicturesRow, picturesText(set->value(Field::skID).toLongLong()));
        if (const auto colour = ColourValue::parse(set->text(QStringLiteral("backC"))))
            levelColour = ColourValue::toColour(*colour);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot show the current scrap:" << e.message();
    }
    m_sheet->showLevelColour(levelColour);
    m_sheet->fitRowHeights(m_session.displayFont.size);
}

void RecordView::loadBody()
{
    m_body->clear();
    // A new body starts plain: the box would otherwise carry the last scrap's mark into all of the new text.
    m_body->setCurrentCharFormat(QTextCharFormat());
    m_loadedBody.clear();
    m_storedBody.clear();
    m_bodyCut = false;
    m_bodyUnread = false;
    if (!m_session.connection() || !m_shown)
        return;
    try {
        if (const auto body = LoadScrapBody(*m_session.connection(), m_shown->pfID)) {
            const QString shown = shownPartOf(*body);
            m_bodyCut = shown.size() != body->size();
            m_body->setReadOnly(m_session.isReadOnly() || m_bodyCut);
            m_body->setPlainText(shown);
            m_loadedBody = typedText(m_body);
            m_storedBody = m_loadedBody;
        }
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot load the body:" << e.message();
        m_bodyUnread = true;
        m_body->setReadOnly(true);
        m_dialogs.critical(e.failure(kBodyUnread).message());
    }
    m_bodyEdits.clear();
    if (m_bodyCut) {
        qCInfo(lcMainWindow) << "the body of scrap" << m_shown->docNo << "is shown in part";
        m_dialogs.exclamation(kBodyCut);
    }
}

// The box lays out a whole line at once, about 2 µs a character: a body past these sizes is shown in part, with its
// long lines broken for the eye only, and cannot be edited or marked there.
QString RecordView::shownPartOf(const QString& body)
{
    if (body.size() <= kLongestLineShown)
        return body;
    QString shown;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < body.size() && shown.size() < kMostShown; ++i) {
        const QChar c = body.at(i);
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            lineStart = i + 1;
        else if (i - lineStart >= kLongestLineShown && !c.isLowSurrogate()) { // never between a pair's halves
            shown += u'\n';
            lineStart = i;
        }
        shown += c;
    }
    return shown == body ? body : shown;
}

void RecordView::replayMarks()
{
    // Marks count in the stored text; a body shown in part has its positions moved by the breaks.
    if (!m_session.connection() || !m_shown || m_bodyCut || m_bodyUnread)
        return;
    try {
        const QList<MarkRow> marks = LoadMarks(*m_session.connection(), m_shown->pfID);
        BodyMarks::replay(m_body->document(), marks, ColourValue::toColour(m_session.markers.stress));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot replay the marks:" << e.message();
    }
}

void RecordView::markSearchWords()
{
    if (m_searchWords.isEmpty())
        return;
    const QString body = typedText(m_body);
    QList<FullText::Hit> hits;
    for (const QString& word : m_searchWords)
        hits << FullText::findAll(body, word);
    if (!hits.isEmpty())
        FullTextMarker::markHits(m_body->document(), hits,
                                 {ColourValue::toColour(m_session.markers.seek), m_session.displayFont.name});
}

std::optional<PictureText::Holding> RecordView::pictureHoldingSearchWords() const
{
    if (!m_session.connection() || !m_shown || m_searchWords.isEmpty())
        return std::nullopt;
    try {
        return PictureText::firstHolding(*m_session.connection(), m_shown->skID, m_searchWords);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the text of the pictures of scrap" << m_shown->docNo << e.message();
        return std::nullopt;
    }
}

Done RecordView::storeBody()
{
    if (!m_session.connection() || !m_shown || m_session.isReadOnly())
        return Failure{kSaveFailed, QStringLiteral("このデータベースは読み取り専用です。")};
    if (m_bodyCut)
        return Failure{kSaveFailed, kBodyCut};
    if (m_bodyUnread)
        return Failure{kSaveFailed, kBodyUnread};
    const QString text = typedText(m_body);
    // Edits that came back to the stored text (a cut, then undone) moved no word: the marks stay as they are.
    if (text == m_storedBody)
        m_bodyEdits.clear();
    try {
        // In a transaction, so the body index is written with the body.
        Transaction transaction(*m_session.connection());
        // Read before the body is saved, which cuts the marks past its end; only an edit moves them.
        const QList<MarkRow> marks =
            m_bodyEdits.isEmpty() ? QList<MarkRow>() : LoadMarks(*m_session.connection(), m_shown->pfID);
        if (!SaveScrapBody(*m_session.connection(), m_shown->pfID, text)) {
            qCWarning(lcMainWindow) << "the scrap" << m_shown->docNo << "has no body row to save into";
            return Failure{kSaveFailed, QStringLiteral("このスクラップの本文がデータベースにありません。")};
        }
        // The marks stay on their words, wherever the edits moved them.
        if (!m_bodyEdits.isEmpty())
            ReplaceMarks(*m_session.connection(), m_shown->pfID,
                         BodyMarks::followEdits(marks, m_bodyEdits, m_storedBody.size()));
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot save the body:" << e.message();
        return e.failure(kSaveFailed);
    }
    m_storedBody = text;
    m_bodyEdits.clear();
    // The text loaded stays the reference: stepping on after a save asks again, as it always did.
    return {};
}

void RecordView::saveBody()
{
    // The edit stays in the box, so nothing the user wrote is lost.
    if (const Done saved = storeBody(); !saved)
        m_dialogs.critical(saved.message());
}

bool RecordView::leave()
{
    m_sheet->commitOpenEditor();
    if (!m_shown || m_session.isReadOnly() || typedText(m_body) == m_loadedBody || !m_dialogs.askYesNo(kAskSave))
        return true;
    const Done saved = storeBody();
    if (!saved)
        m_dialogs.critical(saved.message());
    return saved.ok();
}

void RecordView::end()
{
    m_shown.reset();
    m_loadedBody.clear();
    m_searchWords.clear();
}

void RecordView::step(bool forward)
{
    m_sheet->commitOpenEditor();
    // The shown scrap's pictures window closes with the step: what it holds is offered first, and the user may stay.
    if (auto* pictures = m_children.find<PicturesWindow>(ChildWindows::Kind::Pictures);
        pictures && m_shown && pictures->isBoundToScrap(m_shown->rowid) && !pictures->mayLeave())
        return;
    if (typedText(m_body) != m_loadedBody && !m_session.isReadOnly() && m_dialogs.askYesNo(kAskSave)) {
        if (const Done saved = storeBody(); !saved) {
            m_dialogs.critical(saved.message());
            return;
        }
    }
    ResultSet* set = setOnShownScrap();
    if (!set || set->recordCount() == 0)
        return;
    // A window waiting with a picture for the next registration is no part of the shown scrap: it stays.
    if (auto* pictures = m_children.find<PicturesWindow>(ChildWindows::Kind::Pictures);
        pictures && m_shown && pictures->isBoundToScrap(m_shown->rowid))
        m_children.close(ChildWindows::Kind::Pictures);
    if (forward) {
        set->moveNext();
        ++m_position;
        if (set->eof()) {
            set->moveFirst();
            m_position = 1;
        }
    } else {
        set->movePrevious();
        --m_position;
        if (set->bof()) {
            set->moveLast();
            m_position = m_count;
        }
    }
    if (!takeShownScrap())
        return;
    fill();
    // While the full-text dialog is open, every scrap stepped to shows its hits at once.
    if (auto* fullText = m_children.find<FullTextSearchDialog>(ChildWindows::Kind::FullText))
        fullText->MarkAllHits();
}

void RecordView::deleteShown()
{
    if (!setOnShownScrap() || !m_session.connection() || m_session.isReadOnly())
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("表示中のスクラップと添付画像をデータベースから削除します。　"
                                           "削除後は復活できません。　実行しますか？"),
                            UserDialogs::Icon::Question, UserDialogs::Default::No))
        return;
    m_children.closeAllButWaitingPicture();
    // Whatever ran meanwhile, only the scrap on screen is deleted.
    ResultSet* set = setOnShownScrap();
    if (!set)
        return;
    try {
        DeleteCurrentScrap(*m_session.connection(), *set);
    } catch (const DbError& e) {
        // Nothing was deleted; saying nothing would look like success.
        qCWarning(lcMainWindow) << "cannot delete the scrap:" << e.message();
        m_dialogs.critical(e.failure(QStringLiteral("スクラップを削除できませんでした。")).message());
        return;
    }
    m_shown.reset();
    m_session.announceResultsChanged();
    m_dialogs.information(
        QStringLiteral("１件のスクラップを削除しました。　ＯＫボタンで検索結果の最初から表示開始します。"));
    const int before = m_count;
    m_count = set->recordCount();
    if (before <= 1 || m_count == 0) {
        m_dialogs.exclamation(QStringLiteral("検索結果はゼロです。　ＯＫボタンで検索モードに戻ります。"));
        end();
        Q_EMIT ended();
        return;
    }
    if (!show(1))
        Q_EMIT ended();
}

void RecordView::toggleMark()
{
    const QTextCursor selection = m_body->textCursor();
    if (!m_shown || !m_session.connection() || m_session.isReadOnly() || m_bodyCut || m_bodyUnread ||
        !selection.hasSelection())
        return;
    // A mark's offsets count in the stored body: an edit is stored first, or nothing is marked.
    if (typedText(m_body) != m_storedBody) {
        if (!m_dialogs.askYesNo(kAskSave))
            return;
        if (const Done saved = storeBody(); !saved) {
            m_dialogs.critical(saved.message());
            return;
        }
    }
    if (const Done logged = BodyMarks::toggleAndLog(m_session, m_shown->pfID, selection); !logged)
        m_dialogs.critical(logged.message());
}

void RecordView::notePictureSet(qint64 rowid, qint64 skID)
{
    if (!m_shown || m_shown->rowid != rowid)
        return;
    m_shown->skID = skID;
    setSheetValue(ScrapSheet::PicturesRow, picturesText(skID));
}

void RecordView::onSheetCellPressed(int row, int column)
{
    if (!m_shown || m_session.isReadOnly() || column != ScrapSheet::kValueColumn)
        return;
    if (row >= kRowMajor && row <= kRowMinor) {
        hideCalendar();
        openPicker();
        return;
    }
    m_children.close(ChildWindows::Kind::Picker);
    if (row == kRowDate) {
        calendar()->setSelectedDate(dateFromText(m_sheetValues.value(kRowDate)));
        calendar()->show();
        calendar()->raise();
    } else {
        hideCalendar();
    }
}

void RecordView::openPicker()
{
    if (QWidget* picker = m_children.find(ChildWindows::Kind::Picker)) {
        picker->raise();
        return;
    }
    auto* picker = new ClassPicker(m_session, PickerOpener::RecordView, m_sheet->window());
    connect(picker, &ClassPicker::classPicked, this, [this](int levNo, const ClassPath& path) {
        ResultSet* set = setOnShownScrap();
        if (!set)
            return;
        try {
            refileScrap(*set, levNo, path);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot store the new class:" << e.message();
            m_dialogs.critical(e.failure(kNotStored).message());
            return;
        }
        m_session.currentClass = path;
        setSheetValue(kRowMajor, path.major);
        setSheetValue(kRowMajor + 1, path.middle);
        setSheetValue(kRowMinor, path.minor);
    });
    m_children.open(ChildWindows::Kind::Picker, picker, m_sheet->window());
}

void RecordView::restoreSheetValue(int row, const QString& message)
{
    setSheetValue(row, m_sheetValues.value(row));
    m_dialogs.exclamation(message);
}

void RecordView::onSheetValueEdited(int row)
{
    ResultSet* set = setOnShownScrap();
    if (!set)
        return;
    const QString text = m_sheet->value(row);
    if (text == m_sheetValues.value(row))
        return;
    const QString field = typedFieldOfRow(row);
    if (m_session.isReadOnly() || field.isEmpty()) {
        setSheetValue(row, m_sheetValues.value(row));
        return;
    }
    if (row == kRowDate && !isScrapDate(text)) {
        restoreSheetValue(row, kDateRefused);
        return;
    }
    try {
        if (row == kRowLevel) {
            const QString colour = backColourOf(readLevels(m_session.connection()), text);
            storeLevel(*set, text, colour);
            const auto value = ColourValue::parse(colour);
            m_sheet->showLevelColour(value ? std::optional(ColourValue::toColour(*value)) : std::nullopt);
        } else {
            storeIndexField(*set, field, text);
        }
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot store sheet row" << row << e.message();
        restoreSheetValue(row, e.failure(kNotStored).message());
        return;
    }
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void RecordView::onCalendarClicked(const QDate& date)
{
    if (!m_shown || m_session.isReadOnly())
        return;
    // As if typed: the date is checked and stored like any edit of the cell.
    m_sheet->item(kRowDate, ScrapSheet::kValueColumn)->setText(dateText(date));
    hideCalendar();
}

// Made when the date cell is first pressed: most runs never show it, and a calendar is slow to build.
QCalendarWidget* RecordView::calendar()
{
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(m_calendarParent);
        m_calendar->setObjectName(QStringLiteral("Calendar"));
        m_calendar->move(m_calendarAt);
        connect(m_calendar, &QCalendarWidget::clicked, this, &RecordView::onCalendarClicked);
    }
    return m_calendar;
}

void RecordView::placeCalendar(const QPoint& at)
{
    m_calendarAt = at;
    if (m_calendar)
        m_calendar->move(at);
}

void RecordView::hideCalendar()
{
    if (m_calendar) {
        m_calendar->hide();
        m_calendar->lower();
    }
}

void RecordView::onResultsReplaced()
{
    // Record view never comes back onto another set than the one it showed.
    if (!m_shown || m_session.resultsGeneration() == m_generation)
        return;
    end();
    Q_EMIT ended();
}

bool RecordView::eventFilter(QObject* watched, QEvent* event)
{
    // While a cell is being edited its editor has the keys, so arrows reach the sheet only between edits.
    if (watched == m_sheet && event->type() == QEvent::KeyPress && m_shown) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            step(key == Qt::Key_Right);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
