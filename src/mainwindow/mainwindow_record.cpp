// Record view: the sheet and body of one scrap, stepping through the result set, editing and deleting.
#include "bodymarks.h"
#include "classtree/classpicker.h"
#include "common/colourvalue.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "geometry.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "pictures/pictureswindow.h"
#include "registration/registrationsheet.h"
#include "scrap/fieldcaptions.h"
#include "scrap/importancelevels.h"
#include "scrap/scrapfields.h"
#include "scrap/scrapsheet.h"
#include "scraplistmodel.h"
#include "search/fulltextsearchdialog.h"
#include "settings/importancelevelseditor.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>

using namespace Geometry;

namespace {

constexpr int kRowLevel = ScrapSheet::LevelRow, kRowTitle = ScrapSheet::TitleRow, kRowDate = ScrapSheet::DateRow;
constexpr int kRowMajor = ScrapSheet::MajorRow, kRowMinor = ScrapSheet::MinorRow;
constexpr int kRowPictures = ScrapSheet::PicturesRow;

const QString kDateRefused = QStringLiteral("作成年月日は 2024-01-31 のような年-月-日の日付で入力してください。");
const QString kNotStored = QStringLiteral("この値は登録できませんでした。元の値に戻します。");

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

} // namespace

void MainWindow::setUpSheet()
{
    connect(m_recordSheet, &QTableWidget::cellPressed, this, &MainWindow::onSheetCellPressed);
    connect(m_recordSheet, &ScrapSheet::valueEdited, this, [this](int row) { onSheetValueEdited(row); });
    connect(m_calendar, &QCalendarWidget::clicked, this, &MainWindow::onCalendarClicked);
    m_recordSheet->installEventFilter(this);
    m_entryBody->installEventFilter(this);
}

ResultSet* MainWindow::setOnShownScrap()
{
    ResultSet* set = m_session.resultSet();
    if (!set || !m_shownScrap || m_session.resultsGeneration() != m_recordGeneration)
        return nullptr;
    const int position = set->positionOfRowid(m_shownScrap->rowid);
    if (position == 0)
        return nullptr;
    if (set->absolutePosition() != position)
        set->setAbsolutePosition(position);
    return set;
}

void MainWindow::ShowScrapPosition(int position)
{
    setStatusPanels(QStringLiteral("スクラップ： %1/%2").arg(position).arg(m_resultCount), statusText(2));
}

bool MainWindow::takeShownScrapFromSet()
{
    const ResultSet* set = m_session.resultSet();
    if (!set || set->bof() || set->eof())
        return false;
    try {
        m_shownScrap =
            ScrapIdentity{set->rowid(), qint16(set->integer(QStringLiteral("DocNo"))),
                          qint16(set->integer(QStringLiteral("pfID"))), qint16(set->integer(QStringLiteral("skID")))};
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot show the current scrap:" << e.message();
        return false;
    }
    m_recordGeneration = m_session.resultsGeneration();
    return true;
}

void MainWindow::ShowRecordMode()
{
    if (!takeShownScrapFromSet())
        return;
    m_recordView = true;
    m_mode = Mode::RecordView;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabSearch);
    }
    ShowTabPanes(TabPane::RecordBody);
    ShowLeftPane(LeftPane::Sheet);
    m_leftPaneWidths = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
    ClearToolbar();
    BuildRecordToolbar();
    const bool readOnly = m_session.isReadOnly();
    for (const char16_t* key : {u"RecEditMEMO", u"underLineInd", u"delMEMO"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(!readOnly);
    }
    m_recordBody->setReadOnly(readOnly);
    QStringList levelNames;
    for (const ImportanceLevel& level : readLevels(m_session.connection()))
        levelNames << level.name;
    m_recordSheet->setLevelNames(levelNames);
    m_recordSheet->setReadOnly(readOnly);
    m_recordSheet->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                            : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_recordSheet->setValueFontSize(m_session.displayFont.size);
    FillSheetFromRecord();
    LoadScrapBody();
    ReplayMarks();
    markBodySearchWords();
    ArrangePanes(m_leftPaneWidths[1]);
    m_helpTopic = HelpTopic::kRecordView;
}

void MainWindow::setSheetValue(int row, const QString& text)
{
    m_recordSheet->setValue(row, text);
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void MainWindow::FillSheetFromRecord()
{
    QApplication::clipboard()->clear();
    const ResultSet* set = m_session.resultSet();
    if (!set || set->bof() || set->eof())
        return;
    m_sheetValues = QStringList(m_recordSheet->rowCount(), QString());
    std::optional<QColor> levelColour;
    try {
        for (int i = 0; i <= Field::backC; ++i)
            setSheetValue(i + 1, set->value(i).toString());
        setSheetValue(kRowPictures,
                      set->value(Field::skID).toLongLong() == 0 ? QStringLiteral("なし") : QStringLiteral("あり"));
        if (const auto colour = ColourValue::parse(set->text(QStringLiteral("backC"))))
            levelColour = ColourValue::toColour(*colour);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot show the current scrap:" << e.message();
    }
    m_recordSheet->showLevelColour(levelColour);
    m_recordSheet->fitRowHeights(m_session.displayFont.size);
}

void MainWindow::LoadScrapBody()
{
    m_recordBody->clear();
    // A new body starts plain: the box would otherwise carry the last scrap's mark into all of the new text.
    m_recordBody->setCurrentCharFormat(QTextCharFormat());
    m_loadedBody.clear();
    if (!m_session.connection() || !m_shownScrap)
        return;
    try {
        if (const auto body = ::LoadScrapBody(*m_session.connection(), m_shownScrap->pfID)) {
            m_recordBody->setPlainText(*body);
            m_loadedBody = m_recordBody->toPlainText();
        }
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot load the body:" << e.message();
    }
}

void MainWindow::ReplayMarks()
{
    if (!m_session.connection() || !m_shownScrap)
        return;
    try {
        const QList<MarkRow> marks = LoadMarks(*m_session.connection(), m_shownScrap->pfID);
        BodyMarks::replay(m_recordBody->document(), marks, ColourValue::toColour(m_session.markers.stress));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot replay the marks:" << e.message();
    }
}

bool MainWindow::SaveScrapBody()
{
    if (!m_session.connection() || !m_shownScrap || m_session.isReadOnly())
        return false;
    const QString text = m_recordBody->toPlainText();
    try {
        // In a transaction, so the body index is written with the body.
        Transaction transaction(*m_session.connection());
        if (::SaveScrapBody(*m_session.connection(), m_shownScrap->pfID, text)) {
            transaction.commit();
            return true;
        }
        qCWarning(lcMainWindow) << "the scrap" << m_shownScrap->docNo << "has no body row to save into";
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot save the body:" << e.message();
    }
    // The edit stays in the box, so nothing the user wrote is lost.
    m_dialogs.critical(QStringLiteral("スクラップを保存できませんでした。"));
    return false;
}

void MainWindow::StepScrap(bool forward)
{
    ResultSet* set = setOnShownScrap();
    if (!set || set->recordCount() == 0)
        return;
    if (m_pictures)
        m_pictures->close();
    if (forward) {
        set->moveNext();
        ++m_resultPosition;
        if (set->eof()) {
            set->moveFirst();
            m_resultPosition = 1;
        }
    } else {
        set->movePrevious();
        --m_resultPosition;
        if (set->bof()) {
            set->moveLast();
            m_resultPosition = m_resultCount;
        }
    }
    if (!takeShownScrapFromSet())
        return;
    FillSheetFromRecord();
    ShowScrapPosition(m_resultPosition);
    LoadScrapBody();
    ReplayMarks();
    markBodySearchWords();
    // While the full-text dialog is open, every scrap stepped to shows its hits at once.
    if (auto* fullText = qobject_cast<FullTextSearchDialog*>(m_fullText.data()))
        fullText->MarkAllHits();
}

void MainWindow::openFullTextSearch()
{
    CloseOtherWindows();
    auto* dialog = new FullTextSearchDialog(m_session, m_dialogs, m_recordBody, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &FullTextSearchDialog::helpRequested, this, &MainWindow::showHelp);
    m_fullText = dialog;
    dialog->show();
}

void MainWindow::openImportanceLevels()
{
    auto* editor = new ImportanceLevelsEditor(m_session, m_dialogs, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    m_levelsEditor = editor;
    connect(editor, &ImportanceLevelsEditor::helpRequested, this, &MainWindow::showHelp);
    editor->open();
}

void MainWindow::StepScrapChecked(bool forward)
{
    if (m_recordBody->toPlainText() != m_loadedBody &&
        m_dialogs.askYesNo(QStringLiteral("スクラップ内容が変更されています。　登録しますか？")) && !SaveScrapBody())
        return;
    StepScrap(forward);
}

void MainWindow::DeleteShownScrap()
{
    if (!setOnShownScrap() || !m_session.connection() || m_session.isReadOnly())
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("表示中のスクラップと添付画像をデータベースから削除します。　"
                                           "削除後は復活できません。　実行しますか？"),
                            UserDialogs::Icon::Question, UserDialogs::Default::No))
        return;
    CloseOtherWindows();
    // Whatever ran meanwhile, only the scrap on screen is deleted.
    ResultSet* set = setOnShownScrap();
    if (!set)
        return;
    try {
        DeleteCurrentScrap(*m_session.connection(), *set);
    } catch (const DbError& e) {
        // Nothing was deleted; saying nothing would look like success.
        qCWarning(lcMainWindow) << "cannot delete the scrap:" << e.message();
        m_dialogs.critical(QStringLiteral("スクラップを削除できませんでした。"));
        return;
    }
    m_shownScrap.reset();
    m_session.announceResultsChanged();
    m_dialogs.information(
        QStringLiteral("１件のスクラップを削除しました。　ＯＫボタンで検索結果の最初から表示開始します。"));
    const int before = m_resultCount;
    m_resultCount = set->recordCount();
    if (before <= 1 || m_resultCount == 0) {
        m_dialogs.exclamation(QStringLiteral("検索結果はゼロです。　ＯＫボタンで検索モードに戻ります。"));
        ShowSearchMode();
        return;
    }
    set->moveFirst();
    m_resultPosition = 1;
    ShowRecordMode();
    ShowScrapPosition(1);
}

void MainWindow::ToggleMark(QPlainTextEdit* box)
{
    const std::optional<ScrapIdentity> scrap = box == m_recordBody ? m_shownScrap : m_entryScrap;
    const QTextCursor selection = box->textCursor();
    if (!scrap || !m_session.connection() || !selection.hasSelection())
        return;
    // A mark's offsets count in the stored body: in an entry text changed since its registration they would not.
    if (box == m_entryBody && box->toPlainText() != m_entryRegisteredBody)
        return;
    const MarkRow mark = BodyMarks::toggle(selection, ColourValue::toColour(m_session.markers.stress));
    try {
        AppendMarkRow(*m_session.connection(), scrap->pfID, mark);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot log the mark:" << e.message();
    }
}

void MainWindow::onSheetCellPressed(int row, int column)
{
    if (m_session.isReadOnly() || column != ScrapSheet::kValueColumn)
        return;
    if (row >= kRowMajor && row <= kRowMinor) {
        m_calendar->hide();
        openPicker();
        return;
    }
    if (m_picker)
        m_picker->close();
    if (row == kRowDate) {
        m_calendar->setSelectedDate(dateFromText(m_sheetValues.value(kRowDate)));
        m_calendar->show();
        m_calendar->raise();
    } else {
        m_calendar->hide();
    }
}

void MainWindow::openPicker()
{
    if (m_picker) {
        m_picker->raise();
        return;
    }
    auto* picker = new ClassPicker(m_session, PickerOpener::RecordView, this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &ClassPicker::classPicked, this, [this](int levNo, const ClassPath& path) {
        ResultSet* set = m_mode == Mode::RecordView ? setOnShownScrap() : nullptr;
        if (!set)
            return;
        try {
            refileScrap(*set, levNo, path);
        } catch (const DbError& e) {
            qCWarning(lcMainWindow) << "cannot store the new class:" << e.message();
            m_dialogs.critical(kNotStored);
            return;
        }
        m_session.currentClass = path;
        setSheetValue(kRowMajor, path.major);
        setSheetValue(kRowMajor + 1, path.middle);
        setSheetValue(kRowMinor, path.minor);
    });
    m_picker = picker;
    picker->show();
}

void MainWindow::restoreSheetValue(int row, const QString& message)
{
    setSheetValue(row, m_sheetValues.value(row));
    m_dialogs.exclamation(message);
}

void MainWindow::onSheetValueEdited(int row)
{
    ResultSet* set = m_mode == Mode::RecordView ? setOnShownScrap() : nullptr;
    if (!set)
        return;
    const QString text = m_recordSheet->value(row);
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
            if (const auto value = ColourValue::parse(colour))
                m_recordSheet->showLevelColour(ColourValue::toColour(*value));
        } else {
            storeIndexField(*set, field, text);
        }
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot store sheet row" << row << e.message();
        restoreSheetValue(row, kNotStored);
        return;
    }
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void MainWindow::onCalendarClicked(const QDate& date)
{
    if (m_mode != Mode::RecordView || m_session.isReadOnly())
        return;
    // As if typed: the date is checked and stored like any edit of the cell.
    m_recordSheet->item(kRowDate, ScrapSheet::kValueColumn)->setText(dateText(date));
    m_calendar->hide();
}

void MainWindow::openRegistrationSheet(int levNo)
{
    if (m_registration)
        m_registration->close();
    auto* sheet = new RegistrationSheet(
        m_session, m_dialogs, [this] { return m_entryBody->toPlainText(); }, m_today, levNo,
        [this]() -> std::optional<WaitingPicture> { return m_pictures ? m_pictures->waitingPicture() : std::nullopt; },
        this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &RegistrationSheet::helpRequested, this, &MainWindow::showHelp);
    connect(sheet, &RegistrationSheet::registered, this, [this](const ScrapIdentity& scrap) {
        m_entryScrap = scrap;
        m_entryGeneration = m_session.resultsGeneration();
        m_entryRegisteredBody = m_entryBody->toPlainText();
        // A picture that waited has been stored with the scrap.
        if (m_pictures)
            m_pictures->close();
    });
    connect(sheet, &RegistrationSheet::closedWith, this, [this](bool registered) {
        // Marking and pictures wait for the window to close, and only follow a registration made in it.
        if (registered && m_entryScrap)
            enableEntryMarking(true);
        else
            endEntryMarking();
    });
    m_registration = sheet;
    sheet->show();
}

void MainWindow::offerToSaveRecordEdit()
{
    if (m_recordView && m_shownScrap && !m_session.isReadOnly() && m_recordBody->toPlainText() != m_loadedBody &&
        m_dialogs.askYesNo(QStringLiteral("スクラップ内容が変更されています。　登録しますか？")))
        SaveScrapBody();
}

void MainWindow::endEntryMarking()
{
    m_entryScrap.reset();
    enableEntryMarking(false);
}

void MainWindow::onResultsReplaced()
{
    const quint64 generation = m_session.resultsGeneration();
    // Marks in the entry pane belong to the scrap just registered, which the set no longer holds.
    if (m_entryScrap && generation != m_entryGeneration)
        endEntryMarking();
    if (!m_recordView || generation == m_recordGeneration)
        return;
    // Record view never comes back onto another set than the one it showed.
    m_recordView = false;
    m_shownScrap.reset();
    m_loadedBody.clear();
    if (m_mode == Mode::RecordView && !m_unloading)
        showSearchPanes();
}

void MainWindow::enableEntryMarking(bool on)
{
    for (const char16_t* key : {u"drawMEMO", u"underLine"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(on);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_addressBox)
        return onAddressBoxEvent(event) || QMainWindow::eventFilter(watched, event);
    // While a cell is being edited its editor has the keys, so arrows reach the sheet only between edits.
    if (watched == m_recordSheet && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            StepScrapChecked(key == Qt::Key_Right);
            return true;
        }
    }
    if (watched == m_entryBody && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && m_entryBody->toPlainText().isEmpty()) {
            endEntryMarking();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
