#include "registrationsheet.h"

#include "classtree/classpicker.h"
#include "common/colourvalue.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "mainwindow/fieldcaptions.h"
#include "registrationlog.h"
#include "scrap/importancelevels.h"
#include "scrap/scrapregistration.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kRowCount = 9;
constexpr int kColumnCount = 3;
constexpr int kHeaderRow = 0;
constexpr int kLevelRow = 1;
constexpr int kTitleRow = 2;
constexpr int kDateRow = 3;
constexpr int kMajorRow = 4;
constexpr int kMiddleRow = 5;
constexpr int kMinorRow = 6;
constexpr int kKeywordRow = 7;
constexpr int kPictureRow = 8;
constexpr int kFlagColumn = 0;
constexpr int kCaptionColumn = 1;
constexpr int kValueColumn = 2;

constexpr int kTitleLength = 100;
constexpr int kTypedLength = 255;

// Geometry in twips.
constexpr int kColumnWidths[kColumnCount] = {200, 1000, 2600};
constexpr int kSheetLeft = 40;
constexpr int kSheetTop = 600;
constexpr int kRowTwipsPerPoint = 38;
constexpr int kRowSpare = 60;
constexpr int kControlTop = 90;
constexpr int kControlHeight = 420;
constexpr int kButtonWidth = 1100;
constexpr int kControlGap = 120;
constexpr int kCalendarRight = 240;
constexpr int kCalendarBottom = 600;
constexpr int kBottomMargin = 120;

constexpr QStringView kDateFormat = u"yyyy-MM-dd";

// The first line of the body, without its line break, so that an exact title search finds it; at most 100
// characters, never ending in half a surrogate pair.
QString titleOf(const QString& body)
{
    qsizetype end = body.size();
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == u'\n' || body[i] == u'\r') {
            end = i;
            break;
        }
    }
    QString title = body.left(std::min<qsizetype>(end, kTitleLength));
    if (!title.isEmpty() && title.back().isHighSurrogate())
        title.chop(1);
    return title;
}

bool isCalendarDate(const QString& text)
{
    const QDate date = QDate::fromString(text, kDateFormat);
    return date.isValid() && dateText(date) == text;
}

// Row 1 takes its level from a drop-down; the title and keyword cells refuse more than the columns hold.
class SheetDelegate final : public QStyledItemDelegate {
public:
    SheetDelegate(QStringList levels, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_levels(std::move(levels))
    {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Q_UNUSED(option);
        const QVariant font = index.data(Qt::FontRole);
        if (index.row() != kLevelRow) {
            auto* edit = new QLineEdit(parent);
            edit->setFrame(false);
            edit->setMaxLength(kTypedLength);
            if (font.isValid())
                edit->setFont(font.value<QFont>());
            return edit;
        }
        auto* box = new QComboBox(parent);
        box->addItems(m_levels);
        if (font.isValid())
            box->setFont(font.value<QFont>());
        // The level colours the row as soon as it is chosen, not only when the cell loses focus.
        auto* self = const_cast<SheetDelegate*>(this);
        connect(box, &QComboBox::activated, self, [self, box] {
            Q_EMIT self->commitData(box);
            Q_EMIT self->closeEditor(box);
        });
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            // No level yet shows none, so that leaving the drop-down without choosing does not pick the first.
            box->setCurrentIndex(box->findText(index.data().toString()));
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
    QStringList m_levels;
};

QTableWidgetItem* fixedItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

RegistrationSheet::RegistrationSheet(Session& session, UserDialogs& dialogs, std::function<QString()> bodyText,
                                     const QString& dateStr, int levNo, bool pendingPicture, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_bodyText(std::move(bodyText))
    , m_levNo(levNo)
    , m_pendingPicture(pendingPicture)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("スクラップ登録"));

    m_register = button(QStringLiteral("Command1_0"), QStringLiteral("登録"), this);
    m_cancel = button(QStringLiteral("Command1_1"), QStringLiteral("キャンセル"), this);
    connect(m_register, &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Command1_Click(1); });
    m_help = new QLabel(QStringLiteral("ヘルプ　F1キー"), this);
    m_help->setObjectName(QStringLiteral("Label1"));
    m_help->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("SB"));
    m_status->setSizeGripEnabled(false);
    // A widget rather than a message, so that no status tip can ever replace the hint.
    auto* hint = new QLabel(QStringLiteral("文字列がセルから消える場合、セル高さを大きくします。"), m_status);
    hint->setObjectName(QStringLiteral("SBText"));
    m_status->addWidget(hint, 1);

    loadLevels();
    QStringList levelNames;
    for (const ImportanceLevel& level : m_levels)
        levelNames << level.name;

    m_sheet = new QTableWidget(kRowCount, kColumnCount, this);
    m_sheet->setObjectName(QStringLiteral("fg"));
    m_sheet->horizontalHeader()->hide();
    m_sheet->verticalHeader()->hide();
    m_sheet->setWordWrap(true);
    m_sheet->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sheet->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                             QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_sheet->setItemDelegate(new SheetDelegate(levelNames, m_sheet));
    for (int column = 0; column < kColumnCount; ++column)
        m_sheet->setColumnWidth(column, twipsToPixels(kColumnWidths[column]));
    buildSheet(m_bodyText ? titleOf(m_bodyText()) : QString(), dateStr, pendingPicture);
    connect(m_sheet, &QTableWidget::cellPressed, this, [this](int row) { fg_Pressed(row); });
    connect(m_sheet, &QTableWidget::itemChanged, this, &RegistrationSheet::fg_ItemChanged);

    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->setSelectedDate(QDate::currentDate());
    m_calendar->hide();
    connect(m_calendar, &QCalendarWidget::clicked, this, &RegistrationSheet::Calendar_Click);

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });

    fitRowHeights();
    // Wide enough for the sheet with the calendar beside it, high enough for every row, within the screen.
    const int sheetWidth = m_sheet->horizontalHeader()->length() + 2 * m_sheet->frameWidth() +
                           m_sheet->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize calendar = m_calendar->sizeHint();
    const int buttons = 2 * twipsToPixels(kButtonWidth + kControlGap) + m_help->sizeHint().width();
    const int width =
        twipsToPixels(kSheetLeft + kControlGap + kCalendarRight) + std::max(sheetWidth + calendar.width(), buttons);
    const int sheetHeight = m_sheet->verticalHeader()->length() + 2 * m_sheet->frameWidth();
    const int height = std::max(twipsToPixels(kSheetTop + kBottomMargin) + sheetHeight,
                                twipsToPixels(kSheetTop + kCalendarBottom) + calendar.height()) +
                       m_status->sizeHint().height();
    const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, width, height);
    resize(std::min(width, available.width()), std::min(height, available.height()));
    layOut();
}

RegistrationSheet::~RegistrationSheet()
{
    // Closing the window from ~QWidget commits an open cell editor, which must no longer reach this object.
    m_sheet->disconnect(this);
}

int RegistrationSheet::helpTopic() const
{
    return HelpTopic::kRegistration;
}

void RegistrationSheet::loadLevels()
{
    if (!m_session.connection())
        return;
    try {
        m_levels = readImportanceLevels(*m_session.connection());
    } catch (const DbError& e) {
        qCWarning(lcRegistration) << "cannot read the importance levels:" << e.message();
    }
}

void RegistrationSheet::buildSheet(const QString& title, const QString& dateStr, bool pendingPicture)
{
    QFont bold = m_sheet->font();
    bold.setBold(true);
    QFont valueFont = m_sheet->font();
    if (m_session.displayFont.size > 0)
        valueFont.setPointSize(m_session.displayFont.size);
    const QColor captionColour = ColourValue::toColour(ColourValue::k3DLight);

    for (int column = 0; column < kColumnCount; ++column) {
        QTableWidgetItem* header = fixedItem(column == kValueColumn ? QStringLiteral("スクラップ管理票") : QString());
        header->setFont(bold);
        m_sheet->setItem(kHeaderRow, column, header);
    }
    for (int row = kLevelRow; row < kRowCount; ++row) {
        const FieldCaption& field = kFieldCaptions[std::size_t(row - 1)];
        QTableWidgetItem* flag = fixedItem(QString::fromUtf16(field.flag));
        QTableWidgetItem* caption = fixedItem(QString::fromUtf16(field.caption));
        flag->setBackground(captionColour);
        caption->setBackground(captionColour);
        m_sheet->setItem(row, kFlagColumn, flag);
        m_sheet->setItem(row, kCaptionColumn, caption);

        const bool typed = row == kLevelRow || row == kTitleRow || row == kKeywordRow;
        QTableWidgetItem* value = fixedItem(QString());
        if (typed)
            value->setFlags(value->flags() | Qt::ItemIsEditable);
        value->setFont(valueFont);
        m_sheet->setItem(row, kValueColumn, value);
    }

    setValue(kTitleRow, title);
    setValue(kDateRow, dateStr.isEmpty() ? QDate::currentDate().toString(kDateFormat) : dateStr);
    setValue(kMajorRow, m_session.currentClass.major);
    setValue(kMiddleRow, m_session.currentClass.middle);
    setValue(kMinorRow, m_session.currentClass.minor);
    setValue(kPictureRow, pendingPicture ? QStringLiteral("あり") : QStringLiteral("なし"));
}

QString RegistrationSheet::value(int row) const
{
    const QTableWidgetItem* item = m_sheet->item(row, kValueColumn);
    return item ? item->text() : QString();
}

void RegistrationSheet::setValue(int row, const QString& text)
{
    m_sheet->item(row, kValueColumn)->setText(text);
}

void RegistrationSheet::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void RegistrationSheet::layOut()
{
    const int top = twipsToPixels(kControlTop);
    const int controlHeight = twipsToPixels(kControlHeight);
    const int buttonWidth = std::max(twipsToPixels(kButtonWidth), m_cancel->sizeHint().width());
    int left = twipsToPixels(kSheetLeft);
    m_register->setGeometry(left, top, buttonWidth, controlHeight);
    left += buttonWidth + twipsToPixels(kControlGap);
    m_cancel->setGeometry(left, top, buttonWidth, controlHeight);
    left += buttonWidth + twipsToPixels(kControlGap);
    m_help->setGeometry(left, top, m_help->sizeHint().width(), controlHeight);

    const int statusHeight = m_status->sizeHint().height();
    m_status->setGeometry(0, height() - statusHeight, width(), statusHeight);

    const int sheetTop = twipsToPixels(kSheetTop);
    const int sheetWidth = m_sheet->horizontalHeader()->length() + 2 * m_sheet->frameWidth() +
                           m_sheet->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_sheet->setGeometry(twipsToPixels(kSheetLeft), sheetTop, sheetWidth,
                         std::max(0, height() - sheetTop - statusHeight - twipsToPixels(kBottomMargin)));

    const QSize calendar = m_calendar->sizeHint();
    m_calendar->setGeometry(width() - twipsToPixels(kCalendarRight) - calendar.width(),
                            height() - twipsToPixels(kCalendarBottom) - calendar.height(), calendar.width(),
                            calendar.height());
    m_calendar->raise();
}

void RegistrationSheet::fitRowHeights()
{
    // Measured as the sheet draws its wrapped cells, but at the set column widths rather than the shown ones, so
    // that the window can be sized to the rows before it is first laid out.
    QStyleOptionViewItem option;
    option.initFrom(m_sheet);
    option.features = QStyleOptionViewItem::WrapText;
    const int gridLine = m_sheet->showGrid() ? 1 : 0;
    int rowHeight = twipsToPixels(kRowTwipsPerPoint * m_session.displayFont.size);
    for (int row = 0; row < kRowCount; ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
            option.rect = QRect(0, 0, m_sheet->columnWidth(column), 1);
            const QSize hint = m_sheet->itemDelegate()->sizeHint(option, m_sheet->model()->index(row, column));
            rowHeight = std::max(rowHeight, hint.height() + gridLine + twipsToPixels(kRowSpare));
        }
    }
    for (int row = 0; row < kRowCount; ++row)
        m_sheet->setRowHeight(row, rowHeight);
}

void RegistrationSheet::fg_ItemChanged(QTableWidgetItem* item)
{
    if (item->column() != kValueColumn)
        return;
    if (item->row() == kLevelRow && item->text() != m_shownLevel)
        showLevel(item->text());
    fitRowHeights();
}

void RegistrationSheet::showLevel(const QString& name)
{
    m_shownLevel = name;
    const auto level =
        std::find_if(m_levels.cbegin(), m_levels.cend(), [&](const ImportanceLevel& l) { return l.name == name; });
    if (level == m_levels.cend())
        return;
    m_backC = level->backColour;
    const std::optional<quint32> colour = ColourValue::parse(level->backColour);
    if (!colour) {
        qCWarning(lcRegistration) << "level" << name << "has no colour value:" << level->backColour;
        return;
    }
    for (int column = 0; column < kColumnCount; ++column)
        m_sheet->item(kLevelRow, column)->setBackground(ColourValue::toColour(*colour));
}

void RegistrationSheet::fg_Pressed(int row)
{
    switch (row) {
    case kMajorRow:
    case kMiddleRow:
    case kMinorRow:
        m_calendar->hide();
        openPicker();
        break;
    case kDateRow:
        if (const QDate shown = QDate::fromString(value(kDateRow), kDateFormat); shown.isValid())
            m_calendar->setSelectedDate(shown);
        m_calendar->show();
        m_calendar->raise();
        break;
    default:
        m_calendar->hide();
        closePicker();
        break;
    }
}

void RegistrationSheet::Calendar_Click(const QDate& date)
{
    setValue(kDateRow, date.toString(kDateFormat));
    m_calendar->hide();
}

void RegistrationSheet::openPicker()
{
    if (m_picker) {
        m_picker->raise();
        m_picker->activateWindow();
        return;
    }
    m_picker = new ClassPicker(m_session, 3, this);
    connect(m_picker, &ClassPicker::classPicked, this, &RegistrationSheet::takeClass);
    m_picker->show();
}

void RegistrationSheet::closePicker()
{
    if (m_picker)
        m_picker->close();
}

void RegistrationSheet::takeClass(int levNo, const ClassPath& path)
{
    setValue(kMajorRow, path.major);
    setValue(kMiddleRow, path.middle);
    setValue(kMinorRow, path.minor);
    m_session.currentClass = path;
    m_levNo = levNo;
}

void RegistrationSheet::Command1_Click(int index)
{
    if (index == 0 && !RegisterScrap())
        return;
    closePicker();
    close();
}

bool RegistrationSheet::RegisterScrap()
{
    m_justRegistered = false;
    ScrapIndex index;
    index.a01 = value(kLevelRow);
    index.a02 = value(kTitleRow);
    index.a03 = value(kDateRow);
    index.a04 = value(kMajorRow);
    index.a05 = value(kMiddleRow);
    index.a06 = value(kMinorRow);
    index.a07 = value(kKeywordRow);
    m_session.currentClass = {index.a04, index.a05, index.a06};
    index.backC = m_backC;
    index.levNo = m_levNo;

    // Checked before any number is taken, so that a refused sheet costs nothing.
    if (!isCalendarDate(index.a03)) {
        m_dialogs.exclamation(QStringLiteral("作成年月日が日付ではありません。"));
        return false;
    }
    const Registration registration =
        registerScrap(m_session, index, m_bodyText ? m_bodyText() : QString(), m_pendingPicture);
    switch (registration.outcome) {
    case RegistrationOutcome::Registered:
        break;
    case RegistrationOutcome::NoDatabase:
    case RegistrationOutcome::CannotOpen:
        m_dialogs.critical(QStringLiteral("DB Open error !"));
        return true;
    case RegistrationOutcome::CounterMissing:
        m_dialogs.critical(QStringLiteral("Critical Error DB broken"));
        return true;
    case RegistrationOutcome::NumbersExhausted:
    case RegistrationOutcome::WriteFailed:
        m_dialogs.critical(QStringLiteral("スクラップ登録に失敗しました。"));
        return true;
    }
    m_justRegistered = true;
    Q_EMIT registered(registration.scrap);
    m_dialogs.information(QStringLiteral("スクラップを登録しました。 画像添付、下線引きが可能です。"));
    return true;
}

void RegistrationSheet::closeEvent(QCloseEvent* event)
{
    closePicker();
    m_calendar->hide();
    QWidget::closeEvent(event);
    Q_EMIT closedWith(m_justRegistered);
}
