#include "registrationsheet.h"

#include "classtree/classpicker.h"
#include "common/colourvalue.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/namedbutton.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "registrationlog.h"
#include "scrap/fieldcaptions.h"
#include "scrap/importancelevels.h"
#include "scrap/scrapfields.h"
#include "scrap/scrapregistration.h"
#include "scrap/scrapsheet.h"

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

constexpr int kLevelRow = ScrapSheet::LevelRow;
constexpr int kTitleRow = ScrapSheet::TitleRow;
constexpr int kDateRow = ScrapSheet::DateRow;
constexpr int kMajorRow = ScrapSheet::MajorRow;
constexpr int kMiddleRow = ScrapSheet::MiddleRow;
constexpr int kMinorRow = ScrapSheet::MinorRow;
constexpr int kKeywordRow = ScrapSheet::KeywordRow;
constexpr int kPictureRow = ScrapSheet::PicturesRow;

// Geometry in twips.
constexpr int kSheetLeft = 40;
constexpr int kSheetTop = 600;
constexpr int kControlTop = 90;
constexpr int kControlHeight = 420;
constexpr int kButtonWidth = 1100;
constexpr int kControlGap = 120;
constexpr int kCalendarRight = 240;
constexpr int kCalendarBottom = 600;
constexpr int kBottomMargin = 120;

} // namespace

RegistrationSheet::RegistrationSheet(Session& session, UserDialogs& dialogs, std::function<QString()> bodyText,
                                     const QString& dateStr, int levNo,
                                     std::function<std::optional<WaitingPicture>()> waitingPicture, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
    , m_collection(session, this, [this] { close(); })
    , m_dialogs(dialogs)
    , m_bodyText(std::move(bodyText))
    , m_levNo(levNo)
    , m_waitingPicture(std::move(waitingPicture))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("スクラップ登録"));

    m_register = namedButton(QStringLiteral("Command1_0"), QStringLiteral("登録"), this, {.neverDefault = true});
    m_cancel = namedButton(QStringLiteral("Command1_1"), QStringLiteral("キャンセル"), this, {.neverDefault = true});
    connect(m_register, &QPushButton::clicked, this, [this] { onButtonClicked(0); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { onButtonClicked(1); });
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
    m_sheet = new ScrapSheet(ScrapSheet::Fields::NewScrap, {kLevelRow, kTitleRow, kKeywordRow}, this);
    m_sheet->setObjectName(QStringLiteral("fg"));
    m_sheet->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                             QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_sheet->setLevelNames(levelNames());
    m_sheet->setValueFontSize(m_session.displayFont.size);
    fillSheet(m_bodyText ? proposedTitle(m_bodyText()) : QString(), dateStr,
              m_waitingPicture && m_waitingPicture().has_value());
    connect(m_sheet, &QTableWidget::cellPressed, this, [this](int row) { onCellPressed(row); });
    connect(m_sheet, &ScrapSheet::valueEdited, this, &RegistrationSheet::onValueEdited);

    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->setSelectedDate(QDate::currentDate());
    m_calendar->hide();
    connect(m_calendar, &QCalendarWidget::clicked, this, &RegistrationSheet::onCalendarClicked);

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });

    m_sheet->fitRowHeights(m_session.displayFont.size);
    // Wide enough for the sheet with the calendar beside it, high enough for every row, within the screen.
    const int sheetWidth = m_sheet->naturalWidth();
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

QStringList RegistrationSheet::levelNames() const
{
    QStringList names;
    for (const ImportanceLevel& level : m_levels)
        names << level.name;
    return names;
}

void RegistrationSheet::reloadLevels()
{
    loadLevels();
    m_sheet->setLevelNames(levelNames());
    if (!m_shownLevel.isEmpty())
        showLevel(m_shownLevel);
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

void RegistrationSheet::fillSheet(const QString& title, const QString& dateStr, bool pendingPicture)
{
    setValue(kTitleRow, title);
    setValue(kDateRow, dateStr.isEmpty() ? dateText(QDate::currentDate()) : dateStr);
    setValue(kMajorRow, m_session.currentClass.major);
    setValue(kMiddleRow, m_session.currentClass.middle);
    setValue(kMinorRow, m_session.currentClass.minor);
    setValue(kPictureRow, pendingPicture ? QStringLiteral("あり") : QStringLiteral("なし"));
}

QString RegistrationSheet::value(int row) const
{
    return m_sheet->value(row);
}

void RegistrationSheet::setValue(int row, const QString& text)
{
    m_sheet->setValue(row, text);
    m_sheet->fitRowHeights(m_session.displayFont.size);
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
    const int sheetWidth = m_sheet->naturalWidth();
    m_sheet->setGeometry(twipsToPixels(kSheetLeft), sheetTop, sheetWidth,
                         std::max(0, height() - sheetTop - statusHeight - twipsToPixels(kBottomMargin)));

    const QSize calendar = m_calendar->sizeHint();
    m_calendar->setGeometry(width() - twipsToPixels(kCalendarRight) - calendar.width(),
                            height() - twipsToPixels(kCalendarBottom) - calendar.height(), calendar.width(),
                            calendar.height());
    m_calendar->raise();
}

void RegistrationSheet::onValueEdited(int row, const QString& text)
{
    if (row == kLevelRow && text != m_shownLevel)
        showLevel(text);
    m_sheet->fitRowHeights(m_session.displayFont.size);
}

void RegistrationSheet::showLevel(const QString& name)
{
    m_shownLevel = name;
    const auto level =
        std::find_if(m_levels.cbegin(), m_levels.cend(), [&](const ImportanceLevel& l) { return l.name == name; });
    if (level == m_levels.cend()) {
        // A level renamed or deleted since: the scrap takes no colour of a level that is not one.
        m_backC.clear();
        m_sheet->showLevelColour(std::nullopt);
        return;
    }
    m_backC = level->backColour;
    const std::optional<quint32> colour = ColourValue::parse(level->backColour);
    if (!colour) {
        qCWarning(lcRegistration) << "level" << name << "has no colour value:" << level->backColour;
        m_sheet->showLevelColour(std::nullopt);
        return;
    }
    m_sheet->showLevelColour(ColourValue::toColour(*colour));
}

void RegistrationSheet::onCellPressed(int row)
{
    switch (row) {
    case kMajorRow:
    case kMiddleRow:
    case kMinorRow:
        m_calendar->hide();
        openPicker();
        break;
    case kDateRow:
        if (const QDate shown = dateFromText(value(kDateRow)); shown.isValid())
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

void RegistrationSheet::onCalendarClicked(const QDate& date)
{
    setValue(kDateRow, dateText(date));
    m_calendar->hide();
}

void RegistrationSheet::openPicker()
{
    if (m_picker) {
        m_picker->raise();
        m_picker->activateWindow();
        return;
    }
    m_picker = new ClassPicker(m_session, PickerOpener::RegistrationSheet, this);
    connect(m_picker, &ClassPicker::classPicked, this, &RegistrationSheet::takeClass);
    m_picker->show();
}

void RegistrationSheet::closePicker()
{
    if (m_picker)
        m_picker->close();
}

ClassPath RegistrationSheet::chosenClass() const
{
    return {value(kMajorRow), value(kMiddleRow), value(kMinorRow)};
}

void RegistrationSheet::takeClass(int levNo, const ClassPath& path)
{
    setValue(kMajorRow, path.major);
    setValue(kMiddleRow, path.middle);
    setValue(kMinorRow, path.minor);
    m_session.currentClass = path;
    m_levNo = levNo;
}

void RegistrationSheet::onButtonClicked(int index)
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
    if (!isScrapDate(index.a03)) {
        m_dialogs.exclamation(QStringLiteral("作成年月日が日付ではありません。"));
        return false;
    }
    // Nothing of one collection is registered into another opened meanwhile.
    if (!m_collection.isCurrent()) {
        m_dialogs.critical(QStringLiteral("スクラップ登録に失敗しました。\n"
                                          "この登録画面を開いた後に、別のデータベースが開かれました。"));
        return true;
    }
    // The pictures window may have taken or dropped its picture since the sheet said あり or なし: the user sees what
    // is stored before it is.
    const std::optional<WaitingPicture> picture = m_waitingPicture ? m_waitingPicture() : std::nullopt;
    if (const QString shown = picture ? QStringLiteral("あり") : QStringLiteral("なし"); value(kPictureRow) != shown) {
        setValue(kPictureRow, shown);
        m_dialogs.information(
            QStringLiteral("添付画像は「%1」になりました。　よければ、もう一度「登録」を押してください。").arg(shown));
        return false;
    }
    const Result<ScrapIdentity> registration = registerScrap(m_session, index, m_bodyText ? m_bodyText() : QString(),
                                                             picture, m_source ? m_source() : std::nullopt);
    // The sheet stays open with what the user typed, for another try once the cause is put right.
    if (!registration) {
        m_dialogs.critical(registration.message());
        return false;
    }
    m_justRegistered = true;
    Q_EMIT registered(*registration);
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
