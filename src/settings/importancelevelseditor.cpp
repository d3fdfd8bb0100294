#include "importancelevelseditor.h"

#include "common/colourvalue.h"
#include "common/helpkey.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/toolbarbuttons.h"
#include "common/twips.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "scrap/importancelevels.h"
#include "settingslog.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>

#include <algorithm>
#include <set>

using namespace Qt::StringLiterals;

namespace {

const QString kLevelsNotStored = QStringLiteral("スクラップ重要度を登録できませんでした。");

constexpr int kWidth = 7800;
constexpr int kHeight = 5200;
constexpr int kGridLeft = 40;
constexpr int kGridWidthInset = 200;
constexpr int kGridHeightInset = 500;
constexpr int kPlaceholderWidth = 200;
constexpr int kColumnWidths[] = {400, 2000, 1400};

constexpr int kHeaderRow = 0;
constexpr int kNameColumn = 1;
constexpr int kColourColumn = 2;
constexpr int kKanaColumn = 3;
constexpr int kColumns = 4;
constexpr int kNameWidth = 20; // Status.01iName

QTableWidgetItem* fixedItem(const QString& text = {})
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(ColourValue::toColour(ColourValue::kButtonFace));
    return item;
}

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

QString textOf(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

ImportanceLevelsEditor::ImportanceLevelsEditor(Session& session, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("スクラップ重要度"));

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setMovable(false);
    // Rows added and moved from the keyboard; Delete stays the grid's, which empties a cell.
    bindToolbarKeys(this, m_toolbar,
                    {{QKeySequence(Qt::Key_Insert), {u"add"_s}},
                     {QKeySequence(Qt::CTRL | Qt::Key_Up), {u"up"_s}},
                     {QKeySequence(Qt::CTRL | Qt::Key_Down), {u"down"_s}}});

    // The grid's first row is its header and its first column a fixed margin, as the remembered row counts them.
    m_fg = new QTableWidget(1, kColumns, this);
    m_fg->setObjectName(QStringLiteral("fg"));
    m_fg->horizontalHeader()->hide();
    m_fg->verticalHeader()->hide();
    m_fg->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fg->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    m_fg->viewport()->installEventFilter(this);
    // Once a row is pressed, the row the toolbar acts on is the one highlighted: moved with its row or by the keys.
    connect(m_fg, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (m_row > kHeaderRow && row > kHeaderRow)
            m_row = row;
    });
    connect(m_fg, &QTableWidget::itemChanged, this, [this] {
        if (!m_filling)
            m_dirty = true;
    });

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    auto* help = new QLabel(QStringLiteral("ヘルプ：　F1キー"), m_status);
    help->setObjectName(QStringLiteral("StatusSimple"));
    m_status->addWidget(help, 1);

    connect(addHelpKey(this), &QAction::triggered, this, [this] { Q_EMIT helpRequested(helpTopic()); });

    loadLevels();
    buildToolbar();
    m_fg->setColumnHidden(kKanaColumn, true);
    m_dirty = false;
    QFont bold = m_fg->font();
    bold.setBold(true);
    for (int column = 0; column < kColumns; ++column) {
        QTableWidgetItem* header = fixedItem(column == kNameColumn     ? QStringLiteral("スクラップ重要度")
                                             : column == kColourColumn ? QStringLiteral("背景色")
                                                                       : QString());
        header->setFont(bold);
        m_filling = true;
        m_fg->setItem(kHeaderRow, column, header);
        m_filling = false;
    }
    for (int column = 0; column < kKanaColumn; ++column)
        m_fg->setColumnWidth(column, twipsToPixels(kColumnWidths[column]));
    m_fg->setCurrentCell(kHeaderRow, 0);

    resize(twipsToPixels(kWidth), twipsToPixels(kHeight));
    layOut();
}

int ImportanceLevelsEditor::helpTopic() const
{
    return HelpTopic::kImportanceLevels;
}

void ImportanceLevelsEditor::buildToolbar()
{
    // Each button's image goes by its key; each but キャンセル first takes the text of a cell being typed in.
    const auto committed = [this](std::function<void()> action) {
        return [this, action = std::move(action)] {
            commitOpenEditor();
            action();
        };
    };
    const ToolbarButton buttons[] = {
        ToolbarButton::gap(u"ph1"_s, kPlaceholderWidth),
        {u"add"_s, u"行追加"_s, u"add"_s, u"最下段に１行追加"_s, committed([this] { addLevel(); })},
        {u"del"_s, u"行削除"_s, u"del"_s, u"選択行を削除"_s, committed([this] { deleteLevel(); })},
        {u"up"_s, u"行移動"_s, u"up"_s, {}, committed([this] { moveLevel(-1); })},
        {u"down"_s, u"行移動"_s, u"down"_s, {}, committed([this] { moveLevel(1); })},
        {u"backcolor"_s, u"背景色"_s, u"backcolor"_s, u"進捗段階の背景色"_s, committed([this] { chooseColour(); })},
        {u"reg"_s, u"登録"_s, u"reg"_s, u"編集結果を登録"_s, committed([this] { registerLevels(); })},
        {u"cancel"_s, u"キャンセル"_s, u"cancel"_s, {}, [this] { reject(); }},
    };
    fillToolbar(m_toolbar, buttons);
}

void ImportanceLevelsEditor::commitOpenEditor()
{
    // A toolbar button takes no focus, so a cell being typed in would keep its text from the grid.
    const QModelIndex index = m_fg->currentIndex();
    if (QWidget* editor = index.isValid() ? m_fg->indexWidget(index) : nullptr) {
        Q_EMIT m_fg->itemDelegate()->commitData(editor);
        Q_EMIT m_fg->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void ImportanceLevelsEditor::loadLevels()
{
    Connection* connection = m_session.connection();
    if (!connection)
        return;
    try {
        for (const ImportanceLevel& level : readImportanceLevels(*connection))
            addRow(level.name, level.backColour, level.order);
    } catch (const DbError& e) {
        qCWarning(lcSettings) << "cannot read the importance levels:" << e.message();
        m_unread = true;
        m_dialogs.critical(e.failure(QStringLiteral("スクラップ重要度を読み込めませんでした。")).message());
    }
}

void ImportanceLevelsEditor::addRow(const QString& name, const QString& backColor, const QString& kana)
{
    m_filling = true;
    const int row = m_fg->rowCount();
    m_fg->insertRow(row);
    m_fg->setItem(row, 0, fixedItem());
    m_fg->setItem(row, kNameColumn, cell(name));
    m_fg->setItem(row, kColourColumn, cell(backColor));
    m_fg->setItem(row, kKanaColumn, cell(kana));
    m_filling = false;
}

int ImportanceLevelsEditor::dataRows() const
{
    return m_fg->rowCount() - 1;
}

void ImportanceLevelsEditor::addLevel()
{
    addRow(QString(), QString(), QString());
    m_row = -1;
}

void ImportanceLevelsEditor::deleteLevel()
{
    if (dataRows() == 0)
        return;
    if (m_row <= kHeaderRow) {
        m_dialogs.information(QStringLiteral("削除行を選択してください。"));
        return;
    }
    // The remembered row stays where it was, so a row that moved up into its place goes next.
    if (m_row > dataRows())
        return;
    const int row = m_row;
    m_fg->removeRow(row);
    m_row = row;
    m_dirty = true;
}

void ImportanceLevelsEditor::moveLevel(int by)
{
    if (dataRows() == 0)
        return;
    std::set<int> selected;
    for (const QModelIndex& index : m_fg->selectionModel()->selectedIndexes()) {
        if (index.row() > kHeaderRow)
            selected.insert(index.row());
    }
    if (selected.empty())
        return;
    const int from = *selected.rbegin();
    const int to = from + by;
    if (to <= kHeaderRow || to > dataRows())
        return;
    m_filling = true;
    for (int column = 0; column < kColumns; ++column) {
        QTableWidgetItem* moving = m_fg->takeItem(from, column);
        QTableWidgetItem* other = m_fg->takeItem(to, column);
        m_fg->setItem(to, column, moving);
        m_fg->setItem(from, column, other);
    }
    m_filling = false;
    // The selection goes with the row, so that pressing again moves it further.
    m_fg->setCurrentCell(to, std::max(m_fg->currentColumn(), kNameColumn));
    m_dirty = true;
}

void ImportanceLevelsEditor::chooseColour()
{
    if (m_row <= kHeaderRow) {
        m_dialogs.exclamation(QStringLiteral("背景色を変更する行を選択してください。"));
        return;
    }
    const std::optional<QColor> chosen = m_dialogs.chooseColour(m_lastColour);
    if (!chosen || m_row > dataRows())
        return;
    m_lastColour = *chosen;
    m_filling = true;
    m_fg->item(m_row, kColourColumn)->setText(ColourValue::toText(ColourValue::fromColour(*chosen)));
    m_filling = false;
    m_dirty = true;
}

std::optional<QList<ImportanceLevelsEditor::Level>> ImportanceLevelsEditor::checkedLevels()
{
    QList<Level> levels;
    for (int row = 1; row <= dataRows(); ++row) {
        const Level level{textOf(m_fg, row, kNameColumn), textOf(m_fg, row, kColourColumn)};
        // An empty colour is a level without one, as a row added and left blank is stored.
        const bool colourOk = level.backColor.isEmpty() || ColourValue::parse(level.backColor).has_value();
        // Counted in characters, as the column counts them: a rare kanji is one.
        if (Schema::characterCount(level.name) > kNameWidth || !colourOk) {
            m_fg->setCurrentCell(row, colourOk ? kNameColumn : kColourColumn);
            m_dialogs.exclamation(
                colourOk ? QStringLiteral("上から%1行目の重要度名が長すぎます。　%2文字以内にしてください。")
                               .arg(row)
                               .arg(kNameWidth)
                         : QStringLiteral("上から%1行目の背景色「%2」は色の値ではありません。　"
                                          "「背景色」で色を選んでください。")
                               .arg(row)
                               .arg(level.backColor));
            return std::nullopt;
        }
        levels.append(level);
    }
    return levels;
}

Done ImportanceLevelsEditor::writeLevels(const QList<Level>& levels)
{
    Connection* connection = m_session.connection();
    if (!connection)
        return Failure{kLevelsNotStored, QStringLiteral("スクラップ集が開いていません。")};
    QList<ImportanceLevel> stored;
    for (const Level& level : levels)
        stored.append({level.name, level.backColor, QString()});
    try {
        writeImportanceLevels(*connection, stored);
        return {};
    } catch (const DbError& e) {
        qCWarning(lcSettings) << "cannot write the importance levels:" << e.message();
        return e.failure(kLevelsNotStored);
    }
}

void ImportanceLevelsEditor::registerLevels()
{
    // The grid does not hold the stored levels: storing it would replace them all by what it shows.
    if (m_unread) {
        m_dialogs.critical(kLevelsNotStored + QStringLiteral("\nスクラップ重要度を読み込めなかったため、"
                                                             "開き直してから編集してください。"));
        return;
    }
    if (m_dirty) {
        const std::optional<QList<Level>> levels = checkedLevels();
        if (!levels)
            return;
        // The window stays open with the edits when they could not be stored.
        if (const Done written = writeLevels(*levels); !written) {
            m_dialogs.critical(written.message());
            return;
        }
        Q_EMIT levelsChanged();
    }
    m_dirty = false;
    accept();
}

bool ImportanceLevelsEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_fg->viewport() && event->type() == QEvent::MouseButtonPress) {
        onCellPressed(m_fg->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
    }
    return QDialog::eventFilter(watched, event);
}

void ImportanceLevelsEditor::onCellPressed(const QModelIndex& index)
{
    // Only the row counts for the toolbar; the view selects the pressed cell itself.
    m_row = index.isValid() ? index.row() : -1;
}

void ImportanceLevelsEditor::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (!isMinimized())
        layOut();
}

void ImportanceLevelsEditor::layOut()
{
    const int toolbarHeight = m_toolbar->sizeHint().height();
    const int statusHeight = m_status->sizeHint().height();
    m_toolbar->setGeometry(0, 0, width(), toolbarHeight);
    m_status->setGeometry(0, height() - statusHeight, width(), statusHeight);
    m_fg->setGeometry(twipsToPixels(kGridLeft), toolbarHeight, std::max(0, width() - twipsToPixels(kGridWidthInset)),
                      std::max(0, height() - toolbarHeight - statusHeight - twipsToPixels(kGridHeightInset)));
}
