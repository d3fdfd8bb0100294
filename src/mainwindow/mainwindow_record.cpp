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
#include "fieldcaptions.h"
#include "geometry.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "registration/registrationsheet.h"
#include "scrap/importancelevels.h"
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

// Sheet rows (row 0 is the header).
constexpr int kRowLevel = 1, kRowTitle = 2, kRowDate = 3, kRowMajor = 4, kRowMinor = 6, kRowKeyword = 7;
constexpr int kRowPictures = 8, kFirstHiddenRow = 9, kSheetRows = 13;
constexpr int kValueColumn = 2;
constexpr int kColumnWidths[] = {200, 1000, 2600};
constexpr int kRowSpare = 60;

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

// Editors of the sheet's value cells: the level drop-down, and text boxes no longer than their columns.
class SheetDelegate final : public QStyledItemDelegate {
public:
    SheetDelegate(std::function<QStringList()> levelNames, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_levelNames(std::move(levelNames))
    {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.row() == kRowLevel) {
            auto* box = new QComboBox(parent);
            box->addItems(m_levelNames());
            return box;
        }
        auto* line = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
        if (line)
            line->setMaxLength(index.row() == kRowDate ? 10 : 255);
        return line;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentIndex(std::max(0, box->findText(index.data().toString())));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentText());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    std::function<QStringList()> m_levelNames;
};

} // namespace

void MainWindow::setUpSheet()
{
    m_recordSheet->setItemDelegateForColumn(kValueColumn, new SheetDelegate(
                                                              [this] {
                                                                  QStringList names;
                                                                  for (const ImportanceLevel& level :
                                                                       readLevels(m_session.connection()))
                                                                      names << level.name;
                                                                  return names;
                                                              },
                                                              m_recordSheet));
    connect(m_recordSheet, &QTableWidget::cellPressed, this, &MainWindow::onSheetCellPressed);
    connect(m_recordSheet, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kValueColumn)
            onSheetValueEdited(item->row());
    });
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
    m_mode = RecordView;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabSearch);
    }
    ShowTabPanes(22);
    ShowLeftPane(1);
    m_leftPaneWidths = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
    ClearToolbar();
    BuildRecordToolbar();
    const bool edition = m_session.isSavedEdition();
    for (const char16_t* key : {u"RecEditMEMO", u"underLineInd", u"delMEMO"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(!edition);
    }
    m_recordBody->setReadOnly(edition);
    {
        // Filling the sheet is not an edit: no change handler may store what is being put in.
        const QSignalBlocker block(m_recordSheet);
        showFieldCaptions(false);
        layOutSheet();
        FillSheetFromRecord();
        for (int row = kFirstHiddenRow; row < kSheetRows; ++row)
            m_recordSheet->setRowHidden(row, true);
    }
    LoadScrapBody();
    ReplayMarks();
    ArrangePanes(m_leftPaneWidths[1]);
    m_helpTopic = HelpTopic::kRecordView;
}

void MainWindow::layOutSheet()
{
    m_recordSheet->horizontalHeader()->hide();
    m_recordSheet->verticalHeader()->hide();
    for (int column = 0; column < 3; ++column)
        m_recordSheet->setColumnWidth(column, twipsToPixels(kColumnWidths[column]));
    auto* header = new QTableWidgetItem(QStringLiteral("スクラップ管理票"));
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    m_recordSheet->setItem(0, kValueColumn, header);
    QFont valueFont = m_recordSheet->font();
    valueFont.setPointSize(m_session.displayFont.size);
    for (int row = 1; row < kSheetRows; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (!m_recordSheet->item(row, column))
                m_recordSheet->setItem(row, column, new QTableWidgetItem);
            QTableWidgetItem* item = m_recordSheet->item(row, column);
            // Only value cells are ever edited; captions and flags stay as they are.
            if (column != kValueColumn)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        }
        if (row <= kRowPictures)
            m_recordSheet->item(row, 1)->setBackground(ColourValue::toColour(ColourValue::k3DLight));
        m_recordSheet->item(row, kValueColumn)->setFont(valueFont);
        const bool typed = row == kRowLevel || row == kRowTitle || row == kRowDate || row == kRowKeyword;
        QTableWidgetItem* value = m_recordSheet->item(row, kValueColumn);
        value->setFlags(typed && !m_session.isSavedEdition() ? value->flags() | Qt::ItemIsEditable
                                                             : value->flags() & ~Qt::ItemIsEditable);
    }
    m_recordSheet->setEditTriggers(m_session.isSavedEdition()
                                       ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                             QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_recordSheet->setWordWrap(true);
}

void MainWindow::setSheetValue(int row, const QString& text)
{
    const QSignalBlocker block(m_recordSheet); // putting a value in is not an edit
    m_recordSheet->item(row, kValueColumn)->setText(text);
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void MainWindow::FillSheetFromRecord()
{
    QApplication::clipboard()->clear();
    const ResultSet* set = m_session.resultSet();
    if (!set || set->bof() || set->eof())
        return;
    const QSignalBlocker block(m_recordSheet);
    m_sheetValues = QStringList(kSheetRows, QString());
    m_recordSheet->item(kRowLevel, kValueColumn)->setBackground(QColor(Qt::white));
    try {
        for (int i = 0; i <= Field::backC; ++i)
            setSheetValue(i + 1, set->value(i).toString());
        setSheetValue(kRowPictures,
                      set->value(Field::skID).toLongLong() == 0 ? QStringLiteral("なし") : QStringLiteral("あり"));
        if (const auto colour = ColourValue::parse(set->text(QStringLiteral("backC"))))
            m_recordSheet->item(kRowLevel, kValueColumn)->setBackground(ColourValue::toColour(*colour));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot show the current scrap:" << e.message();
    }
    // Rows are at least 38 twips per point of the display font, and grow to fit their text.
    const int minimum = twipsToPixels(38 * m_session.displayFont.size);
    m_recordSheet->resizeRowsToContents();
    for (int row = 0; row < kSheetRows; ++row)
        m_recordSheet->setRowHeight(row, std::max(minimum, m_recordSheet->rowHeight(row) + twipsToPixels(kRowSpare)));
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
    if (!m_session.connection() || !m_shownScrap || m_session.isSavedEdition())
        return false;
    const QString text = m_recordBody->toPlainText();
    try {
        if (::SaveScrapBody(*m_session.connection(), m_shownScrap->pfID, text))
            return true;
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
    if (!setOnShownScrap() || !m_session.connection() || m_session.isSavedEdition())
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("表示中のスクラップと添付画像をデータベースから削除します。　"
                                           "削除後は復活できません。　実行しますか？")))
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
    const MarkRow mark = BodyMarks::toggle(selection, ColourValue::toColour(m_session.markers.stress));
    try {
        AppendMarkRow(*m_session.connection(), scrap->pfID, mark);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot log the mark:" << e.message();
    }
}

void MainWindow::onSheetCellPressed(int row, int column)
{
    if (m_session.isSavedEdition() || column != kValueColumn)
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
    auto* picker = new ClassPicker(m_session, 1, this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &ClassPicker::classPicked, this, [this](int levNo, const ClassPath& path) {
        ResultSet* set = m_mode == RecordView ? setOnShownScrap() : nullptr;
        if (!set)
            return;
        try {
            set->setValue(QStringLiteral("a04"), path.major);
            set->setValue(QStringLiteral("a05"), path.middle);
            set->setValue(QStringLiteral("a06"), path.minor);
            set->setValue(QStringLiteral("LevNo"), levNo);
            set->update();
        } catch (const DbError& e) {
            set->cancelUpdate();
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
    QTableWidgetItem* item = m_recordSheet->item(row, kValueColumn);
    ResultSet* set = m_mode == RecordView ? setOnShownScrap() : nullptr;
    if (!set || !item)
        return;
    const QString text = item->text();
    if (text == m_sheetValues.value(row))
        return;
    if (m_session.isSavedEdition()) {
        setSheetValue(row, m_sheetValues.value(row));
        return;
    }
    try {
        switch (row) {
        case kRowLevel: {
            const QString colour = backColourOf(readLevels(m_session.connection()), text);
            set->setValue(QStringLiteral("a01"), text);
            set->setValue(QStringLiteral("backC"), colour);
            set->update();
            if (const auto value = ColourValue::parse(colour)) {
                const QSignalBlocker block(m_recordSheet);
                item->setBackground(ColourValue::toColour(*value));
            }
            break;
        }
        case kRowTitle:
            set->setValue(QStringLiteral("a02"), text);
            set->update();
            break;
        case kRowDate: {
            const QDate date = dateFromText(text);
            if (!date.isValid() || dateText(date) != text) {
                restoreSheetValue(row, kDateRefused);
                return;
            }
            set->setValue(QStringLiteral("a03"), text);
            set->update();
            break;
        }
        case kRowKeyword:
            set->setValue(QStringLiteral("a07"), text);
            set->update();
            break;
        default:
            setSheetValue(row, m_sheetValues.value(row));
            return;
        }
    } catch (const DbError& e) {
        set->cancelUpdate();
        qCWarning(lcMainWindow) << "cannot store sheet row" << row << e.message();
        restoreSheetValue(row, kNotStored);
        return;
    }
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void MainWindow::onCalendarClicked(const QDate& date)
{
    if (m_mode != RecordView || m_session.isSavedEdition())
        return;
    m_recordSheet->item(kRowDate, kValueColumn)->setText(dateText(date));
    m_calendar->hide();
}

void MainWindow::openRegistrationSheet(int levNo)
{
    if (m_registration)
        m_registration->close();
    auto* sheet = new RegistrationSheet(
        m_session, m_dialogs, [this] { return m_entryBody->toPlainText(); }, m_today, levNo, false, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &RegistrationSheet::helpRequested, this, &MainWindow::showHelp);
    connect(sheet, &RegistrationSheet::registered, this, [this](const ScrapIdentity& scrap) {
        m_entryScrap = scrap;
        m_entryGeneration = m_session.resultsGeneration();
    });
    connect(sheet, &RegistrationSheet::closedWith, this, [this](bool registered) {
        // Marking and pictures wait for the window to close, and only follow a registration made in it.
        enableEntryMarking(registered && m_entryScrap.has_value());
    });
    m_registration = sheet;
    sheet->show();
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
    if (m_mode == RecordView && !m_unloading)
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
