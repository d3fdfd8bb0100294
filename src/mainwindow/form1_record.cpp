// Record view: the sheet and body of one scrap, stepping through the result set, editing and deleting.
#include "bodymarks.h"
#include "classtree/form4.h"
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
#include "form1.h"
#include "geometry.h"
#include "mainwindowlog.h"
#include "registration/form3.h"
#include "scraplistmodel.h"
#include "search/form7.h"
#include "settings/form11.h"

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

struct Level {
    QString name;
    QString colour;
};

QList<Level> readLevels(Connection* connection)
{
    QList<Level> levels;
    if (!connection)
        return levels;
    try {
        Query query(*connection, QStringLiteral("SELECT \"01iName\", \"02BackColor\" FROM Status ORDER BY \"99Kana\""));
        while (query.next())
            levels.append({query.text(0), query.text(1)});
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot read the importance levels:" << e.message();
    }
    return levels;
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

void Form1::setUpSheet()
{
    m_fg1->setItemDelegateForColumn(kValueColumn, new SheetDelegate(
                                                      [this] {
                                                          QStringList names;
                                                          for (const Level& level : readLevels(m_session.connection()))
                                                              names << level.name;
                                                          return names;
                                                      },
                                                      m_fg1));
    connect(m_fg1, &QTableWidget::cellPressed, this, &Form1::fg1_MouseDown);
    connect(m_fg1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kValueColumn)
            fg1_AfterEdit(item->row());
    });
    connect(m_calendar, &QCalendarWidget::clicked, this, &Form1::onCalendarClicked);
    m_fg1->installEventFilter(this);
    m_mData->installEventFilter(this);
}

qint16 Form1::currentNumber(const QString& field) const
{
    return qint16(m_session.resultSet()->integer(field));
}

void Form1::ShowScrapPosition(int position)
{
    setStatusPanels(QStringLiteral("スクラップ： %1/%2").arg(position).arg(m_totalRstG), statusText(2));
}

void Form1::ShowRecordMode()
{
    if (!m_session.resultSet())
        return;
    m_recordView = true;
    m_fgMode = RecordView;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabSearch);
    }
    ShowTabPanes(22);
    ShowLeftPane(1);
    m_fgWidth = {kLeftPaneWidthRecordView, kLeftPaneWidthRecordView};
    ClearToolbar();
    BuildRecordToolbar();
    const bool edition = m_session.isSavedEdition();
    for (const char16_t* key : {u"RecEditMEMO", u"underLineInd", u"delMEMO"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(!edition);
    }
    m_rtBox->setReadOnly(edition);
    {
        // Filling the sheet is not an edit: no change handler may store what is being put in.
        const QSignalBlocker block(m_fg1);
        DispFieldsName(false);
        layOutSheet();
        FillSheetFromRecord();
        for (int row = kFirstHiddenRow; row < kSheetRows; ++row)
            m_fg1->setRowHidden(row, true);
    }
    LoadScrapBody();
    ReplayMarks();
    ArrangePanes(m_fgWidth[1]);
    m_helpTopic = HelpTopic::kRecordView;
}

void Form1::layOutSheet()
{
    m_fg1->horizontalHeader()->hide();
    m_fg1->verticalHeader()->hide();
    for (int column = 0; column < 3; ++column)
        m_fg1->setColumnWidth(column, twipsToPixels(kColumnWidths[column]));
    auto* header = new QTableWidgetItem(QStringLiteral("スクラップ管理票"));
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    m_fg1->setItem(0, kValueColumn, header);
    QFont valueFont = m_fg1->font();
    valueFont.setPointSize(m_session.displayFont.size);
    for (int row = 1; row < kSheetRows; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (!m_fg1->item(row, column))
                m_fg1->setItem(row, column, new QTableWidgetItem);
            QTableWidgetItem* item = m_fg1->item(row, column);
            // Only value cells are ever edited; captions and flags stay as they are.
            if (column != kValueColumn)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        }
        if (row <= kRowPictures)
            m_fg1->item(row, 1)->setBackground(ColourValue::toColour(ColourValue::k3DLight));
        m_fg1->item(row, kValueColumn)->setFont(valueFont);
        const bool typed = row == kRowLevel || row == kRowTitle || row == kRowDate || row == kRowKeyword;
        QTableWidgetItem* value = m_fg1->item(row, kValueColumn);
        value->setFlags(typed && !m_session.isSavedEdition() ? value->flags() | Qt::ItemIsEditable
                                                             : value->flags() & ~Qt::ItemIsEditable);
    }
    m_fg1->setEditTriggers(m_session.isSavedEdition()
                               ? QAbstractItemView::NoEditTriggers
                               : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                     QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_fg1->setWordWrap(true);
}

void Form1::setSheetValue(int row, const QString& text)
{
    const QSignalBlocker block(m_fg1); // putting a value in is not an edit
    m_fg1->item(row, kValueColumn)->setText(text);
    if (row < m_sheetValues.size())
        m_sheetValues[row] = text;
}

void Form1::FillSheetFromRecord()
{
    QApplication::clipboard()->clear();
    const ResultSet* set = m_session.resultSet();
    if (!set || set->bof() || set->eof())
        return;
    const QSignalBlocker block(m_fg1);
    m_sheetValues = QStringList(kSheetRows, QString());
    m_fg1->item(kRowLevel, kValueColumn)->setBackground(QColor(Qt::white));
    try {
        for (int i = 0; i <= Field::backC; ++i)
            setSheetValue(i + 1, set->value(i).toString());
        setSheetValue(kRowPictures,
                      set->value(Field::skID).toLongLong() == 0 ? QStringLiteral("なし") : QStringLiteral("あり"));
        if (const auto colour = ColourValue::parse(set->text(QStringLiteral("backC"))))
            m_fg1->item(kRowLevel, kValueColumn)->setBackground(ColourValue::toColour(*colour));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot show the current scrap:" << e.message();
    }
    // Rows are at least 38 twips per point of the display font, and grow to fit their text.
    const int minimum = twipsToPixels(38 * m_session.displayFont.size);
    m_fg1->resizeRowsToContents();
    for (int row = 0; row < kSheetRows; ++row)
        m_fg1->setRowHeight(row, std::max(minimum, m_fg1->rowHeight(row) + twipsToPixels(kRowSpare)));
}

void Form1::LoadScrapBody()
{
    m_rtBox->clear();
    // A new body starts plain: the box would otherwise carry the last scrap's mark into all of the new text.
    m_rtBox->setCurrentCharFormat(QTextCharFormat());
    m_loadedBody.clear();
    if (!m_session.connection() || !m_session.resultSet())
        return;
    try {
        if (const auto body = ::LoadScrapBody(*m_session.connection(), currentNumber(QStringLiteral("pfID")))) {
            m_rtBox->setPlainText(*body);
            m_loadedBody = m_rtBox->toPlainText();
        }
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot load the body:" << e.message();
    }
}

void Form1::ReplayMarks()
{
    if (!m_session.connection() || !m_session.resultSet())
        return;
    try {
        const QList<MarkRow> marks = LoadMarks(*m_session.connection(), currentNumber(QStringLiteral("pfID")));
        BodyMarks::replay(m_rtBox->document(), marks, ColourValue::toColour(m_session.markers.stress));
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot replay the marks:" << e.message();
    }
}

void Form1::SaveScrapBody()
{
    if (!m_session.connection() || !m_session.resultSet() || m_session.isSavedEdition())
        return;
    try {
        ::SaveScrapBody(*m_session.connection(), currentNumber(QStringLiteral("pfID")), m_rtBox->toPlainText());
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot save the body:" << e.message();
        m_dialogs.critical(QStringLiteral("本文を登録できませんでした。"));
    }
}

void Form1::StepScrap(bool forward)
{
    ResultSet* set = m_session.resultSet();
    if (!set || set->recordCount() == 0)
        return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == u"Form5")
            window->close();
    }
    if (forward) {
        set->moveNext();
        ++m_currentRstG;
        if (set->eof()) {
            set->moveFirst();
            m_currentRstG = 1;
        }
    } else {
        set->movePrevious();
        --m_currentRstG;
        if (set->bof()) {
            set->moveLast();
            m_currentRstG = m_totalRstG;
        }
    }
    FillSheetFromRecord();
    ShowScrapPosition(m_currentRstG);
    LoadScrapBody();
    ReplayMarks();
    // While the full-text dialog is open, every scrap stepped to shows its hits at once.
    if (auto* fullText = qobject_cast<Form7*>(m_fullText.data()))
        fullText->MarkAllHits();
}

void Form1::openFullTextSearch()
{
    CloseOtherWindows();
    auto* dialog = new Form7(m_session, m_dialogs, m_rtBox, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &Form7::helpRequested, this, &Form1::showHelp);
    m_fullText = dialog;
    dialog->show();
}

void Form1::openImportanceLevels()
{
    auto* editor = new Form11(m_session, m_dialogs, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &Form11::helpRequested, this, &Form1::showHelp);
    editor->open();
}

void Form1::StepScrapChecked(bool forward)
{
    if (m_rtBox->toPlainText() != m_loadedBody &&
        m_dialogs.askYesNo(QStringLiteral("スクラップ内容が変更されています。　登録しますか？")))
        SaveScrapBody();
    StepScrap(forward);
}

void Form1::DeleteShownScrap()
{
    ResultSet* set = m_session.resultSet();
    if (!set || !m_session.connection() || m_session.isSavedEdition())
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("表示中のスクラップと添付画像をデータベースから削除します。　"
                                           "削除後は復活できません。　実行しますか？")))
        return;
    CloseOtherWindows();
    try {
        DeleteCurrentScrap(*m_session.connection(), *set);
    } catch (const DbError& e) {
        // Nothing was deleted; saying nothing would look like success.
        qCWarning(lcMainWindow) << "cannot delete the scrap:" << e.message();
        m_dialogs.critical(QStringLiteral("スクラップを削除できませんでした。"));
        return;
    }
    m_listModel->refresh();
    m_dialogs.information(
        QStringLiteral("１件のスクラップを削除しました。　ＯＫボタンで検索結果の最初から表示開始します。"));
    const int before = m_totalRstG;
    m_totalRstG = set->recordCount();
    if (before <= 1 || m_totalRstG == 0) {
        m_dialogs.exclamation(QStringLiteral("検索結果はゼロです。　ＯＫボタンで検索モードに戻ります。"));
        ShowSearchMode();
        return;
    }
    set->moveFirst();
    m_currentRstG = 1;
    ShowRecordMode();
    ShowScrapPosition(1);
}

void Form1::ToggleMark(QPlainTextEdit* box)
{
    ResultSet* set = m_session.resultSet();
    const QTextCursor selection = box->textCursor();
    if (!set || !m_session.connection() || !selection.hasSelection() || set->bof() || set->eof())
        return;
    const MarkRow mark = BodyMarks::toggle(selection, ColourValue::toColour(m_session.markers.stress));
    try {
        AppendMarkRow(*m_session.connection(), currentNumber(QStringLiteral("pfID")), mark);
    } catch (const DbError& e) {
        qCWarning(lcMainWindow) << "cannot log the mark:" << e.message();
    }
}

void Form1::fg1_MouseDown(int row, int column)
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

void Form1::openPicker()
{
    if (m_picker) {
        m_picker->raise();
        return;
    }
    auto* picker = new Form4(m_session, 1, this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &Form4::classPicked, this, [this](int levNo, const ClassPath& path) {
        ResultSet* set = m_session.resultSet();
        if (!set || m_fgMode != RecordView)
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

void Form1::restoreSheetValue(int row, const QString& message)
{
    setSheetValue(row, m_sheetValues.value(row));
    m_dialogs.exclamation(message);
}

void Form1::fg1_AfterEdit(int row)
{
    ResultSet* set = m_session.resultSet();
    QTableWidgetItem* item = m_fg1->item(row, kValueColumn);
    if (!set || !item || m_fgMode != RecordView)
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
            QString colour;
            for (const Level& level : readLevels(m_session.connection())) {
                if (level.name == text)
                    colour = level.colour;
            }
            set->setValue(QStringLiteral("a01"), text);
            set->setValue(QStringLiteral("backC"), colour);
            set->update();
            if (const auto value = ColourValue::parse(colour)) {
                const QSignalBlocker block(m_fg1);
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

void Form1::onCalendarClicked(const QDate& date)
{
    if (m_fgMode != RecordView || m_session.isSavedEdition())
        return;
    m_fg1->item(kRowDate, kValueColumn)->setText(dateText(date));
    m_calendar->hide();
}

void Form1::openRegistrationSheet(int levNo)
{
    if (m_registration)
        m_registration->close();
    auto* sheet = new Form3(
        m_session, m_dialogs, [this] { return m_mData->toPlainText(); }, m_dateStr, levNo, false, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &Form3::helpRequested, this, &Form1::showHelp);
    connect(sheet, &Form3::closedWith, this, [this](bool registered) {
        m_justRegistered = registered;
        enableEntryMarking(registered);
    });
    m_registration = sheet;
    sheet->show();
}

void Form1::enableEntryMarking(bool on)
{
    for (const char16_t* key : {u"drawMEMO", u"underLine"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setEnabled(on);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // While a cell is being edited its editor has the keys, so arrows reach the sheet only between edits.
    if (watched == m_fg1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            StepScrapChecked(key == Qt::Key_Right);
            return true;
        }
    }
    if (watched == m_mData && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && m_mData->toPlainText().isEmpty()) {
            m_justRegistered = false;
            enableEntryMarking(false);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
